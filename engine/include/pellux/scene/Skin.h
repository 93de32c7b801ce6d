#pragma once

#include "pellux/scene/Matrix4.h"

#include <unordered_map>
#include <vector>

namespace Pellux
{

class SceneNode;

// How a mesh bends with a skeleton: its joints, each with the inverse of its world matrix when the
// mesh was bound to it; a joint that is null holds its vertices where they were bound. The mesh's
// vertices are in bind-shape space and carry up to four joint indices and weights ("jointIndices",
// "jointWeights").
class Skin
{
public:
    Skin(std::vector<const SceneNode*> joints, std::vector<Matrix4> inverseBindMatrices);

    std::size_t getJointCount() const { return joints.size(); }
    const std::vector<const SceneNode*>& getJoints() const { return joints; }

    // For each joint, the matrix that takes a bind-shape vertex to where the joint holds it now, in
    // the space of the mesh node drawn with the skin, row by row, ready for upload. Worked out anew
    // at every call; a joint whose parent is a joint starts from its parent's world matrix.
    const std::vector<float>& jointMatrices(const SceneNode& meshNode);
    // What the last call worked out.
    const std::vector<float>& heldJointMatrices() const { return matrices; }

    // True the first time only: a skin that cannot be drawn bent is reported once.
    bool claimTooManyJointsReport()
    {
        bool first = !tooManyJointsReported;
        tooManyJointsReported = true;
        return first;
    }

private:
    const Matrix4& worldMatrixOf(std::size_t joint);

    std::vector<const SceneNode*> joints;
    // Each node's joint index, to find a joint's parent among the joints.
    std::unordered_map<const SceneNode*, std::size_t> jointIndex;
    // The joints' world matrices in the current call, and whether each is known yet.
    std::vector<Matrix4> worlds;
    std::vector<bool> known;
    std::vector<std::size_t> pending;
    std::vector<Matrix4> inverseBindMatrices;
    std::vector<float> matrices;
    bool tooManyJointsReported = false;
};

}
