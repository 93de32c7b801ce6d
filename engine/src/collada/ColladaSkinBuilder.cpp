#include "pellux/collada/ColladaSkinBuilder.h"

#include "pellux/collada/ColladaLoad.h"
#include "pellux/core/Tavrin.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/MeshManager.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Skin.h"

#include <algorithm>
#include <functional>

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

// The last geometry of the document with that id: a later one takes an earlier one's place.
const Collada::Geometry* geometryWithId(const Collada::Document& document, const std::string& id)
{
    for (auto geometry = document.geometries.rbegin(); geometry != document.geometries.rend(); ++geometry)
        if (geometry->id == id)
            return &*geometry;
    return nullptr;
}

const Collada::Skin* skinWithId(const Collada::Document& document, const std::string& id)
{
    for (auto skin = document.skins.rbegin(); skin != document.skins.rend(); ++skin)
        if (skin->id == id)
            return &*skin;
    return nullptr;
}

// The first node, depth first, of those below and including `root` that `matches`.
const Collada::Node* findBelow(const Collada::Node& root, const std::function<bool(const Collada::Node&)>& matches)
{
    std::vector<const Collada::Node*> toVisit = {&root};
    while (!toVisit.empty())
    {
        const Collada::Node* node = toVisit.back();
        toVisit.pop_back();
        if (matches(*node))
            return node;
        for (auto child = node->children.rbegin(); child != node->children.rend(); ++child)
            toVisit.push_back(&*child);
    }
    return nullptr;
}

const Collada::Node* findInScene(const Collada::Document& document,
                                 const std::function<bool(const Collada::Node&)>& matches)
{
    for (const Collada::Node& top : document.nodes)
        if (const Collada::Node* found = findBelow(top, matches))
            return found;
    return nullptr;
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
    const Collada::Geometry* geometry = geometryWithId(load.document, skin.geometry);
    Mesh* source = geometry != nullptr ? Tavrin::getInstance().getMeshManager()->get(skin.geometry) : nullptr;
    if (source == nullptr || source->getSubMeshes().size() != geometry->primitives.size())
    {
        load.report("controller", skin.id, "skins no geometry of the document: '" + skin.geometry + "'");
        return;
    }
    auto* mesh = new Mesh(skin.id);
    Matrix4 bindShape = matrixAt(skin.bindShapeMatrix);
    for (std::size_t part = 0; part < geometry->primitives.size(); ++part)
        mesh->addSubMesh(skinnedSubMesh(*source->getSubMeshes()[part], geometry->primitives[part], skin, bindShape));
    Tavrin::getInstance().getMeshManager()->add(mesh);
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
    for (unsigned int position : primitive.positionIndices)
    {
        std::size_t first = static_cast<std::size_t>(position) * 4;
        // A position the skin has no influences for stays where it was bound.
        bool influenced = position != Collada::noPosition && first + 4 <= skin.jointWeights.size();
        for (std::size_t slot = 0; slot < 4; ++slot)
        {
            indices.push_back(influenced ? skin.jointIndices[first + slot] : 0.0f);
            weights.push_back(influenced ? skin.jointWeights[first + slot] : 0.0f);
        }
    }
    subMesh->setAttribute("jointIndices", std::move(indices), 4);
    subMesh->setAttribute("jointWeights", std::move(weights), 4);
    for (unsigned int index : source.getIndices())
        subMesh->addIndex(index);
    return subMesh;
}

void ColladaSkinBuilder::attach(const Collada::Node& description, SceneNode& node, const std::string& meshNodeName)
{
    const Collada::Skin* skin = skinWithId(load.document, description.controller);
    Mesh* mesh = skin != nullptr ? Tavrin::getInstance().getMeshManager()->get(description.controller) : nullptr;
    if (mesh == nullptr)
    {
        load.report("node", node.getName(), "instances no skin read before: '" + description.controller + "'");
        return;
    }
    auto* meshNode = new MeshNode(meshNodeName, mesh);
    node.addChild(meshNode);
    for (const auto& [symbol, material] : description.materialBinding)
        meshNode->bindMaterial(symbol, material);
    load.skinnedNodes.push_back({meshNode, &description});
}

void ColladaSkinBuilder::bindJoints()
{
    for (const ColladaLoad::SkinnedNode& skinned : load.skinnedNodes)
    {
        const Collada::Skin& skin = *skinWithId(load.document, skinned.description->controller);
        std::vector<const SceneNode*> joints;
        std::vector<Matrix4> inverseBinds;
        for (std::size_t joint = 0; joint < skin.joints.size(); ++joint)
        {
            const SceneNode* found = findJoint(*skinned.description, skin, skin.joints[joint]);
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
const SceneNode* ColladaSkinBuilder::findJoint(const Collada::Node& description, const Collada::Skin& skin,
                                               const std::string& joint)
{
    auto matches = [&](const Collada::Node& node) { return skin.jointsAreIds ? node.id == joint : node.sid == joint; };
    const Collada::Node* found = nullptr;
    if (skin.jointsAreIds || description.skeletons.empty())
        found = findInScene(load.document, matches);
    for (const std::string& skeleton : description.skeletons)
    {
        if (found != nullptr)
            break;
        const Collada::Node* root = findInScene(load.document, [&](const Collada::Node& node) { return node.id == skeleton; });
        found = root != nullptr ? findBelow(*root, matches) : nullptr;
    }
    auto built = found != nullptr ? load.builtNodes.find(found) : load.builtNodes.end();
    return built != load.builtNodes.end() ? built->second : nullptr;
}

}
