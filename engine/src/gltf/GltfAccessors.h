#pragma once

#include "gltf/TinyGltf.h"

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
    explicit AccessorReader(const tinygltf::Model& model) : model(model) {}

    // As floats, `components` of them for each element: normalized integers to [0, 1] or [-1, 1],
    // other integers as they are. False, with the reason, when the accessor cannot be read soundly.
    bool readFloats(int accessor, std::vector<float>& values, int& components, std::string& problem) const;
    // As vertex indices: unsigned byte, short or int scalars.
    bool readIndices(int accessor, std::vector<unsigned int>& indices, std::string& problem) const;

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
    // The first byte of the accessor's data and the step from element to element, checked to lie
    // inside its buffer for `count` elements.
    bool locate(int view, std::size_t offset, std::size_t count, std::size_t elementBytes, bool strided,
                const unsigned char*& first, std::size_t& stride, std::string& problem) const;
    template <class Value>
    bool readElements(const tinygltf::Accessor& accessor, const Layout& layout, bool normalized,
                      std::vector<Value>& values, std::string& problem) const;
    template <class Value>
    bool applySparse(const tinygltf::Accessor& accessor, const Layout& layout, bool normalized,
                     std::vector<Value>& values, std::string& problem) const;

    const tinygltf::Model& model;
};

}
