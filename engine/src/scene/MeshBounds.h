#pragma once

#include "pellux/scene/Bounds.h"

#include <unordered_map>
#include <vector>

namespace Pellux
{

class Mesh;
class SceneNode;

// The world-space box of the visible meshes among a scene's nodes, skinned meshes as their joints
// hold them now. Each mesh's own box is measured once, so that a frame costs eight corners per mesh
// node (and per joint of a skin) rather than every vertex.
class MeshBounds
{
public:
    Bounds ofVisibleMeshes(const std::vector<SceneNode*>& nodes);
    // Measures every mesh anew at the next request, after meshes may have changed.
    void forget() { meshBoxes.clear(); }

private:
    const Bounds& boxOf(const Mesh& mesh);

    std::unordered_map<const Mesh*, Bounds> meshBoxes;
};

}
