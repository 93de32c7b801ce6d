// Generates glTF documents of about 10 MB and 100 MB (grids with positions, normals, texture
// coordinates and 32-bit indices in one buffer, no pictures), each as JSON with the buffer beside it
// and as a GLB container, and measures, for each,
// the engine's load without materials beside tinygltf's bare parse of the same file and an import by
// assimp without post-processing, and gives the load's ratios to them. Each measurement runs in a
// process of its own, so that its peak memory is its own. Run it with scripts/bench gltf.
#include "gltf/TinyGltf.h"
#include "pellux/gltf/GltfSceneloader.h"
#include "pellux/scene/Scene.h"

#include "ChildMeasure.h"

#include <assimp/cimport.h>
#include <assimp/scene.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{
const int side = 100;
// Each measurement is the median of this many.
const int runs = 11;

void append(std::vector<char>& bin, const void* data, std::size_t bytes)
{
    const char* first = static_cast<const char*>(data);
    bin.insert(bin.end(), first, first + bytes);
}

// One grid's arrays appended to the buffer; its accessors and views written to the JSON parts.
void appendGrid(int grid, std::vector<char>& bin, std::ostringstream& views, std::ostringstream& accessors)
{
    std::vector<float> positions, normals, uvs;
    for (int vertex = 0; vertex < side * side; ++vertex)
    {
        float x = static_cast<float>(vertex % side) * 0.25f;
        float z = static_cast<float>(vertex / side) * 0.25f;
        positions.insert(positions.end(), {x, static_cast<float>(std::rand() % 1000) * 0.001f, z});
        normals.insert(normals.end(), {0.0123f, 0.9998f, static_cast<float>(std::rand() % 1000) * 0.0001f});
        uvs.insert(uvs.end(), {x / side, z / side});
    }
    std::vector<unsigned int> indices;
    for (int row = 0; row + 1 < side; ++row)
        for (int column = 0; column + 1 < side; ++column)
        {
            unsigned int corner = static_cast<unsigned int>(row * side + column);
            unsigned int next = corner + static_cast<unsigned int>(side);
            indices.insert(indices.end(), {corner, next, corner + 1, corner + 1, next, next + 1});
        }
    const std::vector<std::pair<const void*, std::size_t>> arrays = {
        {positions.data(), positions.size() * 4}, {normals.data(), normals.size() * 4},
        {uvs.data(), uvs.size() * 4}, {indices.data(), indices.size() * 4}};
    const char* const types[] = {"VEC3", "VEC3", "VEC2", "SCALAR"};
    for (std::size_t array = 0; array < arrays.size(); ++array)
    {
        views << (grid == 0 && array == 0 ? "" : ",") << "{\"buffer\":0,\"byteOffset\":" << bin.size()
              << ",\"byteLength\":" << arrays[array].second << "}";
        bool isIndex = array == 3;
        accessors << (grid == 0 && array == 0 ? "" : ",") << "{\"bufferView\":" << grid * 4 + static_cast<int>(array)
                  << ",\"componentType\":" << (isIndex ? 5125 : 5126)
                  << ",\"count\":" << (isIndex ? indices.size() : static_cast<std::size_t>(side * side))
                  << ",\"type\":\"" << types[array] << "\"}";
        append(bin, arrays[array].first, arrays[array].second);
    }
}

void appendWord(std::string& bytes, std::uint32_t word)
{
    bytes.append(reinterpret_cast<const char*>(&word), sizeof word);
}

// The JSON text and the buffer beside it as ".bin", or both in one ".glb" container.
void writeFiles(const std::string& path, std::string json, const std::vector<char>& bin)
{
    std::filesystem::path file(path);
    if (file.extension() != ".glb")
    {
        std::ofstream(file.replace_extension(".bin"), std::ios::binary)
            .write(bin.data(), static_cast<std::streamsize>(bin.size()));
        std::ofstream(path) << json;
        return;
    }
    json.resize((json.size() + 3) / 4 * 4, ' ');
    std::string header = "glTF";
    appendWord(header, 2);
    appendWord(header, static_cast<std::uint32_t>(12 + 8 + json.size() + 8 + bin.size()));
    appendWord(header, static_cast<std::uint32_t>(json.size()));
    header += "JSON";
    std::string binHeader;
    appendWord(binHeader, static_cast<std::uint32_t>(bin.size()));
    binHeader.append("BIN\0", 4);
    std::ofstream(path, std::ios::binary) << header << json << binHeader;
    std::ofstream(path, std::ios::binary | std::ios::app).write(bin.data(), static_cast<std::streamsize>(bin.size()));
}

