#pragma once

#include "pellux/scene/SceneNode.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Pellux
{

class Material;
class MaterialManager;
class Mesh;
class Skin;
class SubMesh;

// Places a mesh in the scene; each sub-mesh is drawn by the material it names, or by the material
// this node binds that name to. Several nodes can so draw one mesh with different materials.
class MeshNode : public SceneNode
{
public:
    NodeKind getKind() const override { return NodeKind::Mesh; }

    MeshNode(const std::string& name, Mesh* mesh);
    ~MeshNode() override;

    Mesh* getMesh() const { return mesh; }

    // Sub-meshes named `symbol` draw here with the material `materialName`. The first binding of a
    // symbol holds.
    void bindMaterial(const std::string& symbol, const std::string& materialName);
    // The material the sub-mesh draws with here: the one its name is bound to, else its name as is.
    const std::string& getMaterialName(const SubMesh& subMesh) const;
    // What sub-meshes draw with whose material is not registered.
    void setFallbackMaterial(const std::string& materialName);

    // A skinned mesh bends with the skin's joints; without a skin it is drawn as it stands.
    void setSkin(std::unique_ptr<Skin> newSkin);
    Skin* getSkin() const { return skin.get(); }

    // How much of each of its mesh's morph targets the node shows: weight n for target n, 0 for a
    // target past them.
    void setMorphWeights(const std::vector<float>& weights) { morphWeights.assign(weights.begin(), weights.end()); }
    const std::vector<float>& getMorphWeights() const { return morphWeights; }

    // Draws nothing while invisible. A sub-mesh whose material is not registered draws with the
    // fallback material, or is skipped without one. The renderer of the engine's window draws it.
    void render(Scene* scene, RenderTarget* target) override;
    // True when every sub-mesh's material draws early; a missing material does not.
    bool drawnEarly() override;

private:
    // It finds each sub-mesh's material and keeps what it found here.
    friend class Renderer;

    // The material a sub-mesh was found to draw with, kept while its name and the registry stay as
    // they were.
    struct FoundMaterial
    {
        const SubMesh* subMesh = nullptr;
        std::string subMeshName;
        const MaterialManager* registry = nullptr;
        unsigned long long registryRevision = 0;
        Material* material = nullptr;
    };

    Mesh* mesh;
    std::map<std::string, std::string> materialBinding;
    std::string fallbackMaterial;
    std::unique_ptr<Skin> skin;
    std::vector<float> morphWeights;
    // The first sub-mesh's is kept in the node itself, as most meshes have one and a pass reads it
    // for every node; the others' by sub-mesh index from 1.
    FoundMaterial firstFound;
    std::vector<FoundMaterial> moreFound;
};

}
