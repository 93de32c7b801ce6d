#include "pellux/collada/ColladaNodeReader.h"

#include "pellux/collada/ColladaLoad.h"
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/collada/XmlReading.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/Logger.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/MeshManager.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

#include <tinyxml.h>

#include <cmath>
#include <stack>
#include <unordered_map>
#include <unordered_set>

namespace Pellux
{

namespace
{
const float degreesToRadians = 3.1415f / 180.0f;

// Distinct names for the children of one parent, in time linear in their number: the first node
// of a name keeps it, as the tree's rules would keep it under that name, and each later one gets
// the next free "-2", "-3", ...
class SiblingNames
{
public:
    explicit SiblingNames(const SceneNode& parent)
    {
        for (const auto& child : parent.getChildren())
            taken.insert(child.first);
    }

    std::string claim(const std::string& wanted)
    {
        if (taken.insert(wanted).second)
            return wanted;
        int& number = nextNumber.try_emplace(wanted, 2).first->second;
        std::string name;
        do
            name = wanted + "-" + std::to_string(number++);
        while (!taken.insert(name).second);
        if (renamed++ == 0)
            first = "'" + wanted + "' is now '" + name + "'";
        return name;
    }

    int renamedCount() const { return renamed; }
    const std::string& firstRenaming() const { return first; }

private:
    std::unordered_set<std::string> taken;
    std::unordered_map<std::string, int> nextNumber;
    int renamed = 0;
    std::string first;
};

// The number in a child element's text; `fallback` (and a report into `missing`) without one.
float childNumber(const TiXmlElement* parent, const char* name, float fallback, std::string& missing)
{
    float value = fallback;
    if (!Xml::readFloat(Xml::text(Xml::child(parent, name)), value))
        missing += missing.empty() ? name : std::string(", ") + name;
    return value;
}
}

// A "matrix" lists its rows; numbers it lacks keep the identity's values.
Matrix4 transformOf(const std::string& kind, std::vector<float> values)
{
    Matrix4 transform;
    if (kind == "matrix")
    {
        for (std::size_t index = 0; index < std::min<std::size_t>(values.size(), 16); ++index)
            transform(static_cast<int>(index / 4), static_cast<int>(index % 4)) = values[index];
        return transform;
    }
    values.resize(4, 0.0f);
    Vector3 vector(values[0], values[1], values[2]);
    if (kind == "translate")
        return Matrix4::translation(vector);
    if (kind == "scale")
        return Matrix4::scaling(vector);
    return vector.length() == 0 ? transform : Matrix4::rotation(vector, values[3] * 3.14159265f / 180.0f);
}

Matrix4 zUpToYUp(const Matrix4& matrix)
{
    Matrix4 converted = matrix;
    for (int col = 0; col < 4; ++col)
    {
        converted(1, col) = matrix(2, col);
        converted(2, col) = -matrix(1, col);
    }
    return converted;
}

void ColladaNodeReader::collectLights(const TiXmlElement* library)
{
    Xml::forEachChild(library, "light", [&](const TiXmlElement* light) { load.lights[Xml::attribute(light, "id")] = light; });
}

void ColladaNodeReader::readCameras(const TiXmlElement* library)
{
    Xml::forEachChild(library, "camera", [&](const TiXmlElement* camera) {
        ColladaLoad::CameraEntry entry;
        entry.id = Xml::attribute(camera, "id");
        const TiXmlElement* perspective = Xml::child(Xml::child(Xml::child(camera, "optics"), "technique_common"), "perspective");
        std::string missing;
        // A document without a horizontal angle usually gives the vertical one.
        const char* angle = Xml::hasChild(perspective, "xfov") ? "xfov" : "yfov";
        entry.fieldOfView = childNumber(perspective, angle, 60.0f, missing) * degreesToRadians;
        entry.near = childNumber(perspective, "znear", 1.0f, missing);
        entry.far = childNumber(perspective, "zfar", 1000.0f, missing);
        if (!missing.empty())
            load.report("camera", entry.id, "has no number in " + missing + "; defaults are used");
        load.cameras[entry.id] = entry;
    });
}

void ColladaNodeReader::buildNodeTree(const TiXmlElement* library)
{
    const TiXmlElement* visualScene = Xml::child(library, "visual_scene");
    auto* colladaRoot = new SceneNode("colladaRoot");
    load.scene.getRoot()->addChild(colladaRoot);
    if (visualScene == nullptr)
    {
        load.report("document", "", "has no visual scene");
        return;
    }
    // Depth first, the last sibling of the document first.
    std::stack<PendingNode> toVisit;
    pushChildNodes(visualScene, *colladaRoot, toVisit);
    while (!toVisit.empty())
    {
        PendingNode pending = toVisit.top();
        toVisit.pop();
        SceneNode* node = readNode(pending, pending.parent == colladaRoot);
        pushChildNodes(pending.element, *node, toVisit);
    }
}

void ColladaNodeReader::pushChildNodes(const TiXmlElement* element, SceneNode& parent, std::stack<PendingNode>& toVisit)
{
    SiblingNames names(parent);
    Xml::forEachChild(element, "node", [&](const TiXmlElement* child) {
        toVisit.push({child, &parent, names.claim(Xml::attribute(child, "id"))});
    });
    if (names.renamedCount() > 0)
        load.report("node", parent.getName(), std::to_string(names.renamedCount()) +
                                                  " child nodes have the name of an earlier sibling and are numbered; "
                                                  "the first: " + names.firstRenaming());
}

std::string ColladaNodeReader::uniqueChildName(const SceneNode& parent, const std::string& wanted)
{
    std::string name = wanted;
    for (int number = 2; parent.getChildren().count(name) > 0; ++number)
        name = wanted + "-" + std::to_string(number);
    if (name != wanted)
        load.report("node", wanted, "has a sibling of the same name; it is called '" + name + "'");
    return name;
}

SceneNode* ColladaNodeReader::readNode(const PendingNode& pending, bool topLevel)
{
    const TiXmlElement* element = pending.element;
    auto* node = new SceneNode(pending.name);
    pending.parent->addChild(node);
    if (topLevel)
        load.topLevelNodes.insert(node);
    readMatrix(element, *node, topLevel);
    if (const TiXmlElement* geometry = Xml::child(element, "instance_geometry"))
        attachGeometry(geometry, *node);
    if (const TiXmlElement* light = Xml::child(element, "instance_light"))
        attachLight(light, *node);
    if (const TiXmlElement* camera = Xml::child(element, "instance_camera"))
        attachCamera(camera, *node);
    return node;
}

void ColladaNodeReader::readMatrix(const TiXmlElement* element, SceneNode& node, bool topLevel)
{
    // The transform elements compose in document order.
    bool transformed = false;
    Matrix4 matrix;
    for (const TiXmlElement* part = element->FirstChildElement(); part != nullptr; part = part->NextSiblingElement())
    {
        std::string kind = part->Value();
        if (kind != "matrix" && kind != "translate" && kind != "rotate" && kind != "scale")
            continue;
        std::vector<float> values;
        if (Xml::readFloats(Xml::text(part), values) > 0)
            load.report("node", node.getName(), "has a " + kind + " with words that are not numbers, read as 0");
        matrix = matrix * transformOf(kind, values);
        transformed = true;
    }
    if (!transformed)
        return;
    if (topLevel && ColladaSceneloader::getUpAxis() == "Z_UP")
        matrix = zUpToYUp(matrix);
    node.setTransform(matrix);
}

void ColladaNodeReader::attachGeometry(const TiXmlElement* instance, SceneNode& node)
{
    std::string url = Xml::reference(Xml::attribute(instance, "url"));
    Mesh* mesh = Tavrin::getInstance().getMeshManager()->get(url);
    if (mesh == nullptr)
    {
        LOG(load.logger.err) << "Mesh nicht gefunden: '" << url << "'" << std::endl;
        return;
    }
    auto* meshNode = new MeshNode(uniqueChildName(node, node.getName() + "_mesh"), mesh);
    node.addChild(meshNode);
    // The binding belongs to this instance: other nodes may draw the same mesh with other materials.
    const TiXmlElement* binding = Xml::child(Xml::child(instance, "bind_material"), "technique_common");
    Xml::forEachChild(binding, "instance_material", [&](const TiXmlElement* material) {
        meshNode->bindMaterial(Xml::attribute(material, "symbol"), Xml::reference(Xml::attribute(material, "target")));
    });
}

void ColladaNodeReader::attachLight(const TiXmlElement* instance, SceneNode& node)
{
    std::string url = Xml::reference(Xml::attribute(instance, "url"));
    auto found = load.lights.find(url);
    if (found == load.lights.end())
    {
        load.report("node", node.getName(), "instances no light read before: '" + url + "'");
        return;
    }
    const TiXmlElement* common = Xml::child(found->second, "technique_common");
    // The engine's light parameters; some exporters write them straight into the technique.
    const TiXmlElement* technique = Xml::child(Xml::child(found->second, "extra"), "technique");
    const TiXmlElement* extra = Xml::hasChild(technique, "light") ? Xml::child(technique, "light") : technique;
    const TiXmlElement* spot = Xml::child(common, "spot");
    const TiXmlElement* kind = spot != nullptr ? spot : Xml::child(common, "point");
    if (kind == nullptr)
    {
        load.report("light", url, "is neither a spot nor a point light and is left out");
        return;
    }
    auto* light = new LightNode(uniqueChildName(node, url), 2);
    if (spot != nullptr)
    {
        light->setLightType(0);
        node.addChild(light);
        std::string missing;
        float falloff = childNumber(extra, "falloff", 60.0f, missing) * degreesToRadians;
        float hotspot = childNumber(extra, "hotspot_beam", 9.0f, missing) * degreesToRadians;
        if (!missing.empty())
            load.report("light", url, "has no number in " + missing + "; defaults are used");
        light->setHotspotAngle(hotspot);
        light->setFalloffAngle(falloff);
        light->setFov(falloff);
    }
    else
    {
        light->setLightType(2);
        node.addChild(light);
    }
    setLightParameters(*light, kind, extra);
}

void ColladaNodeReader::setLightParameters(LightNode& light, const TiXmlElement* kind, const TiXmlElement* extra)
{
    std::string missing;
    std::vector<float> color;
    if (Xml::readFloats(Xml::text(Xml::child(kind, "color")), color) > 0 || color.size() < 3)
    {
        missing += "color";
        color = {1, 1, 1};
    }
    light.setColor(std::make_shared<Vector4>(color[0], color[1], color[2], 1.0f));
    light.setDiffuseCoefficient(childNumber(extra, "multiplier", 1.0f, missing));
    float constant = childNumber(kind, "constant_attenuation", 1.0f, missing);
    float linear = childNumber(kind, "linear_attenuation", 0.0f, missing);
    float quadratic = childNumber(kind, "quadratic_attenuation", 0.0f, missing);
    light.setConstAttenuation(constant);
    light.setLinearAttenuation(linear);
    light.setQuadraticAttenuation(quadratic);
    int shadowType = 0;
    if (Xml::hasChild(kind, "shadow_type") && !Xml::readInt(Xml::text(Xml::child(kind, "shadow_type")), shadowType))
        missing += missing.empty() ? "shadow_type" : ", shadow_type";
    light.setShadowType(shadowType);
    light.setShadowDensity(Xml::hasChild(extra, "shadow_density") ? childNumber(extra, "shadow_density", 1.0f, missing)
                                                                   : 1.0f);
    if (!missing.empty())
        load.report("light", light.getName(), "has no number in " + missing + "; defaults are used");
}

void ColladaNodeReader::attachCamera(const TiXmlElement* instance, SceneNode& node)
{
    std::string url = Xml::reference(Xml::attribute(instance, "url"));
    auto found = load.cameras.find(url);
    if (found == load.cameras.end())
    {
        load.report("node", node.getName(), "instances no camera read before: '" + url + "'");
        return;
    }
    auto* camera = new CameraNode(uniqueChildName(node, found->second.id));
    camera->setFov(found->second.fieldOfView);
    camera->setNear(found->second.near);
    camera->setFar(found->second.far);
    node.addChild(camera);
    load.scene.setActiveCamera(camera);
}

}
