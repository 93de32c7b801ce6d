#include "SceneSummary.h"

#include "SceneFraming.h"

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
#include <set>
#include <vector>

using namespace Pellux;

namespace
{
std::string kindOf(SceneNode& node)
{
    switch (node.getKind())
    {
    case NodeKind::Mesh: return "MeshNode";
    case NodeKind::Light: return "LightNode";
    case NodeKind::Camera: return "CameraNode";
    default: return node.getType();
    }
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
        const VertexAttribute* weights = subMesh->attribute(VertexSemantic::JointWeights);
        if (weights == nullptr)
            continue;
        for (std::size_t vertex = 0; vertex < weights->vertexCount(); ++vertex)
        {
            std::size_t influences = 0;
            for (int slot = 0; slot < weights->components; ++slot)
                influences += (*weights->values)[vertex * weights->components + slot] > 0 ? 1 : 0;
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

// One row of the mesh table.
struct MeshRow
{
    std::string name;
    std::size_t subMeshes = 0;
    std::size_t vertices = 0;
    std::size_t triangles = 0;
    std::string materials;
};

// Sub-meshes that share their positions (an Ogre mesh's shared geometry) count them once.
MeshRow rowOf(MeshNode& meshNode)
{
    MeshRow row;
    row.name = meshNode.getName();
    std::set<const std::vector<float>*> positionArrays;
    std::set<std::string> materials;
    for (SubMesh* subMesh : meshNode.getMesh()->getSubMeshes())
    {
        ++row.subMeshes;
        row.triangles += subMesh->getIndices().size() / 3;
        const VertexAttribute* positions = subMesh->attribute(VertexSemantic::Position);
        if (positions != nullptr && positionArrays.insert(positions->values.get()).second)
            row.vertices += positions->vertexCount();
        const std::string& material = meshNode.getMaterialName(*subMesh);
        if (materials.insert(material).second)
            row.materials += (row.materials.empty() ? "" : ",") + material;
    }
    return row;
}

std::vector<MeshRow> meshRows(const std::vector<SceneNode*>& nodes)
{
    std::vector<MeshRow> rows;
    for (SceneNode* node : nodes)
        if (auto* meshNode = dynamic_cast<MeshNode*>(node); meshNode != nullptr && meshNode->getMesh() != nullptr)
            rows.push_back(rowOf(*meshNode));
    return rows;
}

// Wide enough for the longest text of the column, up to a limit past which a long one sticks out.
std::size_t columnWidth(std::size_t heading, const std::vector<std::size_t>& lengths)
{
    const std::size_t widest = 40;
    std::size_t width = heading;
    for (std::size_t length : lengths)
        width = std::max(width, std::min(length, widest));
    return width;
}

void printMeshTable(std::ostream& out, const std::vector<MeshRow>& rows)
{
    out << "meshes:" << (rows.empty() ? " none" : "") << "\n";
    if (rows.empty())
        return;
    std::vector<std::size_t> names;
    for (const MeshRow& row : rows)
        names.push_back(row.name.size());
    int nameWidth = static_cast<int>(columnWidth(4, names));
    out << "  " << std::left << std::setw(nameWidth) << "name" << std::right
        << "  submeshes  vertices  triangles  material\n";
    for (const MeshRow& row : rows)
        out << "  " << std::left << std::setw(nameWidth) << row.name << std::right << "  " << std::setw(9)
            << row.subMeshes << "  " << std::setw(8) << row.vertices << "  " << std::setw(9) << row.triangles << "  "
            << row.materials << "\n";
}

void printTextures(std::ostream& out, const std::vector<TextureFile>& textures)
{
    out << "textures:" << (textures.empty() ? " none" : "") << "\n";
    for (const TextureFile& texture : textures)
    {
        out << "  " << texture.id << " " << texture.path;
        if (texture.foundAs.empty())
            out << " missing\n";
        else
            out << " found " << texture.foundAs << "\n";
    }
}

void printExtent(std::ostream& out, const std::vector<MeshRow>& rows, Scene& scene, float unitInMetres)
{
    std::size_t vertices = 0;
    for (const MeshRow& row : rows)
        vertices += row.vertices;
    out << "vertices: " << vertices << "\n";
    Bounds bounds = drawnBounds(scene);
    if (bounds.empty)
        out << "bounds: none\n";
    else
        out << "bounds: " << bounds.low << " to " << bounds.high << " size " << (bounds.high - bounds.low) << "\n";
    if (!bounds.empty && unitInMetres != 1.0f)
        out << "unit: 1 = " << unitInMetres << " m, size in metres " << (bounds.high - bounds.low) * unitInMetres << "\n";
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

void printSceneSummary(std::ostream& out, Scene& scene, std::size_t materialsRegistered,
                       const std::vector<TextureFile>& textures, float unitInMetres)
{
    std::vector<SceneNode*> nodes;
    scene.getRoot()->collectDescendants(nodes);
    Counts counts = count(nodes);
    out << "scene: nodes=" << nodes.size() << " meshes=" << counts.meshes << " submeshes=" << counts.subMeshes
        << " triangles=" << counts.triangles << " lights=" << counts.lights << " cameras=" << counts.cameras
        << " animations=" << scene.getAnimations().size() << " materials=" << materialsRegistered
        << " skins=" << counts.skins << "\n";
    out << std::setprecision(4);
    std::vector<MeshRow> rows = meshRows(nodes);
    printExtent(out, rows, scene, unitInMetres);
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
    printMeshTable(out, rows);
    printTextures(out, textures);
}

namespace
{
void printBelow(std::ostream& out, Scene& scene, const SceneNode& parent, std::size_t depth)
{
    for (const auto& [name, child] : parent.getChildren())
    {
        out << std::string(2 * depth, ' ') << name << " " << kindOf(*child);
        if (auto* meshNode = dynamic_cast<MeshNode*>(child); meshNode != nullptr && meshNode->getMesh() != nullptr)
            out << " triangles=" << rowOf(*meshNode).triangles;
        if (child == scene.getActiveCamera())
            out << " active";
        out << "\n";
        printBelow(out, scene, *child, depth + 1);
    }
}
}

void printSceneTree(std::ostream& out, Scene& scene)
{
    printBelow(out, scene, *scene.getRoot(), 0);
}

bool hasSomethingToDraw(Scene& scene)
{
    for (MeshNode* meshNode : scene.getMeshNodes())
    {
        if (meshNode->getMesh() == nullptr)
            continue;
        for (SubMesh* subMesh : meshNode->getMesh()->getSubMeshes())
            if (subMesh->isDrawable())
                return true;
    }
    return false;
}
