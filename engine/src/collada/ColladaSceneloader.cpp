#include "pellux/collada/ColladaSceneloader.h"

#include "collada/ColladaAnimationBuilder.h"
#include "collada/ColladaLoad.h"
#include "collada/ColladaMaterialBuilder.h"
#include "collada/ColladaMeshBuilder.h"
#include "collada/ColladaNodeBuilder.h"
#include "collada/ColladaSkinBuilder.h"
#include "pellux/collada/ColladaReader.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/Logger.h"
#include "pellux/foundation/XmlDocument.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/scene/Scene.h"

#include <tinyxml.h>

#include <filesystem>

namespace Pellux
{

std::string ColladaSceneloader::upAxis;

// The parsed XML goes before the building starts.
bool ColladaSceneloader::read(const File& file, Collada::Document& document)
{
    TiXmlDocument xml(file.getPath());
    std::string problem;
    if (!readXmlFile(file.getPath(), xml, problem))
    {
        LOG(Logger::getInstance().err) << "COLLADA document could not be read: " << file.getPath() << " (" << problem
                                       << ")" << std::endl;
        return false;
    }
    document = ColladaReader::read(xml);
    return true;
}

Scene* ColladaSceneloader::load(File file, bool* documentRead, Units units)
{
    std::size_t materials = 0;
    return loadFile(file, documentRead, true, materials, units);
}

namespace
{
// "geometry 'box'" of "COLLADA geometry 'box': ...".
std::string partOfTheDocument(const std::string& line)
{
    const std::string collada = "COLLADA ";
    std::size_t end = line.find("': ");
    if (line.compare(0, collada.size(), collada) != 0 || end == std::string::npos)
        return "";
    return line.substr(collada.size(), end + 1 - collada.size());
}
}

ColladaSceneloader::Import ColladaSceneloader::import(const File& file, Units units)
{
    DiagnosticCollector collector(Logger::getInstance());
    Import result;
    result.scene.reset(load(file, &result.read, units));
    result.diagnostics = collector.diagnostics(partOfTheDocument);
    return result;
}

Scene* ColladaSceneloader::loadWithoutRendering(File file, bool* documentRead, std::size_t& materials)
{
    return loadFile(file, documentRead, false, materials, Units::AsWritten);
}

Scene* ColladaSceneloader::loadFile(const File& file, bool* documentRead, bool rendering, std::size_t& materials,
                                    Units units)
{
    auto* scene = new Scene("scene");
    Collada::Document document;
    bool documentFound = read(file, document);
    if (documentRead != nullptr)
        *documentRead = documentFound;
    materials = documentFound ? build(document, file.getPath(), *scene, rendering, units) : 0;
    return scene;
}

std::size_t ColladaSceneloader::build(Collada::Document& document, const std::string& documentName, Scene& scene,
                                      bool rendering, Units units)
{
    Tavrin& engine = Tavrin::current();
    MaterialManager& materialManager = *engine.getMaterialManager();
    std::size_t materialsBefore = materialManager.size();
    upAxis = document.upAxis;
    ColladaLoad load(engine, scene, Logger::getInstance(), document);
    std::error_code noDirectory;
    load.documentName = documentName;
    load.documentDirectory = std::filesystem::absolute(documentName, noDirectory).parent_path().string();
    load.rendering = rendering;
    if (!document.hasColladaElement)
        load.report("document", documentName, "has no \"COLLADA\" element");
    load.report(document.assetProblems);
    ColladaMaterialBuilder materials(load);
    materials.loadImages();
    materials.reportEffects();
    materials.makeMaterials();
    ColladaMeshBuilder(load).makeMeshes(document.geometries);
    ColladaSkinBuilder skins(load);
    skins.makeSkinnedMeshes();
    ColladaNodeBuilder nodes(load);
    nodes.reportCameras();
    nodes.buildNodeTree(units == Units::Metres ? document.unitInMeters : 1.0f);
    skins.bindJoints();
    for (Animation* made : ColladaAnimationBuilder(load).makeAnimations())
        scene.addAnimation(made);
    std::size_t materialsMade = materialManager.size() - materialsBefore;
    for (const std::string& name : load.materialsNotMade)
        materialsMade += materialManager.get(name) == nullptr ? 1 : 0;
    return materialsMade;
}

std::vector<std::string> ColladaSceneloader::imageNames(const Collada::Image& image, const std::string& documentDirectory)
{
    return ColladaMaterialBuilder::imageNames(image, documentDirectory);
}

}
