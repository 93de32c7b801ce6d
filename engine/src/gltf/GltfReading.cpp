#include "gltf/GltfReading.h"

#include "pellux/foundation/FileChecks.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace Pellux::Gltf
{

namespace
{
const char glbMagic[4] = {'g', 'l', 'T', 'F'};
const std::size_t glbHeaderBytes = 12;
const std::size_t glbChunkHeaderBytes = 8;

bool readBytes(const std::string& path, std::vector<unsigned char>& bytes, std::string& problem)
{
    problem = unreadableFileReason(path);
    if (!problem.empty())
        return false;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    std::streamoff size = file.tellg();
    file.seekg(0);
    bytes.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    if (!file || !file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        problem = "it cannot be read";
    return problem.empty();
}


bool fileExists(const std::string& path, void* folder)
{
    return insideFolder(path, *static_cast<std::string*>(folder)) && unreadableFileReason(path).empty();
}

std::string samePath(const std::string& path, void*)
{
    return path;
}

bool readWholeFile(std::vector<unsigned char>* out, std::string* error, const std::string& path, void* folder)
{
    if (!insideFolder(path, *static_cast<std::string*>(folder)))
    {
        *error += "the file " + path + " lies outside the document's folder and is not opened\n";
        return false;
    }
    std::string problem;
    if (!readBytes(path, *out, problem))
    {
        *error += "the file " + path + " cannot be read (" + problem + ")\n";
        return false;
    }
    return true;
}

bool writeNothing(std::string* error, const std::string&, const std::vector<unsigned char>&, void*)
{
    *error += "the reader writes no files\n";
    return false;
}

// The picture's bytes are kept for the image manager, which decodes them.
bool keepUndecoded(tinygltf::Image* image, const int, std::string*, std::string*, int, int, const unsigned char* bytes,
                   int size, void*)
{
    if (bytes != nullptr && size > 0)
        image->image.assign(bytes, bytes + size);
    return true;
}

// The JSON chunk of a container, or the whole text.
std::string jsonOf(const std::vector<unsigned char>& bytes)
{
    if (bytes.size() < glbHeaderBytes + glbChunkHeaderBytes || std::memcmp(bytes.data(), glbMagic, 4) != 0)
        return std::string(bytes.begin(), bytes.end());
    std::uint32_t length = 0;
    std::memcpy(&length, bytes.data() + glbHeaderBytes, sizeof length);
    std::size_t start = glbHeaderBytes + glbChunkHeaderBytes;
    std::size_t available = bytes.size() - start;
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                       bytes.begin() + static_cast<std::ptrdiff_t>(start + std::min<std::size_t>(length, available)));
}

std::uint64_t unsignedMember(const nlohmann::json& object, const char* name)
{
    auto member = object.find(name);
    return member != object.end() && member->is_number_unsigned() ? member->get<std::uint64_t>() : 0;
}

// The reader hands an image's bytes from its buffer view on without checking that the view lies
// inside its buffer; such a document is refused before it is handed over.
bool imageViewsFitTheirBuffers(const std::string& text, std::string& problem)
{
    if (text.find("\"images\"") == std::string::npos)
        return true;
    nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
    if (!document.is_object() || !document.contains("images") || !document["images"].is_array())
        return true;
    const nlohmann::json& views = document.value("bufferViews", nlohmann::json::array());
    const nlohmann::json& buffers = document.value("buffers", nlohmann::json::array());
    const nlohmann::json& images = document["images"];
    for (std::size_t index = 0; index < images.size(); ++index)
    {
        if (!images[index].is_object() || !images[index].contains("bufferView"))
            continue;
        const nlohmann::json& view = images[index]["bufferView"];
        std::uint64_t viewIndex = view.is_number_unsigned() ? view.get<std::uint64_t>() : ~0ull;
        if (!views.is_array() || viewIndex >= views.size() || !views[viewIndex].is_object())
            continue;
        std::uint64_t bufferIndex = unsignedMember(views[viewIndex], "buffer");
        if (!buffers.is_array() || bufferIndex >= buffers.size() || !buffers[bufferIndex].is_object())
            continue;
        std::uint64_t offset = unsignedMember(views[viewIndex], "byteOffset");
        std::uint64_t length = unsignedMember(views[viewIndex], "byteLength");
        std::uint64_t bufferLength = unsignedMember(buffers[bufferIndex], "byteLength");
        if (offset > bufferLength || length > bufferLength - offset)
        {
            problem = "images[" + std::to_string(index) + "]: its bufferView reaches past its buffer";
            return false;
        }
    }
    return true;
}

const char* const meshoptName = "EXT_meshopt_compression";
const char* const dracoName = "KHR_draco_mesh_compression";
// One byte, which the reader takes without a file.
const char* const oneByteUri = "data:application/octet-stream;base64,AA==";

// What the reader would refuse of a compressed document, and is spared until it has read it: the
// fallback buffers of EXT_meshopt_compression, which need not be read and may name no file, stand
// in as one byte; the index accessors of Draco primitives, which have no bufferView, borrow one.
struct StandIns
{
    std::vector<std::size_t> buffers;
    std::vector<std::size_t> accessors;
};

bool flaggedAsFallback(const nlohmann::json& buffer)
{
    auto extensions = buffer.find("extensions");
    if (extensions == buffer.end() || !extensions->is_object())
        return false;
    auto meshopt = extensions->find(meshoptName);
    if (meshopt == extensions->end() || !meshopt->is_object())
        return false;
    auto fallback = meshopt->find("fallback");
    return fallback != meshopt->end() && fallback->is_boolean() && fallback->get<bool>();
}

// A buffer without a URI holds the container's binary chunk when it is a container's first; any
// other is a placeholder for data that only compressed views hold.
void standInForFallbacks(nlohmann::json& document, bool binary, StandIns& standIns)
{
    auto buffers = document.find("buffers");
    if (buffers == document.end() || !buffers->is_array())
        return;
    for (std::size_t index = 0; index < buffers->size(); ++index)
    {
        nlohmann::json& buffer = (*buffers)[index];
        bool placeholder = buffer.is_object() && !buffer.contains("uri") && !(binary && index == 0);
        if (!placeholder && !flaggedAsFallback(buffer))
            continue;
        buffer["uri"] = oneByteUri;
        buffer["byteLength"] = 1;
        standIns.buffers.push_back(index);
    }
}

void lendViewsToDracoIndices(nlohmann::json& document, StandIns& standIns)
{
    auto meshes = document.find("meshes");
    auto accessors = document.find("accessors");
    auto views = document.find("bufferViews");
    if (meshes == document.end() || !meshes->is_array() || accessors == document.end() || !accessors->is_array() ||
        views == document.end() || !views->is_array() || views->empty())
        return;
    for (nlohmann::json& mesh : *meshes)
    {
        auto primitives = mesh.find("primitives");
        if (primitives == mesh.end() || !primitives->is_array())
            continue;
        for (nlohmann::json& primitive : *primitives)
        {
            auto indices = primitive.find("indices");
            auto extensions = primitive.find("extensions");
            if (indices == primitive.end() || !indices->is_number_unsigned() || extensions == primitive.end() ||
                !extensions->is_object() || !extensions->contains(dracoName))
                continue;
            std::uint64_t index = indices->get<std::uint64_t>();
            if (index >= accessors->size() || !(*accessors)[index].is_object() ||
                (*accessors)[index].contains("bufferView"))
                continue;
            (*accessors)[index]["bufferView"] = 0;
            standIns.accessors.push_back(static_cast<std::size_t>(index));
        }
    }
}

bool mentionsCompression(const std::string& text)
{
    return text.find(meshoptName) != std::string::npos || text.find(dracoName) != std::string::npos;
}

// Whether the container holds all of the JSON chunk its header declares.
bool wholeJsonChunk(const std::vector<unsigned char>& glb)
{
    if (glb.size() < glbHeaderBytes + glbChunkHeaderBytes)
        return false;
    std::uint32_t declared = 0;
    std::uint32_t length = 0;
    std::memcpy(&declared, glb.data() + 8, sizeof declared);
    std::memcpy(&length, glb.data() + glbHeaderBytes, sizeof length);
    std::uint64_t end = glbHeaderBytes + glbChunkHeaderBytes + std::uint64_t(length);
    return end <= glb.size() && end <= declared;
}

// The container with `json` for its JSON chunk, padded with spaces to four bytes as GLB asks.
std::vector<unsigned char> withJsonChunk(const std::vector<unsigned char>& glb, std::string json)
{
    std::uint32_t declared = 0;
    std::uint32_t length = 0;
    std::memcpy(&declared, glb.data() + 8, sizeof declared);
    std::memcpy(&length, glb.data() + glbHeaderBytes, sizeof length);
    json.resize((json.size() + 3) / 4 * 4, ' ');
    auto rest = glb.begin() + static_cast<std::ptrdiff_t>(glbHeaderBytes + glbChunkHeaderBytes + length);
    std::vector<unsigned char> rebuilt(glb.begin(), glb.begin() + glbHeaderBytes + glbChunkHeaderBytes);
    rebuilt.insert(rebuilt.end(), json.begin(), json.end());
    rebuilt.insert(rebuilt.end(), rest, glb.end());
    std::uint32_t chunkLength = static_cast<std::uint32_t>(json.size());
    std::uint32_t total = declared - length + chunkLength;
    std::memcpy(rebuilt.data() + 8, &total, sizeof total);
    std::memcpy(rebuilt.data() + glbHeaderBytes, &chunkLength, sizeof chunkLength);
    return rebuilt;
}

// Rewrites a compressed document, its text and for a container its bytes, so that the reader takes it.
StandIns spareTheReader(std::string& text, std::vector<unsigned char>& bytes, bool binary)
{
    StandIns standIns;
    nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
    if (!document.is_object() || (binary && !wholeJsonChunk(bytes)))
        return standIns;
    if (text.find(meshoptName) != std::string::npos)
        standInForFallbacks(document, binary, standIns);
    lendViewsToDracoIndices(document, standIns);
    if (standIns.buffers.empty() && standIns.accessors.empty())
        return standIns;
    text = document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    if (binary)
        bytes = withJsonChunk(bytes, text);
    return standIns;
}

// glTF's own media type for buffers in data URIs, which the reader knows only as octet streams.
void nameBufferUrisAsTheReaderKnowsThem(std::string& text, std::vector<unsigned char>& bytes, bool binary)
{
    const std::string ours = "\"data:application/gltf-buffer;base64,";
    const std::string known = "\"data:application/octet-stream;base64,";
    if (text.find(ours) == std::string::npos || (binary && !wholeJsonChunk(bytes)))
        return;
    for (std::size_t at = text.find(ours); at != std::string::npos; at = text.find(ours, at + known.size()))
        text.replace(at, ours.size(), known);
    if (binary)
        bytes = withJsonChunk(bytes, text);
}

void putBack(tinygltf::Model& model, const StandIns& standIns)
{
    for (std::size_t index : standIns.buffers)
    {
        model.buffers[index].uri.clear();
        model.buffers[index].data.clear();
    }
    for (std::size_t index : standIns.accessors)
        model.accessors[index].bufferView = -1;
}

// tinygltf's messages end in line feeds and may hold several lines: the first says enough.
std::string firstLine(const std::string& text)
{
    std::size_t end = text.find('\n');
    return text.substr(0, end);
}
}

bool insideFolder(const std::string& path, const std::string& folder)
{
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    std::filesystem::path base = std::filesystem::weakly_canonical(folder, error);
    if (error)
        return false;
    auto mismatch = std::mismatch(base.begin(), base.end(), resolved.begin(), resolved.end());
    return mismatch.first == base.end();
}

std::string percentDecoded(const std::string& uri)
{
    std::string decoded;
    for (std::size_t at = 0; at < uri.size(); ++at)
    {
        if (uri[at] == '%' && at + 2 < uri.size() && std::isxdigit(static_cast<unsigned char>(uri[at + 1])) &&
            std::isxdigit(static_cast<unsigned char>(uri[at + 2])))
        {
            decoded += static_cast<char>(std::stoi(uri.substr(at + 1, 2), nullptr, 16));
            at += 2;
        }
        else
            decoded += uri[at];
    }
    return decoded;
}

bool looksLikeGltf(const std::vector<unsigned char>& start)
{
    if (start.size() >= 4 && std::memcmp(start.data(), glbMagic, 4) == 0)
        return true;
    for (unsigned char byte : start)
        if (byte != ' ' && byte != '\t' && byte != '\n' && byte != '\r')
            return byte == '{';
    return false;
}

bool readDocument(const std::string& path, tinygltf::Model& model, std::string& problem)
{
    std::vector<unsigned char> bytes;
    if (!readBytes(path, bytes, problem))
        return false;
    if (!looksLikeGltf(bytes))
    {
        problem = "it is neither a GLB container nor a JSON object";
        return false;
    }
    std::string text = jsonOf(bytes);
    if (!imageViewsFitTheirBuffers(text, problem))
        return false;
    bool binary = bytes.size() >= 4 && std::memcmp(bytes.data(), glbMagic, 4) == 0;
    nameBufferUrisAsTheReaderKnowsThem(text, bytes, binary);
    bool compressed = mentionsCompression(text);
    StandIns standIns = compressed ? spareTheReader(text, bytes, binary) : StandIns();
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (folder.empty())
        folder = ".";
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(keepUndecoded, nullptr);
    loader.SetFsCallbacks({fileExists, samePath, readWholeFile, writeNothing, &folder});
    // The decompression reads the extensions' numbers whole from their JSON.
    loader.SetStoreOriginalJSONForExtrasAndExtensions(compressed);
    std::string error;
    std::string warning;
    bool read = binary ? loader.LoadBinaryFromMemory(&model, &error, &warning, bytes.data(),
                                                     static_cast<unsigned int>(bytes.size()), folder)
                       : loader.LoadASCIIFromString(&model, &error, &warning, text.c_str(),
                                                    static_cast<unsigned int>(text.size()), folder);
    if (!read)
        problem = firstLine(error.empty() ? "the document does not parse" : error);
    else
        putBack(model, standIns);
    return read;
}

}
