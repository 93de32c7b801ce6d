#include "gltf/GltfStandIns.h"

#include "gltf/GltfReading.h"
#include "pellux/foundation/FileChecks.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>

namespace Pellux::Gltf
{

namespace
{
const char* const meshoptName = "EXT_meshopt_compression";
const char* const dracoName = "KHR_draco_mesh_compression";
// One byte, which the reader takes without a file.
const char* const oneByteUri = "data:application/octet-stream;base64,AA==";

std::uint64_t unsignedMember(const nlohmann::json& object, const char* name)
{
    auto member = object.find(name);
    return member != object.end() && member->is_number_unsigned() ? member->get<std::uint64_t>() : 0;
}

// The member's text; empty when it is absent or no string.
std::string stringMember(const nlohmann::json& object, const char* name)
{
    auto member = object.find(name);
    return member != object.end() && member->is_string() ? member->get<std::string>() : std::string();
}

// The document's array of that name; an empty one when it has none.
const nlohmann::json& arrayOf(const nlohmann::json& document, const char* name)
{
    static const nlohmann::json none = nlohmann::json::array();
    auto member = document.find(name);
    return member != document.end() && member->is_array() ? *member : none;
}

// The buffer view an image is read from, when the image names one that the document has.
const nlohmann::json* viewOfImage(const nlohmann::json& image, const nlohmann::json& views)
{
    if (!image.is_object() || !image.contains("bufferView"))
        return nullptr;
    const nlohmann::json& view = image["bufferView"];
    std::uint64_t index = view.is_number_unsigned() ? view.get<std::uint64_t>() : ~0ull;
    return index < views.size() && views[index].is_object() ? &views[index] : nullptr;
}

// The reader hands an image's bytes from its buffer view on without checking that the view lies
// inside its buffer; such a document is refused before it is handed over.
bool imageViewsFitTheirBuffers(const nlohmann::json& document, std::string& problem)
{
    auto images = document.find("images");
    if (images == document.end() || !images->is_array())
        return true;
    const nlohmann::json& views = arrayOf(document, "bufferViews");
    const nlohmann::json& buffers = arrayOf(document, "buffers");
    for (std::size_t index = 0; index < images->size(); ++index)
    {
        const nlohmann::json* view = viewOfImage((*images)[index], views);
        std::uint64_t bufferIndex = view != nullptr ? unsignedMember(*view, "buffer") : 0;
        bool resolves = view != nullptr && bufferIndex < buffers.size();
        if (!resolves || !buffers[bufferIndex].is_object())
            continue;
        std::uint64_t offset = unsignedMember(*view, "byteOffset");
        std::uint64_t length = unsignedMember(*view, "byteLength");
        std::uint64_t bufferLength = unsignedMember(buffers[bufferIndex], "byteLength");
        if (offset > bufferLength || length > bufferLength - offset)
        {
            problem = "images[" + std::to_string(index) + "]: its bufferView reaches past its buffer";
            return false;
        }
    }
    return true;
}

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
// other is a placeholder for data that extensions give, such as compressed views.
void standInForPlaceholders(nlohmann::json& buffers, bool binary, StandIns& standIns)
{
    for (std::size_t index = 0; index < buffers.size(); ++index)
    {
        nlohmann::json& buffer = buffers[index];
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

// A buffer in a file inside the document's folder that holds its bytes, to be left there. A file may
// be longer than its buffer, as glTF allows.
bool inFileOfItsOwn(const nlohmann::json& buffer, const std::string& folder, BufferFile& file)
{
    auto uri = buffer.find("uri");
    if (uri == buffer.end() || !uri->is_string() || uri->get_ref<const std::string&>().compare(0, 5, "data:") == 0)
        return false;
    file.path = (std::filesystem::path(folder) / percentDecoded(uri->get<std::string>())).string();
    file.byteLength = unsignedMember(buffer, "byteLength");
    std::error_code unknown;
    return file.byteLength > 0 && insideFolder(file.path, folder) && unreadableFileReason(file.path).empty() &&
           std::filesystem::file_size(file.path, unknown) >= file.byteLength && !unknown;
}

void leaveInFile(nlohmann::json& buffer, const BufferFile& file, StandIns& standIns)
{
    standIns.fileUris.push_back(stringMember(buffer, "uri"));
    standIns.files.push_back(file);
    buffer["uri"] = oneByteUri;
    buffer["byteLength"] = 1;
}

void leaveBuffersInFiles(nlohmann::json& buffers, const std::string& folder, StandIns& standIns)
{
    for (std::size_t index = 0; index < buffers.size(); ++index)
    {
        BufferFile file;
        file.buffer = index;
        if (buffers[index].is_object() && inFileOfItsOwn(buffers[index], folder, file))
            leaveInFile(buffers[index], file, standIns);
    }
}

// A container's first buffer without a URI is its BIN chunk, which the reader then needs in memory
// unless it is left in the container; that takes a chunk that holds all of the buffer. The reader
// also reads any other buffer without a URI from the chunk.
void leaveBinChunk(nlohmann::json& buffers, const std::string& path, const BinChunk& bin, StandIns& standIns)
{
    if (buffers.empty())
        return;
    bool othersHaveUris = std::all_of(buffers.begin() + 1, buffers.end(), [](const nlohmann::json& buffer) {
        return !buffer.is_object() || buffer.contains("uri");
    });
    if (!buffers[0].is_object() || buffers[0].contains("uri"))
    {
        standIns.needsWholeContainer = !othersHaveUris;
        return;
    }
    BufferFile file{0, path, unsignedMember(buffers[0], "byteLength"), bin.offset};
    if (file.byteLength == 0 || file.byteLength > bin.length || !othersHaveUris)
        standIns.needsWholeContainer = true;
    else
        leaveInFile(buffers[0], file, standIns);
}

// Pictures in buffers left in their files are given to the reader as one byte each.
void standInForPictures(nlohmann::json& document, StandIns& standIns)
{
    auto images = document.find("images");
    if (images == document.end() || !images->is_array() || standIns.files.empty())
        return;
    const nlohmann::json& views = arrayOf(document, "bufferViews");
    for (std::size_t index = 0; index < images->size(); ++index)
    {
        nlohmann::json& image = (*images)[index];
        const nlohmann::json* view = viewOfImage(image, views);
        std::uint64_t buffer = view != nullptr ? unsignedMember(*view, "buffer") : 0;
        bool inFile = view != nullptr && std::any_of(standIns.files.begin(), standIns.files.end(),
                                                     [&](const BufferFile& file) { return file.buffer == buffer; });
        if (!inFile)
            continue;
        standIns.pictures.push_back({index, image["bufferView"].get<int>(), stringMember(image, "mimeType")});
        image.erase("bufferView");
        image["uri"] = oneByteUri;
    }
}
}

bool mentionsCompression(const std::string& text)
{
    return text.find(meshoptName) != std::string::npos || text.find(dracoName) != std::string::npos;
}

bool spareTheReader(nlohmann::json& document, const std::string& text, const std::string& path, bool binary,
                    const BinChunk* bin, StandIns& standIns, std::string& problem)
{
    if (!imageViewsFitTheirBuffers(document, problem))
        return false;
    auto buffers = document.find("buffers");
    if (buffers == document.end() || !buffers->is_array())
        return true;
    if (mentionsCompression(text))
    {
        standInForPlaceholders(*buffers, binary, standIns);
        lendViewsToDracoIndices(document, standIns);
        standIns.needsWholeContainer = bin != nullptr;
        return true;
    }
    std::string folder = std::filesystem::path(path).parent_path().string();
    leaveBuffersInFiles(*buffers, folder.empty() ? "." : folder, standIns);
    if (bin != nullptr)
        leaveBinChunk(*buffers, path, *bin, standIns);
    standInForPictures(document, standIns);
    return true;
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
    for (std::size_t at = 0; at < standIns.files.size(); ++at)
    {
        model.buffers[standIns.files[at].buffer].uri = standIns.fileUris[at];
        model.buffers[standIns.files[at].buffer].data.clear();
    }
    BufferBytes buffers(model, standIns.files);
    for (const PictureInFile& picture : standIns.pictures)
    {
        tinygltf::Image& image = model.images[picture.image];
        const tinygltf::BufferView& view = model.bufferViews[static_cast<std::size_t>(picture.view)];
        image.uri.clear();
        image.bufferView = picture.view;
        image.mimeType = picture.mimeType;
        image.image.resize(view.byteLength);
        if (!buffers.copy(view.buffer, view.byteOffset, view.byteLength, image.image.data()))
            image.image.clear();
    }
}

}
