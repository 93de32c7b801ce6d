#pragma once

#include "pellux/scene/SceneNode.h"

namespace Pellux
{

class Mesh;

// Places a mesh in the scene; each sub-mesh is drawn by the material it names.
class MeshNode : public SceneNode
{
public:
    MeshNode(const std::string& name, Mesh* mesh);

    Mesh* getMesh() const { return mesh; }

    // Draws nothing while invisible. A sub-mesh whose material is not registered is skipped.
    void render(Scene* scene, RenderTarget* target) override;
    // True when every sub-mesh's material draws early; a missing material does not.
    bool drawnEarly() override;

private:
    Mesh* mesh;
};

}
