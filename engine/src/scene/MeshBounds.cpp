#include "pellux/scene/MeshBounds.h"

#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/MeshNode.h"

namespace Pellux
{

Bounds MeshBounds::ofVisibleMeshes(const std::vector<SceneNode*>& nodes)
{
    Bounds world;
    for (SceneNode* node : nodes)
    {
        if (node->getType() != "MeshNode" || !node->isVisible())
            continue;
        Mesh* mesh = static_cast<MeshNode*>(node)->getMesh();
        if (mesh == nullptr)
            continue;
        const Bounds& box = boxOf(*mesh);
        if (box.empty)
            continue;
        Matrix4 toWorld = node->getWorldMatrix();
        for (const Vector3& corner : box.corners())
            world.add(toWorld.transformPoint(corner));
    }
    return world;
}

const Bounds& MeshBounds::boxOf(const Mesh& mesh)
{
    auto [entry, isNew] = meshBoxes.try_emplace(&mesh);
    Bounds& box = entry->second;
    if (!isNew)
        return box;
    for (const SubMesh* subMesh : mesh.getSubMeshes())
    {
        auto position = subMesh->getAttributes().find("position");
        if (position == subMesh->getAttributes().end() || position->second.components != 3)
            continue;
        const std::vector<float>& values = *position->second.values;
        for (std::size_t at = 0; at + 2 < values.size(); at += 3)
            box.add({values[at], values[at + 1], values[at + 2]});
    }
    return box;
}

}
