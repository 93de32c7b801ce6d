// Generates COLLADA documents of about 10 MB and 100 MB and measures, for each, the engine's whole
// load beside TinyXML's bare parse and an import by assimp without post-processing; then a crowd:
// 10,000 copies of a node skinned to 64 joints in a scene of 20,000 nodes, whose joints are found
// for every copy. Each measurement runs in a process of its own, so that its peak memory is its
// own. Run it with scripts/bench.
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/scene/Scene.h"

#include "ChildMeasure.h"

#include <assimp/cimport.h>
#include <assimp/scene.h>
#include <tinyxml.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
// Writes a document of textured, lit geometry: each geometry a grid of triangles with positions,
// normals and texture coordinates at offsets 0, 1 and 2, a node instancing it, and one animated node.
void writeDocument(const std::string& path, std::size_t targetBytes)
{
    std::ofstream out(path);
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
           "<asset><up_axis>Z_UP</up_axis></asset>\n"
           "<library_effects><effect id=\"stone-effect\"><profile_COMMON><technique sid=\"common\"><phong>"
           "<diffuse><color>0.6 0.55 0.5 1</color></diffuse></phong></technique></profile_COMMON></effect>"
           "</library_effects>\n<library_materials><material id=\"stone\"><instance_effect url=\"#stone-effect\"/>"
           "</material></library_materials>\n<library_geometries>\n";
    const int side = 40;
    int geometries = 0;
    std::srand(7);
    while (static_cast<std::size_t>(out.tellp()) < targetBytes)
    {
        std::string id = "grid" + std::to_string(geometries++);
        out << "<geometry id=\"" << id << "\"><mesh>\n<source id=\"" << id << "-positions\"><float_array id=\"" << id << "-p\" count=\""
            << side * side * 3 << "\">";
        for (int vertex = 0; vertex < side * side; ++vertex)
            out << vertex % side * 0.25f << " " << vertex / side * 0.25f << " " << (std::rand() % 1000) * 0.001f << " ";
        out << "</float_array><technique_common><accessor source=\"#" << id << "-p\" count=\"" << side * side
            << "\" stride=\"3\"><param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/>"
            << "<param name=\"Z\" type=\"float\"/></accessor></technique_common>"
            << "</source>\n<source id=\"" << id << "-normals\"><float_array id=\"" << id << "-n\" count=\"" << side * side * 3 << "\">";
        for (int vertex = 0; vertex < side * side; ++vertex)
            out << "0.0123 " << (std::rand() % 1000) * 0.0001f << " 0.9998 ";
        out << "</float_array><technique_common><accessor source=\"#" << id << "-n\" count=\"" << side * side
            << "\" stride=\"3\"><param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/>"
            << "<param name=\"Z\" type=\"float\"/></accessor></technique_common></source>\n<source id=\"" << id
            << "-uv\"><float_array id=\"" << id << "-t\" count=\"" << side * side * 2 << "\">";
        for (int vertex = 0; vertex < side * side; ++vertex)
            out << vertex % side / float(side) << " " << vertex / side / float(side) << " ";
        out << "</float_array><technique_common><accessor source=\"#" << id << "-t\" count=\"" << side * side
            << "\" stride=\"2\"><param name=\"S\" type=\"float\"/><param name=\"T\" type=\"float\"/>"
            << "</accessor></technique_common>"
            << "</source>\n<vertices id=\"" << id << "-vertices\"><input semantic=\"POSITION\" source=\"#" << id
            << "-positions\"/></vertices>\n<triangles material=\"stone-symbol\" count=\"" << (side - 1) * (side - 1) * 2
            << "\"><input semantic=\"VERTEX\" source=\"#" << id << "-vertices\" offset=\"0\"/><input semantic=\"NORMAL\" "
            << "source=\"#" << id << "-normals\" offset=\"1\"/><input semantic=\"TEXCOORD\" source=\"#" << id
            << "-uv\" offset=\"2\" set=\"0\"/><p>";
        for (int row = 0; row + 1 < side; ++row)
            for (int col = 0; col + 1 < side; ++col)
            {
                int a = row * side + col;
                for (int corner : {a, a + 1, a + side, a + side, a + 1, a + side + 1})
                    out << corner << " " << corner << " " << corner << " ";
            }
        out << "</p></triangles>\n</mesh></geometry>\n";
    }
    out << "</library_geometries>\n<library_visual_scenes><visual_scene id=\"scene\">\n";
    for (int geometry = 0; geometry < geometries; ++geometry)
        out << "<node id=\"node" << geometry << "\"><matrix>1 0 0 " << geometry % 20 * 10 << " 0 1 0 "
            << geometry / 20 * 10 << " 0 0 1 0 0 0 0 1</matrix><instance_geometry url=\"#grid" << geometry
            << "\"><bind_material><technique_common><instance_material symbol=\"stone-symbol\" target=\"#stone\"/>"
            << "</technique_common></bind_material></instance_geometry></node>\n";
    out << "</visual_scene></library_visual_scenes>\n<scene><instance_visual_scene url=\"#scene\"/></scene>\n"
           "</COLLADA>\n";
}

