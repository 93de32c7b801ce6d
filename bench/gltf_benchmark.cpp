// Generates glTF documents of about 10 MB and 100 MB (grids with positions, normals, texture
// coordinates and 32-bit indices in one buffer beside the JSON, no pictures) and measures, for each,
// the engine's load without materials beside tinygltf's bare parse of the same file and an import by
// assimp without post-processing. Each measurement runs in a process of its own, so that its peak
// memory is its own. Run it with scripts/bench gltf.
#include "gltf/TinyGltf.h"
#include "pellux/gltf/GltfSceneloader.h"
#include "pellux/scene/Scene.h"

#include "ChildMeasure.h"

#include <assimp/cimport.h>
#include <assimp/scene.h>

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
    std::string binName = std::filesystem::path(path).stem().string() + ".bin";
    std::ofstream(std::filesystem::path(path).parent_path() / binName, std::ios::binary).write(bin.data(), static_cast<std::streamsize>(bin.size()));
    std::ofstream(path) << "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[" << roots.str()
                        << "]}],\"nodes\":[" << nodes.str() << "],\"meshes\":[" << meshes.str()
                        << "],\"buffers\":[{\"uri\":\"" << binName << "\",\"byteLength\":" << bin.size()
                        << "}],\"bufferViews\":[" << views.str() << "],\"accessors\":[" << accessors.str() << "]}";
}

double megabytesOf(const std::string& path)
{
    std::filesystem::path bin = std::filesystem::path(path).replace_extension(".bin");
    return static_cast<double>(std::filesystem::file_size(path) + std::filesystem::file_size(bin)) / 1e6;
}
}

int main()
{
    std::string directory = std::filesystem::temp_directory_path().string();
    for (std::size_t megabytes : {10, 100})
    {
        std::string path = directory + "/pellux-benchmark-" + std::to_string(megabytes) + "mb.gltf";
        writeDocument(path, megabytes * 1000 * 1000);
        double size = megabytesOf(path);
        std::printf("%.1f MB document (JSON and buffer)\n", size);
        std::fflush(stdout);
        print("tinygltf parse", size, inChild([&] {
                  tinygltf::TinyGLTF loader;
                  tinygltf::Model model;
                  std::string error, warning;
                  return loader.LoadASCIIFromFile(&model, &error, &warning, path);
              }));
        print("assimp import", size, inChild([&] { return aiImportFile(path.c_str(), 0) != nullptr; }));
        std::ostringstream quiet;
        print("Pellux load", size, inChild(
                  [&] {
                      bool read = false;
                      std::size_t materials = 0;
                      std::unique_ptr<Pellux::Scene> scene(
                          Pellux::GltfSceneloader::loadWithoutRendering(File(path), &read, materials));
                      return read;
                  },
                  [&] {
                      std::cout.rdbuf(quiet.rdbuf());
                      return true;
                  }));
        if (std::getenv("PELLUX_KEEP_DOCUMENT") == nullptr)
        {
            std::filesystem::remove(path);
            std::filesystem::remove(std::filesystem::path(path).replace_extension(".bin"));
        }
    }
    return 0;
}
