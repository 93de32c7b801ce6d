#pragma once

#include "gltf/GltfBuffers.h"
#include "gltf/TinyGltf.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace Pellux::Gltf
{

// Where a container's BIN chunk data lies in its file.
struct BinChunk
{
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// A picture in a buffer left in its file: the reader gets a stand-in, and the picture's bytes are
// read once it is done.
struct PictureInFile
{
    std::size_t image = 0;
    int view = -1;
    std::string mimeType;
};

// What the reader is spared until it has read the document, and what is put back then. Of a
// compressed document: the fallback buffers of EXT_meshopt_compression, which need not be read and
// may name no file, stand in as one byte; the index accessors of Draco primitives, which have no
// bufferView, borrow one. Buffers left in their files, beside the document or in the container's
// BIN chunk, stand in as one byte too, and so do the pictures in them.
struct StandIns
{
    std::vector<std::size_t> buffers;
    std::vector<std::size_t> accessors;
    std::vector<BufferFile> files;
    std::vector<std::string> fileUris;
    std::vector<PictureInFile> pictures;
    // The container was read without its BIN chunk, and the reader needs the chunk after all.
    bool needsWholeContainer = false;

    bool empty() const { return buffers.empty() && accessors.empty() && files.empty(); }
};

// Whether the document's text names a compression extension, whose data is decoded in memory.
bool mentionsCompression(const std::string& text);

// Rewrites the document at `path`, parsed from `text`, so that the reader takes it and leaves large
// buffers where they are. `bin` is the container's BIN chunk when the container was read without
// it, else null. False, with the reason, for a document the reader would read out of bounds.
bool spareTheReader(nlohmann::json& document, const std::string& text, const std::string& path, bool binary,
                    const BinChunk* bin, StandIns& standIns, std::string& problem);

// Puts back what the reader was spared, the pictures' bytes among it.
void putBack(tinygltf::Model& model, const StandIns& standIns);

}
