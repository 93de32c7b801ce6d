#include "pellux/collada/ColladaSkinBuilder.h"

#include "pellux/collada/ColladaJointIndex.h"
#include "pellux/collada/ColladaLoad.h"
#include "pellux/collada/ColladaMaterialBinding.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Skin.h"

#include <algorithm>

namespace Pellux
{

namespace
{
const std::size_t valuesPerMatrix = 16;

Matrix4 matrixAt(const float* m)
{
    return Matrix4(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8], m[9], m[10], m[11], m[12], m[13], m[14], m[15]);
}

// The attribute with each vector turned by `matrix`: positions moved too, directions only turned.
std::vector<float> transformed(const VertexAttribute& attribute, const Matrix4& matrix, bool isPosition)
{
    std::vector<float> values(*attribute.values);
    Vector3 origin = isPosition ? Vector3() : matrix.transformPoint(Vector3());
    for (std::size_t at = 0; at + 2 < values.size(); at += 3)
    {
        Vector3 turned = matrix.transformPoint(Vector3(values[at], values[at + 1], values[at + 2])) - origin;
        values[at] = turned.x;
        values[at + 1] = turned.y;
        values[at + 2] = turned.z;
    }
    return values;
}

// Every vertex of each primitive has its position's influences, and the geometry's mesh was built
// with a sub-mesh of the same vertices for each primitive.
bool fitsItsGeometry(const Mesh& source, const Collada::Geometry& geometry)
{
    if (source.getSubMeshes().size() != geometry.primitives.size())
        return false;
    for (std::size_t part = 0; part < geometry.primitives.size(); ++part)
    {
        const Collada::Primitive& primitive = geometry.primitives[part];
        const SubMesh& subMesh = *source.getSubMeshes()[part];
        if (primitive.positionIndices.size() != primitive.vertexCount ||
            subMesh.getIndices().size() != primitive.vertexCount)
            return false;
    }
    return true;
}
}

void ColladaSkinBuilder::makeSkinnedMeshes()
{
    load.report(load.document.controllerProblems);
    for (const Collada::Skin& skin : load.document.skins)
        makeSkinnedMesh(skin);
}

void ColladaSkinBuilder::makeSkinnedMesh(const Collada::Skin& skin)
{
    load.report(skin.problems);
    auto built = load.geometryMeshes.find(skin.geometry);
    if (built == load.geometryMeshes.end())
    {
        load.report("controller", skin.id, "skins no geometry of the document: '" + skin.geometry + "'");
        return;
    }
    const Mesh& source = *built->second.mesh;
    const Collada::Geometry* geometry = built->second.geometry;
    if (!fitsItsGeometry(source, *geometry))
    {
        load.report("controller", skin.id, "does not fit the vertices of its geometry '" + skin.geometry +
                                               "' and is left out");
        return;
    }
    auto* mesh = new Mesh(skin.id);
    Matrix4 bindShape = matrixAt(skin.bindShapeMatrix);
    for (std::size_t part = 0; part < geometry->primitives.size(); ++part)
        mesh->addSubMesh(skinnedSubMesh(*source.getSubMeshes()[part], geometry->primitives[part], skin, bindShape));
    load.skinnedMeshes[skin.id] = {mesh, &skin};
}

