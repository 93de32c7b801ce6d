// Feeds arbitrary bytes to the COLLADA importer as a document: reading it and building the scene
// (nodes, meshes, skins, animations; materials only counted, as they need OpenGL) must not crash,
// hang or read out of bounds. Needs no display and writes no file. Built for libFuzzer
// (scripts/fuzz), and as a replay of the corpus for the tests.
#include "FuzzSupport.h"

#include "pellux/collada/ColladaReader.h"
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/foundation/XmlDocument.h"
#include "pellux/scene/Scene.h"

#include <tinyxml.h>


extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool opened = openEngineRoot();
    (void)opened;
    TiXmlDocument xml;
    std::string problem;
    if (!Pellux::parseXmlText(std::string(reinterpret_cast<const char*>(data), size), xml, problem))
        return 0;
    Pellux::Collada::Document document = Pellux::ColladaReader::read(xml);
    Pellux::Scene scene("scene");
    Pellux::ColladaSceneloader::build(document, "fuzz input", scene, false);
    // Poses every animated node once.
    scene.setTime(1.0f);
    return 0;
}
