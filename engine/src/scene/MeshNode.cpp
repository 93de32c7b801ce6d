#include "pellux/scene/MeshNode.h"

#include "pellux/resources/SubMesh.h"
#include "pellux/scene/Skin.h"

namespace Pellux
{

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

}
