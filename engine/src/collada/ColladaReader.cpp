#include "pellux/collada/ColladaReader.h"

#include "pellux/collada/ColladaAnimationReader.h"
#include "pellux/collada/ColladaControllerReader.h"
#include "pellux/collada/ColladaGeometryReader.h"
#include "pellux/collada/ColladaMaterialReader.h"
#include "pellux/collada/ColladaNodeReader.h"
#include "pellux/collada/XmlReading.h"

#include <tinyxml.h>

namespace Pellux
{

std::string Collada::problem(const std::string& kind, const std::string& id, const std::string& text)
{
    return "COLLADA " + kind + " '" + id + "': " + text;
}

Collada::Document ColladaReader::read(TiXmlDocument& xml)
{
    Collada::Document document;
    TiXmlElement* root = xml.FirstChildElement("COLLADA");
    document.hasColladaElement = root != nullptr;
    document.upAxis = Xml::text(Xml::child(Xml::child(root, "asset"), "up_axis"));
    ColladaMaterialReader materials(document);
    materials.readImages(Xml::child(root, "library_images"));
    materials.readEffects(Xml::child(root, "library_effects"));
    materials.readMaterials(Xml::child(root, "library_materials"));
    ColladaGeometryReader(document).readGeometries(root != nullptr ? root->FirstChildElement("library_geometries")
                                                                   : nullptr);
    ColladaControllerReader(document).readControllers(Xml::child(root, "library_controllers"));
    ColladaNodeReader nodes(document);
    nodes.readLights(Xml::child(root, "library_lights"));
    nodes.readCameras(Xml::child(root, "library_cameras"));
    Xml::forEachChild(root, "library_nodes", [&](const TiXmlElement* library) { nodes.readLibraryNodes(library); });
    nodes.readVisualScene(Xml::child(root, "library_visual_scenes"));
    ColladaAnimationReader(document).readAnimations(Xml::child(root, "library_animations"));
    return document;
}

}
