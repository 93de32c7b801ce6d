#pragma once

#include "gltf/GltfBuffers.h"
#include "gltf/TinyGltf.h"

#include <map>
#include <string>
#include <vector>

namespace Pellux::Gltf
{

// The bytes of one component of a glTF component type; 0 for a type glTF has not.
std::size_t componentBytes(int componentType);

// The elements of one accessor, checked against its buffer view and buffer before a byte is read:
// index, component type, element type, count, offsets and stride, and its sparse substitutions.
class AccessorReader
{
public:
    AccessorReader(const tinygltf::Model& model, BufferBytes& buffers) : model(model), buffers(buffers) {}

    // As floats, `components` of them for each element: normalized integers to [0, 1] or [-1, 1],
    // other integers as they are. False, with the reason, when the accessor cannot be read soundly.
    bool readFloats(int accessor, std::vector<float>& values, int& components, std::string& problem);
    // As vertex indices: unsigned byte, short or int scalars, with the largest of them.
    bool readIndices(int accessor, std::vector<unsigned int>& indices, unsigned int& largest, std::string& problem);

    // More numbers than any accessor of a sane document holds; keeps a hostile count from allocating.
    static constexpr std::size_t largestValues = 1u << 26;

private:
    struct Layout
    {
        int componentType;
        int components;
        std::size_t componentBytes;
        std::size_t count;
    };

    bool layoutOf(const tinygltf::Accessor& accessor, Layout& layout, std::string& problem) const;
    // Where `count` elements lie: their buffer, the offset of the first in it and the step from
    // element to element, checked to lie inside the view and the buffer.
    struct Span
    {
        int buffer;
        std::size_t first;
        std::size_t stride;
    };
    bool locate(int view, std::size_t offset, std::size_t count, std::size_t elementBytes, bool strided, Span& span,
                std::string& problem) const;
    // The bytes of `count` elements from `element` on, in memory or in `scratch`.
    bool fetch(const Span& span, std::size_t element, std::size_t count, std::size_t elementBytes,
               std::vector<unsigned char>& scratch, const unsigned char*& bytes, std::string& problem);
    // False, with the reason, for bytes that could not be read from their file.
    static bool unreadable(const Span& span, std::string& problem);
    template <class Value>
    bool readElements(const tinygltf::Accessor& accessor, const Layout& layout, bool normalized,
                      std::vector<Value>& values, std::string& problem);
    template <class Value>
    bool applySparse(const tinygltf::Accessor& accessor, const Layout& layout, bool normalized,
                     std::vector<Value>& values, std::string& problem);

    const tinygltf::Model& model;
    BufferBytes& buffers;
    std::vector<unsigned char> scratch;
    std::vector<unsigned char> sparseScratch;
};

// The accessors' values read once: the checks read them first and keep what the builder takes later,
// so that no document's data is read, or held, twice.
class AccessorValues
{
public:
    AccessorValues(const tinygltf::Model& model, BufferBytes& buffers) : model(model), reader(model, buffers) {}

    // The values as floats, kept for a take when the document holds them as floats. Null, with the
    // reason, when they cannot be read; else good until the next call.
    const std::vector<float>* floats(int accessor, int& components, std::string& problem);
    // The values as vertex indices, kept for a take, with the largest of them.
    const std::vector<unsigned int>* indices(int accessor, unsigned int& largest, std::string& problem);
    // The values, moved out of what was kept, else read.
    bool takeFloats(int accessor, std::vector<float>& values, int& components, std::string& problem);
    bool takeIndices(int accessor, std::vector<unsigned int>& values, unsigned int& largest, std::string& problem);

private:
    struct KeptFloats
    {
        std::vector<float> values;
        int components = 0;
    };
    struct KeptIndices
    {
        std::vector<unsigned int> values;
        unsigned int largest = 0;
    };

    bool holdsFloats(int accessor) const;

    const tinygltf::Model& model;
    AccessorReader reader;
    std::map<int, KeptFloats> keptFloats;
    std::map<int, KeptIndices> keptIndices;
    std::vector<float> unkept;
};

}