// The source's arrays, shared where the bind shape leaves them as they are, and four joint
// indices and weights for each vertex from the skin's influences on its position.
SubMesh* ColladaSkinBuilder::skinnedSubMesh(const SubMesh& source, const Collada::Primitive& primitive,
                                            const Collada::Skin& skin, const Matrix4& bindShape)
{
    auto* subMesh = new SubMesh();
    subMesh->setMaterialName(source.getMaterialName());
    bool moved = bindShape != Matrix4::identity();
    for (const auto& [name, attribute] : source.getAttributes())
    {
        bool isPosition = name == "position";
        bool isDirection = name == "normal" || name == "tangents" || name == "bitangents";
        if (moved && (isPosition || isDirection) && attribute.components == 3)
            subMesh->setAttribute(name, transformed(attribute, bindShape, isPosition), 3);
        else
            subMesh->setAttribute(name, attribute.values, attribute.components);
    }
    std::vector<float> indices;
    std::vector<float> weights;
    // Shaders index their joint matrices with these: one past the skin's joints would read
    // anything.
    float jointCount = static_cast<float>(skin.joints.size());
    for (unsigned int position : primitive.positionIndices)
    {
        std::size_t first = static_cast<std::size_t>(position) * 4;
        // A position the skin has no influences for stays where it was bound.
        bool influenced = position != Collada::noPosition && first + 4 <= skin.jointWeights.size() &&
                          first + 4 <= skin.jointIndices.size();
        for (std::size_t slot = 0; slot < 4; ++slot)
        {
            float joint = influenced ? skin.jointIndices[first + slot] : 0.0f;
            bool known = joint >= 0 && joint < jointCount;
            indices.push_back(known ? joint : 0.0f);
            weights.push_back(known && influenced ? skin.jointWeights[first + slot] : 0.0f);
        }
    }
    subMesh->setAttribute("jointIndices", std::move(indices), 4);
    subMesh->setAttribute("jointWeights", std::move(weights), 4);
    for (unsigned int index : source.getIndices())
        subMesh->addIndex(index);
    return subMesh;
}

void ColladaSkinBuilder::attach(const Collada::MeshInstance& instance, SceneNode& node, const std::string& meshNodeName)
{
    auto skinned = load.skinnedMeshes.find(instance.url);
    if (skinned == load.skinnedMeshes.end())
    {
        load.report("node", node.getName(), "instances no skin read before: '" + instance.url + "'");
        return;
    }
    auto* meshNode = new MeshNode(meshNodeName, skinned->second.mesh);
    node.addChild(meshNode);
    bindMaterials(load, instance, *meshNode);
    load.skinnedNodes.push_back({meshNode, &instance, skinned->second.skin});
}

void ColladaSkinBuilder::bindJoints()
{
    if (load.skinnedNodes.empty())
        return;
    ColladaJointIndex index(load.document.nodes);
    for (const ColladaLoad::SkinnedNode& skinned : load.skinnedNodes)
    {
        const Collada::Skin& skin = *skinned.skin;
        std::vector<const SceneNode*> joints;
        std::vector<Matrix4> inverseBinds;
        for (std::size_t joint = 0; joint < skin.joints.size(); ++joint)
        {
            const SceneNode* found = findJoint(index, *skinned.instance, skin, skin.joints[joint]);
            if (found == nullptr)
            {
                load.report("controller", skin.id, "names a joint no node of the scene is: '" + skin.joints[joint] +
                                                       "'; it is drawn in its bind pose");
                joints.clear();
                break;
            }
            joints.push_back(found);
            inverseBinds.push_back(matrixAt(&skin.inverseBindMatrices[joint * valuesPerMatrix]));
        }
        if (!joints.empty())
            skinned.node->setSkin(std::make_unique<Skin>(std::move(joints), std::move(inverseBinds)));
    }
}

// A joint is the node of that sid below one of the instance's skeleton roots, or anywhere when it
// names none; a skin that lists its joints as references names them by node id.
const SceneNode* ColladaSkinBuilder::findJoint(const ColladaJointIndex& index, const Collada::MeshInstance& instance,
                                               const Collada::Skin& skin, const std::string& joint)
{
    const Collada::Node* found = nullptr;
    if (skin.jointsAreIds)
        found = index.withId(joint);
    else if (instance.skeletons.empty())
        found = index.withSid(joint);
    for (const std::string& skeleton : instance.skeletons)
    {
        if (found != nullptr)
            break;
        const Collada::Node* root = index.withId(skeleton);
        found = root != nullptr ? index.withSid(joint, root) : nullptr;
    }
    auto built = found != nullptr ? load.builtNodes.find(found) : load.builtNodes.end();
    return built != load.builtNodes.end() ? built->second : nullptr;
}

}
