#include "collada/ColladaNodeReader.h"

#include "collada/XmlReading.h"

#include <tinyxml.h>

#include <algorithm>

namespace Pellux
{

namespace
{
const float degreesToRadians = 3.1415f / 180.0f;

Collada::LightValue number(const TiXmlElement* parent, const char* name)
{
    Collada::LightValue read;
    const TiXmlElement* element = Xml::child(parent, name);
    read.given = element != nullptr;
    read.isNumber = Xml::readFloat(Xml::text(element), read.value);
    return read;
}

Collada::LightValue wholeNumber(const TiXmlElement* parent, const char* name)
{
    Collada::LightValue read;
    const TiXmlElement* element = Xml::child(parent, name);
    read.given = element != nullptr;
    int value = 0;
    read.isNumber = Xml::readInt(Xml::text(element), value);
    read.value = static_cast<float>(value);
    return read;
}

// The number in a child element's text; `fallback` (and a report into `missing`) without one.
float childNumber(const TiXmlElement* parent, const char* name, float fallback, std::string& missing)
{
    float value = fallback;
    if (!Xml::readFloat(Xml::text(Xml::child(parent, name)), value))
        missing += missing.empty() ? name : std::string(", ") + name;
    return value;
}

// The element of the light's kind in its common technique, "spot" before "point" before
// "directional" before "ambient"; null, and the kind Other, when it has none of them.
const TiXmlElement* kindOf(const TiXmlElement* common, Collada::Light::Kind& kind)
{
    using Kind = Collada::Light::Kind;
    const std::pair<const char*, Kind> kinds[] = {
        {"spot", Kind::Spot}, {"point", Kind::Point}, {"directional", Kind::Directional}, {"ambient", Kind::Ambient}};
    for (const auto& [name, lightKind] : kinds)
        if (const TiXmlElement* element = Xml::child(common, name))
        {
            kind = lightKind;
            return element;
        }
    kind = Kind::Other;
    return nullptr;
}

bool isTransform(const std::string& kind)
{
    return kind == "matrix" || kind == "translate" || kind == "rotate" || kind == "scale";
}
}

void ColladaNodeReader::readLights(const TiXmlElement* library)
{
    Xml::forEachChild(library, "light", [&](const TiXmlElement* element) { document.lights.push_back(readLight(element)); });
}

Collada::Light ColladaNodeReader::readLight(const TiXmlElement* element)
{
    Collada::Light light;
    light.id = Xml::attribute(element, "id");
    const TiXmlElement* common = Xml::child(element, "technique_common");
    // The engine's light parameters; some exporters write them straight into the technique.
    const TiXmlElement* technique = Xml::child(Xml::child(element, "extra"), "technique");
    const TiXmlElement* extra = Xml::hasChild(technique, "light") ? Xml::child(technique, "light") : technique;
    const TiXmlElement* kind = kindOf(common, light.kind);
    if (kind == nullptr)
        return light;
    std::vector<float> color;
    light.hasColor = Xml::readFloats(Xml::text(Xml::child(kind, "color")), color) == 0 && color.size() >= 3;
    if (light.hasColor)
        std::copy_n(color.begin(), 3, light.color);
    light.constantAttenuation = number(kind, "constant_attenuation");
    light.linearAttenuation = number(kind, "linear_attenuation");
    light.quadraticAttenuation = number(kind, "quadratic_attenuation");
    light.shadowType = wholeNumber(kind, "shadow_type");
    light.multiplier = number(extra, "multiplier");
    light.falloff = number(extra, "falloff");
    light.hotspotBeam = number(extra, "hotspot_beam");
    light.shadowDensity = number(extra, "shadow_density");
    return light;
}

void ColladaNodeReader::readCameras(const TiXmlElement* library)
{
    Xml::forEachChild(library, "camera", [&](const TiXmlElement* element) { document.cameras.push_back(readCamera(element)); });
}

Collada::Camera ColladaNodeReader::readCamera(const TiXmlElement* element)
{
    Collada::Camera camera;
    camera.id = Xml::attribute(element, "id");
    const TiXmlElement* perspective = Xml::child(Xml::child(Xml::child(element, "optics"), "technique_common"), "perspective");
    std::string missing;
    // A document without a horizontal angle usually gives the vertical one.
    const char* angle = Xml::hasChild(perspective, "xfov") ? "xfov" : "yfov";
    camera.fieldOfView = childNumber(perspective, angle, 60.0f, missing) * degreesToRadians;
    camera.near = childNumber(perspective, "znear", 1.0f, missing);
    camera.far = childNumber(perspective, "zfar", 1000.0f, missing);
    if (!missing.empty())
        camera.problems.push_back(Collada::problem("camera", camera.id, "has no number in " + missing + "; defaults are used"));
    return camera;
}

void ColladaNodeReader::readVisualScene(const TiXmlElement* library)
{
    const TiXmlElement* visualScene = Xml::child(library, "visual_scene");
    document.hasVisualScene = visualScene != nullptr;
    document.visualSceneId = Xml::attribute(visualScene, "id");
    document.nodes = readNodes(visualScene);
}

void ColladaNodeReader::readLibraryNodes(const TiXmlElement* library)
{
    for (Collada::Node& node : readNodes(library))
        document.libraryNodes.push_back(std::move(node));
}

Collada::MeshInstance ColladaNodeReader::readMeshInstance(const TiXmlElement* instance)
{
    Collada::MeshInstance mesh;
    mesh.ofController = std::string(instance->Value()) == "instance_controller";
    mesh.url = Xml::reference(Xml::attribute(instance, "url"));
    const TiXmlElement* binding = Xml::child(Xml::child(instance, "bind_material"), "technique_common");
    Xml::forEachChild(binding, "instance_material", [&](const TiXmlElement* material) {
        std::string symbol = Xml::attribute(material, "symbol");
        mesh.materialBinding.emplace_back(symbol, Xml::reference(Xml::attribute(material, "target")));
        Xml::forEachChild(material, "bind_vertex_input", [&](const TiXmlElement* input) {
            int set = 0;
            if (Xml::attribute(input, "input_semantic") == "TEXCOORD" &&
                Xml::readInt(Xml::attribute(input, "input_set").c_str(), set))
                mesh.vertexInputBindings.push_back({symbol, Xml::attribute(input, "semantic"), set});
        });
    });
    Xml::forEachChild(instance, "skeleton", [&](const TiXmlElement* skeleton) {
        mesh.skeletons.push_back(Xml::reference(Xml::text(skeleton)));
    });
    return mesh;
}

std::vector<Collada::Node> ColladaNodeReader::readNodes(const TiXmlElement* parent)
{
    std::vector<Collada::Node> nodes;
    Xml::forEachChild(parent, "node", [&](const TiXmlElement* element) { nodes.push_back(readNode(element)); });
    return nodes;
}

Collada::Node ColladaNodeReader::readNode(const TiXmlElement* element)
{
    Collada::Node node;
    node.id = Xml::attribute(element, "id");
    node.sid = Xml::attribute(element, "sid");
    node.name = Xml::attribute(element, "name");
    for (const TiXmlElement* part = element->FirstChildElement(); part != nullptr; part = part->NextSiblingElement())
    {
        std::string kind = part->Value();
        if (kind == "instance_geometry" || kind == "instance_controller")
            node.meshInstances.push_back(readMeshInstance(part));
        if (!isTransform(kind))
            continue;
        Collada::Transform transform;
        transform.kind = kind;
        transform.sid = Xml::attribute(part, "sid");
        Xml::readFloats(Xml::text(part), transform.values, &transform.firstNotNumber);
        node.transforms.push_back(std::move(transform));
    }
    if (const TiXmlElement* instance = Xml::child(element, "instance_light"))
    {
        node.instancesLight = true;
        node.light = Xml::reference(Xml::attribute(instance, "url"));
    }
    if (const TiXmlElement* instance = Xml::child(element, "instance_camera"))
    {
        node.instancesCamera = true;
        node.camera = Xml::reference(Xml::attribute(instance, "url"));
    }
    Xml::forEachChild(element, "instance_node", [&](const TiXmlElement* instance) {
        node.instancedNodes.push_back(Xml::attribute(instance, "url"));
    });
    node.children = readNodes(element);
    return node;
}

}
