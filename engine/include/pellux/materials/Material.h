#pragma once

#include "pellux/resources/Resource.h"

#include <string>

namespace Pellux
{

class MeshNode;
class RenderTarget;
class Scene;
class SubMesh;

// How geometry is drawn. Sub-meshes name their material; the material manager finds it by that name.
class Material : public Resource
{
public:
    explicit Material(std::string name);

    std::string getMaterialName() const { return materialName; }

    // Draws one sub-mesh of the node into the target, with the scene's camera and lights.
    virtual void draw(Scene* scene, MeshNode* node, SubMesh* subMesh, RenderTarget* target) = 0;
    // Draws every sub-mesh of the node's mesh.
    virtual void drawNode(Scene* scene, MeshNode* node, RenderTarget* target) = 0;
    // Whether draw() sets OpenGL state only through DrawState::applyForDraw, which lets the draws of
    // a pass leave alone what is already set. Any other material's draw makes the pass forget it.
    virtual bool setsStateOnlyThroughDrawState() const { return false; }

    // When set, the next draw sends every light's uniforms, changed or not.
    bool lightsDirty = true;
    // Nodes whose materials all have it set are drawn before the others.
    bool drawnEarly = true;
    // Whether its surfaces are drawn into shadow maps.
    bool castsShadows = true;

private:
    std::string materialName;
};

}
