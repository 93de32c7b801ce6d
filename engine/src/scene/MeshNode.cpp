#include "pellux/scene/MeshNode.h"

#include "pellux/core/Tavrin.h"
#include "pellux/foundation/Logger.h"
#include "pellux/materials/DrawState.h"
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
Material* materialNamed(const std::string& name, const std::string& fallback)
{
    MaterialManager& materials = *Tavrin::getInstance().getMaterialManager();
    Material* material = materials.get(name);
    if (material == nullptr && !fallback.empty())
        material = materials.get(fallback);
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
    firstFound = FoundMaterial();
    moreFound.clear();
}

void MeshNode::setFallbackMaterial(const std::string& materialName)
{
    fallbackMaterial = materialName;
    firstFound = FoundMaterial();
    moreFound.clear();
}

const std::string& MeshNode::getMaterialName(const SubMesh& subMesh) const
{
    auto bound = materialBinding.find(subMesh.getMaterialName());
    return bound != materialBinding.end() ? bound->second : subMesh.getMaterialName();
}

// Looked up by name only when the sub-mesh's name or the registry changed: a sub-mesh given
// another material draws with it from its next draw on.
Material* MeshNode::materialOf(std::size_t index, const SubMesh& subMesh)
{
    if (index > moreFound.size())
        moreFound.resize(index);
    FoundMaterial& found = index == 0 ? firstFound : moreFound[index - 1];
    unsigned long long registryRevision = Tavrin::getInstance().getMaterialManager()->getRevision();
    if (found.subMesh == &subMesh && found.registryRevision == registryRevision &&
        found.subMeshName == subMesh.getMaterialName())
        return found.material;
    found.material = materialNamed(getMaterialName(subMesh), fallbackMaterial);
    found.subMesh = &subMesh;
    found.subMeshName = subMesh.getMaterialName();
    found.registryRevision = registryRevision;
    return found.material;
}

void MeshNode::render(Scene* scene, RenderTarget* target)
{
    if (!visible || mesh == nullptr)
        return;
    const std::vector<SubMesh*>& subMeshes = mesh->getSubMeshes();
    for (std::size_t index = 0; index < subMeshes.size(); ++index)
        if (Material* material = materialOf(index, *subMeshes[index]))
        {
            material->draw(scene, this, subMeshes[index], target);
            if (!material->setsStateOnlyThroughDrawState())
                DrawState::forgetApplied();
        }
}

bool MeshNode::drawnEarly()
{
    if (mesh == nullptr)
        return true;
    const std::vector<SubMesh*>& subMeshes = mesh->getSubMeshes();
    for (std::size_t index = 0; index < subMeshes.size(); ++index)
    {
        Material* material = materialOf(index, *subMeshes[index]);
        if (material == nullptr || !material->drawnEarly)
            return false;
    }
    return true;
}

}
