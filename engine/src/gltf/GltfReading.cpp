#include "gltf/GltfReading.h"

#include "gltf/GltfStandIns.h"
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
const std::uint32_t jsonChunkType = 0x4E4F534A;
const std::uint32_t binChunkType = 0x004E4942;

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

std::uint32_t wordAt(const unsigned char* bytes)
{
    std::uint32_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// A container's header and JSON chunk, and where its BIN chunk lies, when its chunks stand as the
// reader takes them; the BIN chunk's data is then read from the file as it is needed. False for any
// other container, and for a JSON document.
bool readContainerHead(const std::string& path, std::vector<unsigned char>& head, BinChunk& bin)
{
    std::error_code unknown;
    std::uint64_t size = std::filesystem::file_size(path, unknown);
    std::ifstream file(path, std::ios::binary);
    unsigned char header[glbHeaderBytes + glbChunkHeaderBytes];
    if (unknown || !unreadableFileReason(path).empty() || !file.read(reinterpret_cast<char*>(header), sizeof header) ||
        std::memcmp(header, glbMagic, 4) != 0)
        return false;
    std::uint64_t declared = wordAt(header + 8);
    std::uint64_t jsonEnd = sizeof header + std::uint64_t(wordAt(header + 12));
    if (declared > size || jsonEnd == sizeof header || jsonEnd > declared || jsonEnd % 4 != 0 ||
        wordAt(header + 16) != jsonChunkType)
        return false;
    bin = BinChunk{};
    if (jsonEnd < declared)
    {
        unsigned char chunk[glbChunkHeaderBytes];
        if (jsonEnd + glbChunkHeaderBytes + 4 > declared || !file.seekg(static_cast<std::streamoff>(jsonEnd)) ||
            !file.read(reinterpret_cast<char*>(chunk), sizeof chunk))
            return false;
        bin = BinChunk{jsonEnd + glbChunkHeaderBytes, wordAt(chunk)};
        if (bin.length < 4 || bin.length % 4 != 0 || bin.offset + bin.length > declared ||
            wordAt(chunk + 4) != binChunkType)
            return false;
    }
    head.resize(static_cast<std::size_t>(jsonEnd));
    file.seekg(0);
    return static_cast<bool>(file.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(jsonEnd)));
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
    std::uint32_t length = wordAt(bytes.data() + glbHeaderBytes);
    std::size_t start = glbHeaderBytes + glbChunkHeaderBytes;
    std::size_t available = bytes.size() - start;
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                       bytes.begin() + static_cast<std::ptrdiff_t>(start + std::min<std::size_t>(length, available)));
}

// Whether the container holds all of the JSON chunk its header declares.
bool wholeJsonChunk(const std::vector<unsigned char>& glb)
{
    if (glb.size() < glbHeaderBytes + glbChunkHeaderBytes)
        return false;
    std::uint64_t end = glbHeaderBytes + glbChunkHeaderBytes + std::uint64_t(wordAt(glb.data() + glbHeaderBytes));
    return end <= glb.size() && end <= wordAt(glb.data() + 8);
}

// The reader takes a container's BIN chunk for whole once its length and the 8 bytes before it lie
// inside the container, and copies the chunk's last 8 bytes from past its end; such a container is
// refused before it is handed over.
bool binChunkFits(const std::vector<unsigned char>& glb, std::string& problem)
{
    if (glb.size() < glbHeaderBytes + glbChunkHeaderBytes)
        return true;
    std::uint64_t binStart = glbHeaderBytes + glbChunkHeaderBytes + std::uint64_t(wordAt(glb.data() + glbHeaderBytes));
    std::uint64_t end = std::min<std::uint64_t>(wordAt(glb.data() + 8), glb.size());
    if (binStart + glbChunkHeaderBytes > end)
        return true;
    std::uint32_t binLength = wordAt(glb.data() + binStart);
    if (binStart + glbChunkHeaderBytes + binLength <= end)
        return true;
    problem = "its BIN chunk of " + std::to_string(binLength) + " bytes reaches past the end of the container";
    return false;
}

// The container with `json` for its JSON chunk, padded with spaces to four bytes as GLB asks.
std::vector<unsigned char> withJsonChunk(const std::vector<unsigned char>& glb, std::string json)
{
    std::uint32_t declared = wordAt(glb.data() + 8);
    std::uint32_t length = wordAt(glb.data() + glbHeaderBytes);
    json.resize((json.size() + 3) / 4 * 4, ' ');
    auto rest = glb.begin() + static_cast<std::ptrdiff_t>(glbHeaderBytes + glbChunkHeaderBytes + length);
    std::vector<unsigned char> rebuilt;
    rebuilt.reserve(glbHeaderBytes + glbChunkHeaderBytes + json.size() + static_cast<std::size_t>(glb.end() - rest));
    rebuilt.insert(rebuilt.end(), glb.begin(), glb.begin() + glbHeaderBytes + glbChunkHeaderBytes);
    rebuilt.insert(rebuilt.end(), json.begin(), json.end());
    rebuilt.insert(rebuilt.end(), rest, glb.end());
    std::uint32_t chunkLength = static_cast<std::uint32_t>(json.size());
    std::uint32_t total = declared - length + chunkLength;
    std::memcpy(rebuilt.data() + 8, &total, sizeof total);
    std::memcpy(rebuilt.data() + glbHeaderBytes, &chunkLength, sizeof chunkLength);
    return rebuilt;
}

