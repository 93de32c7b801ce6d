#include "pellux/scene/MeshNode.h"

#include "pellux/core/Tavrin.h"
#include "pellux/foundation/Logger.h"
#include "pellux/materials/Material.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"

#include <set>

namespace Pellux
{

namespace
{
Material* materialOf(const SubMesh& subMesh)
{
    Material* material = Tavrin::getInstance().getMaterialManager()->get(subMesh.getMaterialName());
    if (material == nullptr)
    {
        // Once per name: this runs for every frame and every pass.
        static std::set<std::string> reported;
        if (reported.insert(subMesh.getMaterialName()).second)
            LOG(Logger::getInstance().err) << "material not found: " << subMesh.getMaterialName() << std::endl;
    }
    return material;
}
}

MeshNode::MeshNode(const std::string& name, Mesh* mesh) : SceneNode(name), mesh(mesh)
{
    type = "MeshNode";
}

void MeshNode::render(Scene* scene, RenderTarget* target)
{
    if (!visible || mesh == nullptr)
        return;
    for (SubMesh* subMesh : mesh->getSubMeshes())
        if (Material* material = materialOf(*subMesh))
            material->draw(scene, this, subMesh, target);
}

bool MeshNode::drawnEarly()
{
    if (mesh == nullptr)
        return true;
    for (SubMesh* subMesh : mesh->getSubMeshes())
    {
        Material* material = materialOf(*subMesh);
        if (material == nullptr || !material->drawnEarly)
            return false;
    }
    return true;
}

}
