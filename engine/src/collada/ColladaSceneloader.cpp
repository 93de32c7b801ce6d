#include "pellux/collada/ColladaSceneloader.h"

#include "pellux/collada/ColladaAnimationBuilder.h"
#include "pellux/collada/ColladaLoad.h"
#include "pellux/collada/ColladaMaterialBuilder.h"
#include "pellux/collada/ColladaMeshBuilder.h"
#include "pellux/collada/ColladaNodeBuilder.h"
#include "pellux/collada/ColladaReader.h"
#include "pellux/collada/ColladaSkinBuilder.h"
#include "pellux/foundation/Logger.h"
#include "pellux/foundation/XmlDocument.h"
#include "pellux/scene/Scene.h"

#include <tinyxml.h>

namespace Pellux
{

namespace
{
// The document read into plain data; false, with the reason logged, when it cannot be parsed. The
// parsed XML goes before the building starts.
bool readDocument(const File& file, Collada::Document& document, Logger& logger)
{
    TiXmlDocument xml(file.getPath());
    std::string problem;
    if (!readXmlFile(file.getPath(), xml, problem))
    {
        LOG(logger.err) << "COLLADA document could not be read: " << file.getPath() << " (" << problem << ")"
                        << std::endl;
        return false;
    }
    document = ColladaReader::read(xml);
    return true;
}
}

std::string ColladaSceneloader::upAxis;

Scene* ColladaSceneloader::load(File file, bool* documentRead)
{
    Logger& logger = Logger::getInstance();
    auto* scene = new Scene("scene");
    Collada::Document document;
    bool read = readDocument(file, document, logger);
    if (documentRead != nullptr)
        *documentRead = read;
    if (!read)
        return scene;
    upAxis = document.upAxis;

    ColladaLoad load(*scene, logger, document);
    if (!document.hasColladaElement)
        load.report("document", file.getPath(), "has no \"COLLADA\" element");
    ColladaMaterialBuilder materials(load);
    materials.loadImages();
    materials.reportEffects();
    materials.makeMaterials();
    ColladaMeshBuilder(load).makeMeshes(document.geometries);
    ColladaSkinBuilder skins(load);
    skins.makeSkinnedMeshes();
    ColladaNodeBuilder nodes(load);
    nodes.reportCameras();
    nodes.buildNodeTree();
    skins.bindJoints();
    ColladaAnimationBuilder animations(load);
    for (const Collada::Animation& animation : document.animations)
        for (Animation* made : animations.makeAnimations(animation))
            scene->addAnimation(made);
    return scene;
}

}
