#include "pellux/collada/ColladaMaterialBinding.h"

#include "pellux/collada/ColladaLoad.h"
#include "pellux/collada/ColladaMaterialBuilder.h"
#include "pellux/core/Tavrin.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/MeshNode.h"

namespace Pellux
{

namespace
{
bool isKnownMaterial(const ColladaLoad& load, const std::string& name)
{
    return !name.empty() &&
           (Tavrin::getInstance().getMaterialManager()->get(name) != nullptr || load.materialsNotMade.count(name) > 0);
}
}

void bindMaterials(ColladaLoad& load, const Collada::MeshInstance& instance, MeshNode& meshNode)
{
    for (const auto& [symbol, material] : instance.materialBinding)
        meshNode.bindMaterial(symbol, material);
    bool fallbackSet = false;
    for (const SubMesh* subMesh : meshNode.getMesh()->getSubMeshes())
    {
        if (isKnownMaterial(load, meshNode.getMaterialName(*subMesh)))
            continue;
        ++load.primitivesWithoutMaterial;
        if (fallbackSet)
            continue;
        if (load.defaultMaterial.empty())
            load.defaultMaterial = ColladaMaterialBuilder(load).makeDefaultMaterial();
        meshNode.setFallbackMaterial(load.defaultMaterial);
        fallbackSet = true;
    }
}

}
