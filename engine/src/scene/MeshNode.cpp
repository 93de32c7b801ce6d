#include "pellux/scene/MeshNode.h"

#include "pellux/core/Tavrin.h"
#include "pellux/foundation/Logger.h"
#include "pellux/materials/Material.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/Skin.h"

#include <set>

namespace Pellux
{

namespace
{
Material* materialNamed(const std::string& name)
{
    Material* material = Tavrin::getInstance().getMaterialManager()->get(name);
    if (material == nullptr)
    {
        // Once per name: this runs for every frame and every pass.
        static std::set<std::string> reported;
        if (reported.insert(name).second)
            LOG(Logger::getInstance().err) << "material not found: " << name << std::endl;
    }
    return material;
}
}

MeshNode::MeshNode(const std::string& name, Mesh* mesh) : SceneNode(name), mesh(mesh)
{
    type = "MeshNode";
}

MeshNode::~MeshNode() = default;

void MeshNode::setSkin(std::unique_ptr<Skin> newSkin)
{
    skin = std::move(newSkin);
}

void MeshNode::bindMaterial(const std::string& symbol, const std::string& materialName)
{
    materialBinding.emplace(symbol, materialName);
}

const std::string& MeshNode::getMaterialName(const SubMesh& subMesh) const
{
    auto bound = materialBinding.find(subMesh.getMaterialName());
    return bound != materialBinding.end() ? bound->second : subMesh.getMaterialName();
}

void MeshNode::render(Scene* scene, RenderTarget* target)
{
    if (!visible || mesh == nullptr)
        return;
    for (SubMesh* subMesh : mesh->getSubMeshes())
        if (Material* material = materialNamed(getMaterialName(*subMesh)))
            material->draw(scene, this, subMesh, target);
}

bool MeshNode::drawnEarly()
{
    if (mesh == nullptr)
        return true;
    for (SubMesh* subMesh : mesh->getSubMeshes())
    {
        Material* material = materialNamed(getMaterialName(*subMesh));
        if (material == nullptr || !material->drawnEarly)
            return false;
    }
    return true;
}

}