// Ten thousand instances of a node skinned to a chain of 64 joints, beside 20,000 other nodes.
void writeCrowdDocument(const std::string& path)
{
    const int joints = 64;
    std::ofstream out(path);
    out << "<COLLADA><asset><up_axis>Y_UP</up_axis></asset><library_geometries><geometry id=\"quad\"><mesh>"
           "<source id=\"quad-p\"><float_array>-1 -1 0 1 -1 0 1 1 0 -1 1 0</float_array></source>"
           "<vertices id=\"quad-v\"><input semantic=\"POSITION\" source=\"#quad-p\"/></vertices>"
           "<triangles material=\"paint\" count=\"2\"><input semantic=\"VERTEX\" source=\"#quad-v\" offset=\"0\"/>"
           "<p>0 1 2 0 2 3</p></triangles></mesh></geometry></library_geometries><library_controllers>"
           "<controller id=\"skin\"><skin source=\"#quad\"><source id=\"skin-j\"><Name_array>";
    for (int joint = 0; joint < joints; ++joint)
        out << " j" << joint;
    out << "</Name_array></source><source id=\"skin-b\"><float_array>";
    for (int joint = 0; joint < joints; ++joint)
        out << " 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1";
    out << "</float_array></source><source id=\"skin-w\"><float_array>1</float_array></source><joints>"
           "<input semantic=\"JOINT\" source=\"#skin-j\"/><input semantic=\"INV_BIND_MATRIX\" source=\"#skin-b\"/>"
           "</joints><vertex_weights><input semantic=\"JOINT\" source=\"#skin-j\" offset=\"0\"/><input "
           "semantic=\"WEIGHT\" source=\"#skin-w\" offset=\"1\"/><vcount>1 1 1 1</vcount><v>63 0 63 0 63 0 63 0</v>"
           "</vertex_weights></skin></controller></library_controllers><library_nodes><node id=\"body\">"
           "<instance_controller url=\"#skin\"><skeleton>#skeleton</skeleton></instance_controller></node>"
           "</library_nodes><library_visual_scenes><visual_scene id=\"scene\">";
    for (int node = 0; node < 20000; ++node)
        out << "<node id=\"other" << node << "\"/>";
    out << "<node id=\"skeleton\">";
    for (int joint = 0; joint < joints; ++joint)
        out << "<node id=\"joint" << joint << "\" sid=\"j" << joint << "\">";
    for (int joint = 0; joint <= joints; ++joint)
        out << "</node>";
    out << "<node id=\"crowd\">";
    for (int copy = 0; copy < 10000; ++copy)
        out << "<instance_node url=\"#body\"/>";
    out << "</node></visual_scene></library_visual_scenes></COLLADA>\n";
}

}

int main()
{
    std::string directory = std::filesystem::temp_directory_path().string();
    for (std::size_t megabytes : {10, 100})
    {
        std::string path = directory + "/pellux-benchmark-" + std::to_string(megabytes) + "mb.dae";
        writeDocument(path, megabytes * 1000 * 1000);
        double size = std::filesystem::file_size(path) / 1e6;
        std::printf("%.1f MB document\n", size);
        std::fflush(stdout);
        print("TinyXML parse", size, inChild([&] {
                  TiXmlDocument document(path);
                  return document.LoadFile();
              }));
        print("assimp import", size, inChild([&] { return aiImportFile(path.c_str(), 0) != nullptr; }));
        std::ostringstream quiet;
        print("Pellux load", size, inChild(
                  [&] {
                      bool read = false;
                      Pellux::ColladaSceneloader::load(File(path), &read);
                      return read;
                  },
                  [&] {
                      // The window and its context are the engine's, not the load's.
                      std::cout.rdbuf(quiet.rdbuf());
                      return Pellux::Tavrin::getInstance().getRenderEngine()->init(640, 480, false);
                  }));
        if (std::getenv("PELLUX_KEEP_DOCUMENT") == nullptr)
            std::filesystem::remove(path);
    }
    std::string crowd = directory + "/pellux-benchmark-crowd.dae";
    writeCrowdDocument(crowd);
    double size = std::filesystem::file_size(crowd) / 1e6;
    std::printf("%.1f MB document: 10,000 copies of a node skinned to 64 joints among 20,000 nodes\n", size);
    print("TinyXML parse", size, inChild([&] {
              TiXmlDocument document(crowd);
              return document.LoadFile();
          }));
    std::ostringstream quiet;
    print("Pellux load", size, inChild(
              [&] {
                  bool read = false;
                  std::size_t materials = 0;
                  delete Pellux::ColladaSceneloader::loadWithoutRendering(File(crowd), &read, materials);
                  return read;
              },
              [&] {
                  std::cout.rdbuf(quiet.rdbuf());
                  Pellux::Tavrin::getInstance();
                  return true;
              }));
    std::filesystem::remove(crowd);
    return 0;
}
