#include "collada/ColladaSkinBuilder.h"

#include "collada/ColladaJointIndex.h"
#include "collada/ColladaLoad.h"
#include "collada/ColladaMaterialBinding.h"
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
// More words than real joint names hold; bounds the search through a long array.
const std::size_t maxWordsInAJointName = 8;

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

ColladaSkinBuilder::ColladaSkinBuilder(ColladaLoad& load) : load(load)
{
}

ColladaSkinBuilder::~ColladaSkinBuilder() = default;

void ColladaSkinBuilder::makeSkinnedMeshes()
{
    load.report(load.document.controllerProblems);
    if (!load.document.skins.empty())
        index = std::make_unique<ColladaJointIndex>(load.document.nodes);
    for (const Collada::Skin& skin : load.document.skins)
        makeSkinnedMesh(skin);
}

// Joint names may hold spaces, which split them into more words than the array's count: each joint
// takes the longest run of words, leaving one for each joint after it, that names a node, else one
// word.
std::vector<std::string> ColladaSkinBuilder::jointNames(const Collada::Skin& skin) const
{
    std::size_t wanted = Collada::jointCount(skin);
    if (skin.joints.size() <= wanted)
        return skin.joints;
    auto joined = [&](std::size_t first, std::size_t words) {
        std::string name = skin.joints[first];
        for (std::size_t word = first + 1; word < first + words; ++word)
            name += " " + skin.joints[word];
        return name;
    };
    std::vector<std::string> names;
    for (std::size_t at = 0; names.size() < wanted;)
    {
        std::size_t jointsAfter = wanted - names.size() - 1;
        std::size_t longest = std::min(skin.joints.size() - at - jointsAfter, maxWordsInAJointName);
        // Of a joint that names no node, the last takes the words left.
        std::size_t take = jointsAfter == 0 ? longest : 1;
        for (std::size_t words = longest; words > 1; --words)
            if (index->names(joined(at, words)))
            {
                take = words;
                break;
            }
        names.push_back(joined(at, take));
        at += take;
    }
    return names;
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
    jointNamesOf[&skin] = jointNames(skin);
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
    source.forEachAttribute([&](VertexSemantic semantic, int set, const VertexAttribute& attribute) {
        bool isPosition = semantic == VertexSemantic::Position;
        bool isDirection = semantic == VertexSemantic::Normal || semantic == VertexSemantic::Tangent ||
                           semantic == VertexSemantic::Bitangent;
        if (moved && (isPosition || isDirection))
            subMesh->setAttribute(semantic, transformed(attribute, bindShape, isPosition), set);
        else
            subMesh->setAttribute(semantic, attribute.values, set);
    });
    subMesh->setTexCoordSetCount(source.getTexCoordSetCount());
    std::vector<float> indices;
    std::vector<float> weights;
    // Shaders index their joint matrices with these: one past the skin's joints would read
    // anything.
    float jointCount = static_cast<float>(Collada::jointCount(skin));
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
    subMesh->setAttribute(VertexSemantic::JointIndices, std::move(indices));
    subMesh->setAttribute(VertexSemantic::JointWeights, std::move(weights));
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
    for (const ColladaLoad::SkinnedNode& skinned : load.skinnedNodes)
    {
        const Collada::Skin& skin = *skinned.skin;
        const std::vector<std::string>& names = jointNamesOf.at(&skin);
        std::vector<const SceneNode*> joints;
        std::vector<Matrix4> inverseBinds;
        std::string missing;
        for (std::size_t joint = 0; joint < names.size(); ++joint)
        {
            const SceneNode* found = findJoint(*skinned.instance, skin, names[joint]);
            if (found == nullptr)
                missing += (missing.empty() ? "'" : ", '") + names[joint] + "'";
            joints.push_back(found);
            inverseBinds.push_back(matrixAt(&skin.inverseBindMatrices[joint * valuesPerMatrix]));
        }
        if (!missing.empty())
            load.report("controller", skin.id, "names a joint no node of the scene is: " + missing +
                                                   "; the vertices bound to it stay in their bind pose");
        if (joints.size() != static_cast<std::size_t>(std::count(joints.begin(), joints.end(), nullptr)))
            skinned.node->setSkin(std::make_unique<Skin>(std::move(joints), std::move(inverseBinds)));
    }
}

// A joint is the node of that sid below one of the instance's skeleton roots, or anywhere when it
// names none, names the visual scene or names no node; a skin that lists its joints as references
// names them by node id. A name that no sid has may be a node's id or name.
const SceneNode* ColladaSkinBuilder::findJoint(const Collada::MeshInstance& instance, const Collada::Skin& skin,
                                               const std::string& joint)
{
    const Collada::Node* found = nullptr;
    bool wholeScene = instance.skeletons.empty();
    if (skin.jointsAreIds)
        found = index->withId(joint);
    for (const std::string& skeleton : instance.skeletons)
    {
        const Collada::Node* root = skeleton == load.document.visualSceneId ? nullptr : index->withId(skeleton);
        wholeScene = wholeScene || root == nullptr;
        if (found == nullptr && root != nullptr)
            found = index->withSid(joint, root);
    }
    if (found == nullptr && wholeScene)
        found = index->withSid(joint);
    if (found == nullptr)
        found = index->withId(joint);
    if (found == nullptr)
        found = index->withName(joint);
    auto built = found != nullptr ? load.builtNodes.find(found) : load.builtNodes.end();
    return built != load.builtNodes.end() ? built->second : nullptr;
}

}