void appendWord(std::vector<unsigned char>& bytes, std::uint32_t word)
{
    const unsigned char* first = reinterpret_cast<const unsigned char*>(&word);
    bytes.insert(bytes.end(), first, first + sizeof word);
}

// A container of `json` alone, padded with spaces to four bytes as GLB asks.
std::vector<unsigned char> jsonOnlyContainer(std::string json)
{
    json.resize((json.size() + 3) / 4 * 4, ' ');
    std::vector<unsigned char> container(glbMagic, glbMagic + sizeof glbMagic);
    appendWord(container, 2);
    appendWord(container, static_cast<std::uint32_t>(glbHeaderBytes + glbChunkHeaderBytes + json.size()));
    appendWord(container, static_cast<std::uint32_t>(json.size()));
    appendWord(container, jsonChunkType);
    container.insert(container.end(), json.begin(), json.end());
    return container;
}

// glTF's own media type for buffers in data URIs, which the reader knows only as octet streams.
bool nameBufferUrisAsTheReaderKnowsThem(std::string& text)
{
    const std::string ours = "\"data:application/gltf-buffer;base64,";
    const std::string known = "\"data:application/octet-stream;base64,";
    if (text.find(ours) == std::string::npos)
        return false;
    for (std::size_t at = text.find(ours); at != std::string::npos; at = text.find(ours, at + known.size()))
        text.replace(at, ours.size(), known);
    return true;
}

// Deeper JSON than any document needs; tinygltf and the JSON writer descend it recursively, and a
// hostile depth would exhaust the stack.
const int deepestNesting = 1000;

// The parsed JSON, or nothing with `tooDeep` when it nests deeper than `deepestNesting`; the parser
// itself follows the nesting without recursion.
nlohmann::json parsedWithinDepth(const std::string& text, bool& tooDeep)
{
    tooDeep = false;
    auto watch = [&tooDeep](int depth, nlohmann::json::parse_event_t, nlohmann::json&) {
        tooDeep = tooDeep || depth > deepestNesting;
        return !tooDeep;
    };
    nlohmann::json parsed = nlohmann::json::parse(text, watch, false);
    return tooDeep ? nlohmann::json() : parsed;
}

// What is handed to the reader: the JSON text, or the container's bytes, and what it is spared.
struct ReaderInput
{
    std::string text;
    std::vector<unsigned char> bytes;
    bool binary = false;
    StandIns standIns;
};

// Reads the document for the reader: a container without its BIN chunk when `withoutBinChunk` and
// the container allows it, else whole.
bool prepareInput(const std::string& path, bool withoutBinChunk, ReaderInput& input, std::string& problem)
{
    input = ReaderInput();
    BinChunk bin;
    bool headOnly = withoutBinChunk && readContainerHead(path, input.bytes, bin);
    if (!headOnly && !readBytes(path, input.bytes, problem))
        return false;
    if (!looksLikeGltf(input.bytes))
    {
        problem = "it is neither a GLB container nor a JSON object";
        return false;
    }
    input.binary = input.bytes.size() >= 4 && std::memcmp(input.bytes.data(), glbMagic, 4) == 0;
    if (input.binary && !headOnly && !binChunkFits(input.bytes, problem))
        return false;
    input.text = jsonOf(input.bytes);
    bool rewritable = !input.binary || headOnly || wholeJsonChunk(input.bytes);
    bool renamed = rewritable && nameBufferUrisAsTheReaderKnowsThem(input.text);
    bool tooDeep = false;
    nlohmann::json document = rewritable ? parsedWithinDepth(input.text, tooDeep) : nlohmann::json();
    if (tooDeep)
    {
        problem = "its JSON nests deeper than " + std::to_string(deepestNesting) + " levels";
        return false;
    }
    if (document.is_object() &&
        !spareTheReader(document, input.text, path, input.binary, headOnly ? &bin : nullptr, input.standIns, problem))
        return false;
    if (!document.is_object())
        input.standIns.needsWholeContainer = headOnly;
    if (!input.standIns.empty())
        input.text = document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    if (input.binary && headOnly)
        input.bytes = jsonOnlyContainer(input.text);
    else if (input.binary && (renamed || !input.standIns.empty()))
        input.bytes = withJsonChunk(input.bytes, input.text);
    return true;
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

bool readDocument(const std::string& path, tinygltf::Model& model, std::vector<BufferFile>& files,
                  std::string& problem)
{
    ReaderInput input;
    if (!prepareInput(path, true, input, problem))
        return false;
    if (input.standIns.needsWholeContainer && !prepareInput(path, false, input, problem))
        return false;
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (folder.empty())
        folder = ".";
    bool compressed = mentionsCompression(input.text);
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(keepUndecoded, nullptr);
    loader.SetFsCallbacks({fileExists, samePath, readWholeFile, writeNothing, &folder});
    // The decompression reads the extensions' numbers whole from their JSON.
    loader.SetStoreOriginalJSONForExtrasAndExtensions(compressed);
    std::string error;
    std::string warning;
    bool read = input.binary ? loader.LoadBinaryFromMemory(&model, &error, &warning, input.bytes.data(),
                                                           static_cast<unsigned int>(input.bytes.size()), folder)
                             : loader.LoadASCIIFromString(&model, &error, &warning, input.text.c_str(),
                                                          static_cast<unsigned int>(input.text.size()), folder);
    if (!read)
        problem = firstLine(error.empty() ? "the document does not parse" : error);
    else
        putBack(model, input.standIns);
    files = read ? input.standIns.files : std::vector<BufferFile>();
    return read;
}

}
