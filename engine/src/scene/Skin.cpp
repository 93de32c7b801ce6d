#include "pellux/scene/Skin.h"

#include "pellux/scene/SceneNode.h"

#include <algorithm>

namespace Pellux
{

Skin::Skin(std::vector<const SceneNode*> joints, std::vector<Matrix4> inverseBindMatrices)
    : joints(std::move(joints)), inverseBindMatrices(std::move(inverseBindMatrices)), matrices(this->joints.size() * 16)
{
    this->inverseBindMatrices.resize(this->joints.size());
    for (std::size_t joint = 0; joint < this->joints.size(); ++joint)
        jointIndex.emplace(this->joints[joint], joint);
    jointIndex.erase(nullptr);
    worlds.resize(this->joints.size());
    known.resize(this->joints.size());
}

// Up the chain of joints whose parents are joints, to one known or with a parent that is no joint,
// then down again: each world matrix is one product, however deep the skeleton.
const Matrix4& Skin::worldMatrixOf(std::size_t joint)
{
    pending.clear();
    std::size_t at = joint;
    while (!known[at])
    {
        pending.push_back(at);
        auto parent = jointIndex.find(joints[at]->getParent());
        if (parent == jointIndex.end())
            break;
        at = parent->second;
    }
    for (auto next = pending.rbegin(); next != pending.rend(); ++next)
    {
        const SceneNode* node = joints[*next];
        auto parent = jointIndex.find(node->getParent());
        worlds[*next] = parent != jointIndex.end() && known[parent->second]
                            ? worlds[parent->second] * node->getTransform()
                            : node->getWorldMatrix();
        known[*next] = true;
    }
    return worlds[joint];
}

const std::vector<float>& Skin::jointMatrices(const SceneNode& meshNode)
{
    Matrix4 fromWorld = meshNode.getWorldMatrix().inverse();
    std::fill(known.begin(), known.end(), false);
    for (std::size_t joint = 0; joint < joints.size(); ++joint)
    {
        // A joint the skin's document did not have holds its vertices where they were bound.
        Matrix4 matrix = joints[joint] != nullptr ? fromWorld * worldMatrixOf(joint) * inverseBindMatrices[joint]
                                                  : Matrix4::identity();
        std::copy(matrix.data(), matrix.data() + 16, matrices.begin() + static_cast<std::ptrdiff_t>(joint * 16));
    }
    return matrices;
}

}
