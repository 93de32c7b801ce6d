#pragma once

#include "gltf/TinyGltf.h"

#include <cstddef>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace Pellux::Gltf
{

// A buffer whose bytes stay in their file, one beside the document or the container itself, and are
// read a piece at a time as accessors need them, so that a large document's data is not held in
// memory beside what is built from it.
struct BufferFile
{
    std::size_t buffer = 0;
    std::string path;
    std::size_t byteLength = 0;
    // Where the buffer begins in the file: past the header and JSON of a container.
    std::size_t offset = 0;
};

// The bytes of a document's buffers, wherever they are: in the model or in their files.
class BufferBytes
{
public:
    BufferBytes(const tinygltf::Model& model, const std::vector<BufferFile>& files);
    ~BufferBytes();

    // How many bytes the buffer holds; 0 for one the document does not have.
    std::size_t size(int buffer) const;
    // `length` bytes from `offset` of the buffer, which must lie inside it: pointed into the model, or
    // read into `scratch`. False when its file cannot be read.
    bool read(int buffer, std::size_t offset, std::size_t length, std::vector<unsigned char>& scratch,
              const unsigned char*& bytes);
    // The same bytes copied to `into`.
    bool copy(int buffer, std::size_t offset, std::size_t length, unsigned char* into);

private:
    const tinygltf::Model& model;
    // By buffer: the file the bytes stay in, and its stream once opened.
    std::vector<const BufferFile*> fileOf;
    std::vector<std::unique_ptr<std::ifstream>> streams;
};

}
