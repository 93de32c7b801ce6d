#include "collada/ColladaNodeBuilder.h"

#include "collada/ColladaLoad.h"
#include "collada/ColladaMaterialBinding.h"
#include "collada/ColladaSkinBuilder.h"
#include "collada/ColladaTransforms.h"
#include "collada/XmlReading.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/Logger.h"
#include "pellux/foundation/NumberParsing.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/MeshManager.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

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

LightKind kindOf(Collada::Light::Kind kind)
{
    switch (kind)
    {
    case Collada::Light::Kind::Spot: return LightKind::Spot;
    case Collada::Light::Kind::Directional: return LightKind::Directional;
    case Collada::Light::Kind::Ambient: return LightKind::Ambient;
    default: return LightKind::Point;
    }
}

// The light's number, or `fallback` with its name added to `missing` when the document gives none.
float valueOr(const Collada::LightValue& value, float fallback, const char* name, std::string& missing)
{
    if (value.isNumber)
        return value.value;
    missing += missing.empty() ? name : std::string(", ") + name;
    return fallback;
}
}

ColladaNodeBuilder::ColladaNodeBuilder(ColladaLoad& load) : load(load), instancing(load)
{
    for (const Collada::Light& light : load.document.lights)
        lights[light.id] = &light;
    for (const Collada::Camera& camera : load.document.cameras)
        cameras[camera.id] = &camera;
}

void ColladaNodeBuilder::reportCameras()
{
    for (const Collada::Camera& camera : load.document.cameras)
        load.report(camera.problems);
}

void ColladaNodeBuilder::buildNodeTree(float scale)
{
    auto* colladaRoot = new SceneNode("colladaRoot");
    if (scale != 1.0f)
        colladaRoot->setTransform(Matrix4(scale, 0, 0, 0, 0, scale, 0, 0, 0, 0, scale, 0, 0, 0, 0, 1));
    load.scene.getRoot()->addChild(colladaRoot);
    if (!load.document.hasVisualScene)
    {
        load.report("document", "", "has no visual scene");
        return;
    }
    // Depth first, the last sibling of the document first.
    std::stack<PendingNode> toVisit;
    pushChildren(nullptr, *colladaRoot, toVisit);
    while (!toVisit.empty())
    {
        PendingNode pending = std::move(toVisit.top());
        toVisit.pop();
        SceneNode* node = buildNode(pending, pending.parent == colladaRoot);
        pushChildren(&pending, *node, toVisit);
    }
    if (load.primitivesWithoutMaterial > 0)
        load.report("document", load.documentName,
                    std::to_string(load.primitivesWithoutMaterial) +
                        " drawn primitives have no material symbol or one bound to no material; they are drawn "
                        "plain light grey");
}

void ColladaNodeBuilder::pushChildren(const PendingNode* built, SceneNode& parent, std::stack<PendingNode>& toVisit)
{
    static const Placement visualScene;
    const Placement& around = built != nullptr ? built->placement : visualScene;
    int depth = built != nullptr ? built->depth + 1 : 1;
    SiblingNames names(parent);
    for (const Collada::Node& child : built != nullptr ? built->node->children : load.document.nodes)
    {
        if (!around.copyPrefix.empty() && !instancing.admit(child, around.copyPrefix.size(), depth))
            break;
        toVisit.push({&child, &parent, names.claim(around.copyPrefix + child.id),
                      {around.copyPrefix, instancing.enter(child, around.chain)}, depth});
    }
    if (built != nullptr)
    {
        // A copy's nodes are named after the node that instances it, so that each copy has names of its own.
        std::string prefix = parent.getName() + ".";
        for (const std::string& url : built->node->instancedNodes)
            if (const Collada::Node* copied = instancing.toCopy(*built->node, url, around.chain, prefix.size(), depth))
            {
                std::string name = names.claim(prefix + copied->id);
                toVisit.push({copied, &parent, name, {name + ".", instancing.enter(*copied, around.chain)}, depth});
            }
    }
    if (names.renamedCount() > 0)
        load.report("node", parent.getName(), std::to_string(names.renamedCount()) +
                                                  " child nodes have the name of an earlier sibling and are numbered; "
                                                  "the first: " + names.firstRenaming());
}

std::string ColladaNodeBuilder::uniqueChildName(const SceneNode& parent, const std::string& wanted)
{
    std::string name = wanted;
    for (int number = 2; parent.getChildren().count(name) > 0; ++number)
        name = wanted + "-" + std::to_string(number);
    if (name != wanted)
        load.report("node", wanted, "has a sibling of the same name; it is called '" + name + "'");
    return name;
}

SceneNode* ColladaNodeBuilder::buildNode(const PendingNode& pending, bool topLevel)
{
    const Collada::Node& description = *pending.node;
    copyPrefix = pending.placement.copyPrefix;
    auto* node = new SceneNode(pending.name);
    pending.parent->addChild(node);
    if (topLevel)
        load.topLevelNodes.insert(node);
    load.builtNodes[&description] = node;
    setTransform(description, *node, topLevel);
    for (std::size_t index = 0; index < description.meshInstances.size(); ++index)
    {
        const Collada::MeshInstance& instance = description.meshInstances[index];
        // The first keeps the name a node's one mesh node has always had.
        std::string suffix = index == 0 ? "_mesh" : "_mesh-" + std::to_string(index + 1);
        std::string name = uniqueChildName(*node, node->getName() + suffix);
        if (instance.ofController)
            ColladaSkinBuilder(load).attach(instance, *node, name);
        else
            attachGeometry(instance, *node, name);
    }
    if (description.instancesLight)
        attachLight(description, *node);
    if (description.instancesCamera)
        attachCamera(description, *node);
    return node;
}

