#include "pellux/collada/ColladaReader.h"

#include "collada/ColladaAnimationReader.h"
#include "collada/ColladaControllerReader.h"
#include "collada/ColladaGeometryReader.h"
#include "collada/ColladaMaterialReader.h"
#include "collada/ColladaNodeReader.h"
#include "collada/XmlReading.h"

#include <tinyxml.h>

#include <cmath>

namespace Pellux
{

namespace
{
// The length of the document's unit in metres: 1 unless "unit" gives another; a length that is no
// positive number is reported.
void readUnit(const TiXmlElement* unit, Collada::Document& document)
{
    if (!Xml::hasAttribute(unit, "meter"))
        return;
    std::string written = Xml::attribute(unit, "meter");
    float meters = 0;
    if (Xml::readFloat(written.c_str(), meters) && meters > 0 && std::isfinite(meters))
        document.unitInMeters = meters;
    else
        document.assetProblems.push_back(Collada::problem(
            "unit", Xml::attribute(unit, "name"), "meter=\"" + written + "\" is no length in metres; 1 is used"));
}
}

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
    readUnit(Xml::child(Xml::child(root, "asset"), "unit"), document);
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
    ColladaAnimationReader animations(document);
    Xml::forEachChild(root, "library_animations", [&](const TiXmlElement* library) { animations.readAnimations(library); });
    return document;
}

}
