#include "pellux/scene/Skin.h"

#include "pellux/scene/SceneNode.h"

#include <algorithm>

namespace Pellux
{

Skin::Skin(std::vector<const SceneNode*> joints, std::vector<Matrix4> inverseBindMatrices)
    : joints(std::move(joints)), inverseBindMatrices(std::move(inverseBindMatrices)), matrices(this->joints.size() * 16)
{
    this->inverseBindMatrices.resize(this->joints.size());
}

const std::vector<float>& Skin::jointMatrices(const SceneNode& meshNode)
{
    Matrix4 fromWorld = meshNode.getWorldMatrix().inverse();
    for (std::size_t joint = 0; joint < joints.size(); ++joint)
    {
        // A joint the skin's document did not have holds its vertices where they were bound.
        Matrix4 matrix = joints[joint] != nullptr
                             ? fromWorld * joints[joint]->getWorldMatrix() * inverseBindMatrices[joint]
                             : Matrix4::identity();
        std::copy(matrix.data(), matrix.data() + 16, matrices.begin() + static_cast<std::ptrdiff_t>(joint * 16));
    }
    return matrices;
}

}
