#include "pellux/collada/ColladaSceneloader.h"

#include "pellux/collada/ColladaAnimationReader.h"
#include "pellux/collada/ColladaGeometryReader.h"
#include "pellux/collada/ColladaLoad.h"
#include "pellux/collada/ColladaMaterialReader.h"
#include "pellux/collada/ColladaNodeReader.h"
#include "pellux/collada/XmlReading.h"
#include "pellux/foundation/Logger.h"
#include "pellux/foundation/XmlDocument.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/SceneNode.h"

#include <tinyxml.h>

namespace Pellux
{

std::string ColladaSceneloader::upAxis;

Scene* ColladaSceneloader::load(File file, bool* documentRead)
{
    Logger& logger = Logger::getInstance();
    auto* scene = new Scene("scene");
    TiXmlDocument document(file.getPath());
    std::string problem;
    bool read = readXmlFile(file.getPath(), document, problem);
    if (documentRead != nullptr)
        *documentRead = read;
    if (!read)
    {
        LOG(logger.err) << "COLLADA document could not be read: " << file.getPath() << " (" << problem << ")"
                        << std::endl;
        return scene;
    }
    TiXmlElement* root = document.FirstChildElement("COLLADA");
    upAxis = Xml::text(Xml::child(Xml::child(root, "asset"), "up_axis"));

    ColladaLoad load(*scene, logger);
    if (root == nullptr)
        load.report("document", file.getPath(), "has no \"COLLADA\" element");
    ColladaMaterialReader materials(load);
    materials.readImages(Xml::child(root, "library_images"));
    materials.readEffects(Xml::child(root, "library_effects"));
    materials.readMaterials(Xml::child(root, "library_materials"));
    ColladaGeometryReader(load).readGeometries(root != nullptr ? root->FirstChildElement("library_geometries") : nullptr);
    ColladaNodeReader nodes(load);
    nodes.collectLights(Xml::child(root, "library_lights"));
    nodes.readCameras(Xml::child(root, "library_cameras"));
    nodes.buildNodeTree(Xml::child(root, "library_visual_scenes"));
    ColladaAnimationReader animations(load);
    Xml::forEachChild(Xml::child(root, "library_animations"), "animation", [&](const TiXmlElement* animation) {
        for (Animation* read : animations.read(animation))
            scene->addAnimation(read);
    });
    return scene;
}

std::vector<Animation*> ColladaSceneloader::readAnimation(const TiXmlElement* animation, Scene* scene)
{
    ColladaLoad load(*scene, Logger::getInstance());
    auto colladaRoot = scene->getRoot()->getChildren().find("colladaRoot");
    if (colladaRoot != scene->getRoot()->getChildren().end())
        for (const auto& child : colladaRoot->second->getChildren())
            load.topLevelNodes.insert(child.second);
    return ColladaAnimationReader(load).read(animation);
}

}
