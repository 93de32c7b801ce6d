#include "collada/ColladaMaterialBinding.h"

#include "collada/ColladaLoad.h"
#include "collada/ColladaMaterialBuilder.h"
#include "pellux/core/Tavrin.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/MeshNode.h"

#include <algorithm>

namespace Pellux
{

namespace
{
bool isKnownMaterial(const ColladaLoad& load, const std::string& name)
{
    return !name.empty() &&
           (load.engine.getMaterialManager()->get(name) != nullptr || load.materialsNotMade.count(name) > 0);
}

// The geometry an instance draws: its own, or the one its skin bends.
const Collada::Geometry* geometryOf(const ColladaLoad& load, const Collada::MeshInstance& instance)
{
    std::string geometry = instance.url;
    if (instance.ofController)
    {
        auto skinned = load.skinnedMeshes.find(instance.url);
        geometry = skinned != load.skinnedMeshes.end() ? skinned->second.skin->geometry : "";
    }
    auto built = load.geometryMeshes.find(geometry);
    return built != load.geometryMeshes.end() ? built->second.geometry : nullptr;
}

const Collada::Effect* effectOfMaterial(const ColladaLoad& load, const std::string& materialId)
{
    for (const Collada::Material& material : load.document.materials)
        if (material.id == materialId)
        {
            auto effect = load.effects.find(material.effect);
            return effect != load.effects.end() ? effect->second : nullptr;
        }
    return nullptr;
}

// A texture reads the coordinate set its instance binds to the texture's "texcoord": the engine's
// number of that set in the primitives drawn with the material, given to shaders that declare
// "texCoordSet".
void bindTextureCoordinates(const ColladaLoad& load, const Collada::MeshInstance& instance, const MeshNode& meshNode)
{
    const Collada::Geometry* geometry = geometryOf(load, instance);
    if (geometry == nullptr || geometry->primitives.size() != meshNode.getMesh()->getSubMeshes().size())
        return;
    for (const Collada::MeshInstance::VertexInputBinding& binding : instance.vertexInputBindings)
    {
        for (std::size_t part = 0; part < geometry->primitives.size(); ++part)
        {
            const Collada::Primitive& primitive = geometry->primitives[part];
            const std::vector<int>& sets = primitive.texCoordSets;
            auto set = std::find(sets.begin(), sets.end(), binding.set);
            if (primitive.material != binding.symbol || set == sets.end())
                continue;
            const std::string& materialName = meshNode.getMaterialName(*meshNode.getMesh()->getSubMeshes()[part]);
            const Collada::Effect* effect = effectOfMaterial(load, materialName);
            auto* material = dynamic_cast<SinglePassAutoMapMaterial*>(
                load.engine.getMaterialManager()->get(materialName));
            if (effect != nullptr && effect->diffuseTexCoord == binding.semantic && material != nullptr &&
                material->getUniforms().count("texCoordSet") > 0)
                material->setInt("texCoordSet", static_cast<int>(set - sets.begin()));
        }
    }
}
}

void bindMaterials(ColladaLoad& load, const Collada::MeshInstance& instance, MeshNode& meshNode)
{
    for (const auto& [symbol, material] : instance.materialBinding)
        meshNode.bindMaterial(symbol, material);
    bindTextureCoordinates(load, instance, meshNode);
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
