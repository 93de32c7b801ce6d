#include "scene/MeshBounds.h"

#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Skin.h"

namespace Pellux
{

namespace
{
void addCorners(Bounds& world, const Bounds& box, const Matrix4& toWorld)
{
    for (const Vector3& corner : box.corners())
        world.add(toWorld.transformPoint(corner));
}
}

Bounds MeshBounds::ofVisibleMeshes(const std::vector<SceneNode*>& nodes)
{
    Bounds world;
    for (SceneNode* node : nodes)
    {
        if (node->getKind() != NodeKind::Mesh || !node->isVisible())
            continue;
        Mesh* mesh = static_cast<MeshNode*>(node)->getMesh();
        if (mesh == nullptr)
            continue;
        const Bounds& box = boxOf(*mesh);
        if (box.empty)
            continue;
        Matrix4 toWorld = node->getWorldMatrix();
        addCorners(world, box, toWorld);
        // A skinned vertex lies between where its joints hold it and where it was bound: within
        // the boxes its mesh's box makes under each joint.
        auto* meshNode = static_cast<MeshNode*>(node);
        if (Skin* skin = meshNode->getSkin())
        {
            const std::vector<float>& joints = skin->jointMatrices(*meshNode);
            for (std::size_t first = 0; first + 16 <= joints.size(); first += 16)
            {
                const float* m = &joints[first];
                addCorners(world, box,
                           toWorld * Matrix4(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8], m[9], m[10], m[11],
                                             m[12], m[13], m[14], m[15]));
            }
        }
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
        const VertexAttribute* position = subMesh->attribute(VertexSemantic::Position);
        if (position == nullptr || position->components != 3)
            continue;
        const std::vector<float>& values = *position->values;
        for (std::size_t at = 0; at + 2 < values.size(); at += 3)
            box.add({values[at], values[at + 1], values[at + 2]});
    }
    return box;
}

}