void writeDocument(const std::string& path, std::size_t targetBytes)
{
    std::vector<char> bin;
    std::ostringstream views, accessors, meshes, nodes, roots;
    int grids = 0;
    std::srand(7);
    while (bin.size() < targetBytes)
    {
        appendGrid(grids, bin, views, accessors);
        int first = grids * 4;
        meshes << (grids == 0 ? "" : ",") << "{\"primitives\":[{\"attributes\":{\"POSITION\":" << first
               << ",\"NORMAL\":" << first + 1 << ",\"TEXCOORD_0\":" << first + 2 << "},\"indices\":" << first + 3
               << "}]}";
        nodes << (grids == 0 ? "" : ",") << "{\"mesh\":" << grids << ",\"translation\":[" << grids * 30 << ",0,0]}";
        roots << (grids == 0 ? "" : ",") << grids;
        ++grids;
    }
    std::filesystem::path file(path);
    std::string uri = file.extension() == ".glb" ? "" : "\"uri\":\"" + file.stem().string() + ".bin\",";
    std::ostringstream json;
    json << "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[" << roots.str() << "]}],\"nodes\":["
         << nodes.str() << "],\"meshes\":[" << meshes.str() << "],\"buffers\":[{" << uri
         << "\"byteLength\":" << bin.size() << "}],\"bufferViews\":[" << views.str() << "],\"accessors\":["
         << accessors.str() << "]}";
    writeFiles(path, json.str(), bin);
}

double megabytesOf(const std::string& path)
{
    std::filesystem::path bin = std::filesystem::path(path).replace_extension(".bin");
    std::error_code none;
    return static_cast<double>(std::filesystem::file_size(path) + std::filesystem::file_size(bin, none)) / 1e6;
}

// The load against tinygltf's parse and the file's size, as the ratios the engine is held to.
void printRatios(const Result& tinygltf, const Result& assimp, const Result& pellux, double megabytes)
{
    if (tinygltf.seconds <= 0 || assimp.seconds <= 0 || pellux.seconds <= 0)
        return;
    double fileMebibytes = megabytes * 1e6 / (1024.0 * 1024.0);
    std::printf("  Pellux load: %.2fx tinygltf's time, %.2fx assimp's; memory it adds at its peak %.2fx the file\n",
                pellux.seconds / tinygltf.seconds, pellux.seconds / assimp.seconds,
                pellux.addedKilobytes / 1024.0 / fileMebibytes);
    std::fflush(stdout);
}

// The document at `path`: the load beside tinygltf's parse and assimp's import. Each measurement
// follows a load of the small document at `warmUp` in the same process, so that what a library
// does once in a process, binding its symbols and setting itself up, is not counted as loading.
void measure(const std::string& path, const std::string& warmUp, double size)
{
    bool container = std::filesystem::path(path).extension() == ".glb";
    auto tinygltfParse = [container](const std::string& document) {
        tinygltf::TinyGLTF loader;
        tinygltf::Model model;
        std::string error, warning;
        return container ? loader.LoadBinaryFromFile(&model, &error, &warning, document)
                         : loader.LoadASCIIFromFile(&model, &error, &warning, document);
    };
    auto assimpImport = [](const std::string& document) {
        const aiScene* scene = aiImportFile(document.c_str(), 0);
        aiReleaseImport(scene);
        return scene != nullptr;
    };
    auto pelluxLoad = [](const std::string& document) {
        bool read = false;
        std::size_t materials = 0;
        std::unique_ptr<Pellux::Scene> scene(
            Pellux::GltfSceneloader::loadWithoutRendering(File(document), &read, materials));
        return read;
    };
    Result tinygltf =
        medianInChildren(runs, [&] { return tinygltfParse(path); }, [&] { return tinygltfParse(warmUp); });
    print("tinygltf parse", size, tinygltf);
    Result assimp = medianInChildren(runs, [&] { return assimpImport(path); }, [&] { return assimpImport(warmUp); });
    print("assimp import", size, assimp);
    std::ostringstream quiet;
    Result pellux = medianInChildren(runs, [&] { return pelluxLoad(path); }, [&] {
        std::cout.rdbuf(quiet.rdbuf());
        return pelluxLoad(warmUp);
    });
    print("Pellux load", size, pellux);
    printRatios(tinygltf, assimp, pellux, size);
}

void removeDocument(const std::string& path)
{
    std::filesystem::remove(path);
    std::filesystem::remove(std::filesystem::path(path).replace_extension(".bin"));
}
}

int main()
{
    std::string directory = std::filesystem::temp_directory_path().string() + "/pellux-benchmark-";
    for (std::size_t megabytes : {10, 100})
        for (const char* extension : {".gltf", ".glb"})
        {
            std::string warmUp = directory + "warm-up" + extension;
            std::string path = directory + std::to_string(megabytes) + "mb" + extension;
            // Written by a process of its own, so that the measuring processes, which start as copies
            // of this one, do not inherit the memory the writing left behind.
            inChild([&] {
                writeDocument(warmUp, 1);
                writeDocument(path, megabytes * 1000 * 1000);
                return true;
            });
            double size = megabytesOf(path);
            std::printf("%.1f MB document (%s), median of %d runs\n", size,
                        std::string(extension) == ".glb" ? "one container" : "JSON and buffer", runs);
            std::fflush(stdout);
            measure(path, warmUp, size);
            removeDocument(warmUp);
            if (std::getenv("PELLUX_KEEP_DOCUMENT") == nullptr)
                removeDocument(path);
        }
    return 0;
}
