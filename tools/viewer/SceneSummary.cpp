#include "SceneSummary.h"

#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/KeyframeAnimation.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/Skin.h"

#include <algorithm>
#include <iomanip>
#include <vector>

using namespace Pellux;

namespace
{
std::string kindOf(SceneNode& node)
{
    if (node.getType() == "MeshNode" || node.getType() == "LightNode")
        return node.getType();
    return dynamic_cast<CameraNode*>(&node) != nullptr ? "CameraNode" : node.getType();
}

struct Counts
{
    std::size_t meshes = 0;
    std::size_t subMeshes = 0;
    std::size_t triangles = 0;
    std::size_t lights = 0;
    std::size_t cameras = 0;
    std::size_t skins = 0;
};

Counts count(const std::vector<SceneNode*>& nodes)
{
    Counts counts;
    for (SceneNode* node : nodes)
    {
        std::string kind = kindOf(*node);
        counts.lights += kind == "LightNode" ? 1 : 0;
        counts.cameras += kind == "CameraNode" ? 1 : 0;
        auto* meshNode = dynamic_cast<MeshNode*>(node);
        if (meshNode == nullptr || meshNode->getMesh() == nullptr)
            continue;
        ++counts.meshes;
        counts.skins += meshNode->getSkin() != nullptr ? 1 : 0;
        for (SubMesh* subMesh : meshNode->getMesh()->getSubMeshes())
        {
            ++counts.subMeshes;
            counts.triangles += subMesh->getIndices().size() / 3;
        }
    }
    return counts;
}

std::ostream& operator<<(std::ostream& out, const Vector3& v)
{
    return out << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}

void printLight(std::ostream& out, LightNode& light)
{
    std::shared_ptr<Vector4> c = light.getColor();
    out << "light " << light.getName() << " type=" << light.getLightType() << " color=(" << c->x << ", " << c->y
        << ", " << c->z << ", " << c->w << ") diffuse=" << light.getDiffuseCoefficient() << " attenuation=("
        << light.getConstAttenuation() << ", " << light.getLinearAttenuation() << ", "
        << light.getQuadraticAttenuation() << ") hotspot=" << light.getHotspotAngle()
        << " falloff=" << light.getFalloffAngle() << " shadowType=" << light.getShadowType()
        << " shadowDensity=" << light.getShadowDensity() << "\n";
}

// The most joints any vertex of the mesh bends with, as drawn.
std::size_t mostInfluences(const Mesh& mesh)
{
    std::size_t most = 0;
    for (const SubMesh* subMesh : mesh.getSubMeshes())
    {
        auto weights = subMesh->getAttributes().find("jointWeights");
        if (weights == subMesh->getAttributes().end())
            continue;
        const VertexAttribute& attribute = weights->second;
        for (std::size_t vertex = 0; vertex < attribute.vertexCount(); ++vertex)
        {
            std::size_t influences = 0;
            for (int slot = 0; slot < attribute.components; ++slot)
                influences += (*attribute.values)[vertex * attribute.components + slot] > 0 ? 1 : 0;
            most = std::max(most, influences);
        }
    }
    return most;
}

void printSkin(std::ostream& out, MeshNode& meshNode)
{
    out << "skin " << meshNode.getName() << " joints=" << meshNode.getSkin()->getJointCount()
        << " influences=" << (meshNode.getMesh() != nullptr ? mostInfluences(*meshNode.getMesh()) : 0) << "\n";
}

void printAnimation(std::ostream& out, Animation& animation)
{
    auto* keyframes = dynamic_cast<KeyframeAnimation*>(&animation);
    out << "animation " << (animation.getTarget() != nullptr ? animation.getTarget()->getName() : "-");
    if (keyframes != nullptr && !keyframes->getKeyframes().empty())
        out << " keys=" << keyframes->getKeyframes().size() << " from=" << keyframes->getKeyframes().begin()->first
            << " to=" << keyframes->getKeyframes().rbegin()->first;
    out << "\n";
}
}

void printSceneSummary(std::ostream& out, Scene& scene, std::size_t materialsRegistered)
{
    std::vector<SceneNode*> nodes;
    scene.getRoot()->collectDescendants(nodes);
    Counts counts = count(nodes);
    out << "scene: nodes=" << nodes.size() << " meshes=" << counts.meshes << " submeshes=" << counts.subMeshes
        << " triangles=" << counts.triangles << " lights=" << counts.lights << " cameras=" << counts.cameras
        << " animations=" << scene.getAnimations().size() << " materials=" << materialsRegistered
        << " skins=" << counts.skins << "\n";
    out << std::setprecision(4);
    for (SceneNode* node : nodes)
        out << "node " << node->getName() << " " << kindOf(*node) << " " << node->getWorldPosition() << "\n";
    for (SceneNode* node : nodes)
    {
        std::string kind = kindOf(*node);
        if (kind == "LightNode")
            printLight(out, *static_cast<LightNode*>(node));
        else if (kind == "CameraNode")
        {
            auto* camera = static_cast<CameraNode*>(node);
            out << "camera " << camera->getName() << " fov=" << camera->getFov() << " near=" << camera->getNear()
                << " far=" << camera->getFar() << (camera == scene.getActiveCamera() ? " active" : "") << "\n";
        }
        else if (auto* meshNode = dynamic_cast<MeshNode*>(node); meshNode != nullptr && meshNode->getSkin() != nullptr)
            printSkin(out, *meshNode);
    }
    for (Animation* animation : scene.getAnimations())
        printAnimation(out, *animation);
}
