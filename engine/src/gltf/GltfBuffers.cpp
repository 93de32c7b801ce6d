#include "gltf/GltfBuffers.h"

#include <cstring>

namespace Pellux::Gltf
{

BufferBytes::BufferBytes(const tinygltf::Model& model, const std::vector<BufferFile>& files)
    : model(model), fileOf(model.buffers.size(), nullptr), streams(model.buffers.size())
{
    for (const BufferFile& file : files)
        if (file.buffer < fileOf.size())
            fileOf[file.buffer] = &file;
}

BufferBytes::~BufferBytes() = default;

std::size_t BufferBytes::size(int buffer) const
{
    if (buffer < 0 || static_cast<std::size_t>(buffer) >= model.buffers.size())
        return 0;
    const BufferFile* file = fileOf[static_cast<std::size_t>(buffer)];
    return file != nullptr ? file->byteLength : model.buffers[static_cast<std::size_t>(buffer)].data.size();
}

bool BufferBytes::read(int buffer, std::size_t offset, std::size_t length, std::vector<unsigned char>& scratch,
                       const unsigned char*& bytes)
{
    if (fileOf[static_cast<std::size_t>(buffer)] == nullptr)
    {
        bytes = model.buffers[static_cast<std::size_t>(buffer)].data.data() + offset;
        return true;
    }
    scratch.resize(length);
    bytes = scratch.data();
    return copy(buffer, offset, length, scratch.data());
}

bool BufferBytes::copy(int buffer, std::size_t offset, std::size_t length, unsigned char* into)
{
    std::size_t index = static_cast<std::size_t>(buffer);
    const BufferFile* file = fileOf[index];
    if (file == nullptr)
    {
        std::memcpy(into, model.buffers[index].data.data() + offset, length);
        return true;
    }
    std::unique_ptr<std::ifstream>& stream = streams[index];
    if (!stream)
        stream = std::make_unique<std::ifstream>(file->path, std::ios::binary);
    stream->clear();
    stream->seekg(static_cast<std::streamoff>(file->offset + offset));
    stream->read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(length));
    return stream->gcount() == static_cast<std::streamsize>(length);
}

}