void ColladaNodeBuilder::setTransform(const Collada::Node& description, SceneNode& node, bool topLevel)
{
    for (const Collada::Transform& transform : description.transforms)
        if (!transform.firstNotNumber.empty())
            load.report("node", node.getName(),
                        "has a " + transform.kind + " with words that are not numbers, read as 0" +
                            Xml::firstNotNumber(transform.firstNotNumber, transform.kind.c_str()));
    load.nodeTransforms[&node] = &description.transforms;
    // The elements compose in document order; a top-level node turns to Y up with or without them.
    node.setTransform(upAxisTurn(load.document.upAxis, topLevel) * compose(elementsOf(description.transforms)));
}

void ColladaNodeBuilder::attachGeometry(const Collada::MeshInstance& instance, SceneNode& node,
                                        const std::string& meshNodeName)
{
    Mesh* mesh = load.engine.getMeshManager()->get(instance.url);
    if (mesh == nullptr)
    {
        LOG(load.logger.err) << "Mesh nicht gefunden: '" << instance.url << "'" << std::endl;
        return;
    }
    auto* meshNode = new MeshNode(meshNodeName, mesh);
    node.addChild(meshNode);
    // The binding belongs to this instance: other nodes may draw the same mesh with other materials.
    bindMaterials(load, instance, *meshNode);
}

void ColladaNodeBuilder::attachLight(const Collada::Node& description, SceneNode& node)
{
    const std::string& url = description.light;
    auto found = lights.find(url);
    if (found == lights.end())
    {
        load.report("node", node.getName(), "instances no light read before: '" + url + "'");
        return;
    }
    const Collada::Light& light = *found->second;
    if (light.kind == Collada::Light::Kind::Other)
    {
        load.report("light", url, "is not a spot, point, directional or ambient light and is left out");
        return;
    }
    if (lightsMade++ == maxLights)
        load.report("document", "", "makes more than " + std::to_string(maxLights) +
                                        " lights; the rest are left out, the first at node '" + node.getName() + "'");
    if (lightsMade > maxLights)
        return;
    auto* made = new LightNode(uniqueChildName(node, copyPrefix + url), LightKind::Point);
    if (light.kind == Collada::Light::Kind::Spot)
    {
        made->setLightKind(LightKind::Spot);
        node.addChild(made);
        std::string missing;
        float falloff = valueOr(light.falloff, 60.0f, "falloff", missing) * degreesToRadians;
        float hotspot = valueOr(light.hotspotBeam, 9.0f, "hotspot_beam", missing) * degreesToRadians;
        if (!missing.empty())
            load.report("light", url, "has no number in " + missing + "; defaults are used");
        made->setHotspotAngle(hotspot);
        made->setFalloffAngle(falloff);
        made->setFov(falloff);
    }
    else
    {
        made->setLightKind(kindOf(light.kind));
        node.addChild(made);
    }
    setLightParameters(*made, light);
}

void ColladaNodeBuilder::setLightParameters(LightNode& light, const Collada::Light& description)
{
    std::string missing;
    if (!description.hasColor)
        missing += "color";
    const float* color = description.color;
    light.setColor(std::make_shared<Vector4>(color[0], color[1], color[2], 1.0f));
    // Directional and ambient light loses nothing on its way, and the engine's multiplier is
    // optional for it: exporters write those lights without the engine's technique.
    bool fromAPlace = description.kind == Collada::Light::Kind::Spot || description.kind == Collada::Light::Kind::Point;
    light.setDiffuseCoefficient(fromAPlace || description.multiplier.given
                                    ? valueOr(description.multiplier, 1.0f, "multiplier", missing)
                                    : 1.0f);
    float constant = fromAPlace ? valueOr(description.constantAttenuation, 1.0f, "constant_attenuation", missing) : 1.0f;
    float linear = fromAPlace ? valueOr(description.linearAttenuation, 0.0f, "linear_attenuation", missing) : 0.0f;
    float quadratic = fromAPlace ? valueOr(description.quadraticAttenuation, 0.0f, "quadratic_attenuation", missing) : 0.0f;
    light.setConstAttenuation(constant);
    light.setLinearAttenuation(linear);
    light.setQuadraticAttenuation(quadratic);
    int shadowType = 0;
    if (description.shadowType.given &&
        !wholePartToInt(valueOr(description.shadowType, 0.0f, "shadow_type", missing), shadowType))
        load.report("light", light.getName(), "has a shadow_type no light has; 0 is used");
    if (shadowType == 1 && shadowCastingLightsMade++ >= maxShadowCastingLights)
    {
        load.report("document", "", "has more than " + std::to_string(maxShadowCastingLights) +
                                        " lights that cast shadows; the rest cast none");
        shadowType = 0;
    }
    light.setShadowType(shadowType);
    light.setShadowDensity(description.shadowDensity.given
                               ? valueOr(description.shadowDensity, 1.0f, "shadow_density", missing)
                               : 1.0f);
    if (!missing.empty())
        load.report("light", light.getName(), "has no number in " + missing + "; defaults are used");
}

void ColladaNodeBuilder::attachCamera(const Collada::Node& description, SceneNode& node)
{
    const std::string& url = description.camera;
    auto found = cameras.find(url);
    if (found == cameras.end())
    {
        load.report("node", node.getName(), "instances no camera read before: '" + url + "'");
        return;
    }
    const Collada::Camera& camera = *found->second;
    auto* made = new CameraNode(uniqueChildName(node, copyPrefix + camera.id));
    made->setFov(camera.fieldOfView);
    made->setNear(camera.near);
    made->setFar(camera.far);
    node.addChild(made);
    load.scene.setActiveCamera(made);
}

}
