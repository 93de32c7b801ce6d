// The drawing members of the scene, its mesh nodes and the engine's material, which programs call
// as they always have: the scene and the material are data, so each hands its work to the renderer
// of the calling thread's engine window, and without one draws nothing.
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Mesh.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"
#include "renderer/Renderer.h"

namespace Pellux
{

void Scene::render()
{
    prepareFrame();
    renderMainPass();
    renderShadowPasses();
}

void Scene::renderMainPass()
{
    if (Renderer* renderer = Renderer::current())
        renderer->renderMainPass(*this);
}

void Scene::renderShadowPasses()
{
    if (Renderer* renderer = Renderer::current())
        renderer->renderShadowPasses(*this);
}

void MeshNode::render(Scene* scene, RenderTarget* target)
{
    if (Renderer* renderer = Renderer::current())
        renderer->drawMeshNode(*scene, *this, target);
}

bool MeshNode::drawnEarly()
{
    Renderer* renderer = Renderer::current();
    return renderer != nullptr ? renderer->drawnEarly(*this) : mesh == nullptr;
}

void SinglePassAutoMapMaterial::draw(Scene* scene, MeshNode* node, SubMesh* subMesh, RenderTarget* target)
{
    if (Renderer* renderer = Renderer::current())
        renderer->draw(*this, *scene, *node, *subMesh, *target);
}

void SinglePassAutoMapMaterial::drawNode(Scene* scene, MeshNode* node, RenderTarget* target)
{
    if (node->getMesh() == nullptr)
        return;
    for (SubMesh* subMesh : node->getMesh()->getSubMeshes())
        draw(scene, node, subMesh, target);
}

}
