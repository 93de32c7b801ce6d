#include "pellux/gltf/GltfSceneloader.h"

#include "gltf/GltfBuilder.h"
#include "gltf/GltfChecks.h"
#include "gltf/GltfCompression.h"
#include "gltf/GltfReading.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/FileChecks.h"
#include "pellux/foundation/Logger.h"

#include <fstream>

namespace Pellux
{

namespace
{
// "meshes[0].primitives[0].indices" of "glTF <file>: meshes[0].primitives[0].indices: ...".
std::string placeInTheDocument(const std::string& line)
{
    std::size_t file = line.find(": ");
    std::size_t place = file == std::string::npos ? std::string::npos : line.find(": ", file + 2);
    if (line.compare(0, 5, "glTF ") != 0 || place == std::string::npos)
        return "";
    return line.substr(file + 2, place - file - 2);
}
}

Scene* GltfSceneloader::load(const File& file, bool* documentRead, const Selection& selection)
{
    std::size_t materials = 0;
    return loadFile(file, documentRead, true, materials, selection);
}

Scene* GltfSceneloader::loadWithoutRendering(const File& file, bool* documentRead, std::size_t& materials,
                                             const Selection& selection)
{
    return loadFile(file, documentRead, false, materials, selection);
}

Scene* GltfSceneloader::loadFile(const File& file, bool* documentRead, bool rendering, std::size_t& materials,
                                 const Selection& selection)
{
    Logger& logger = Logger::getInstance();
    auto scene = std::make_unique<Scene>("scene");
    tinygltf::Model model;
    std::vector<Gltf::BufferFile> bufferFiles;
    std::string problem;
    bool read = Gltf::readDocument(file.getPath(), model, bufferFiles, problem);
    if (!read)
        LOG(logger.err) << "glTF " << file.getPath() << ": could not be read (" << problem << ")" << std::endl;
    else
        Gltf::decompress(model, file.getPath(), logger);
    Gltf::BufferBytes buffers(model, bufferFiles);
    Gltf::AccessorValues accessorValues(model, buffers);
    bool sound = read && Gltf::checkDocument(file.getPath(), model, buffers, accessorValues, logger);
    Gltf::Builder builder(Tavrin::current(), model, accessorValues, file.getPath(), *scene, logger);
    if (sound && builder.checkExtensions())
        materials = builder.build(rendering, selection);
    if (documentRead != nullptr)
        *documentRead = read;
    return scene.release();
}

GltfSceneloader::Import GltfSceneloader::import(const File& file)
{
    DiagnosticCollector collector(Logger::getInstance());
    Import result;
    result.scene.reset(load(file, &result.read));
    result.diagnostics = collector.diagnostics(placeInTheDocument);
    return result;
}

bool GltfSceneloader::isGltf(const std::string& path)
{
    if (!unreadableFileReason(path).empty())
        return false;
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> start(64);
    file.read(reinterpret_cast<char*>(start.data()), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<std::size_t>(file.gcount()));
    return Gltf::looksLikeGltf(start);
}

}
