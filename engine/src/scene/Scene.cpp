#include "pellux/scene/Scene.h"

#include "graphics/GraphicsContext.h"
#include "pellux/graphics/GlErrorCheck.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/scene/Animation.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/SceneNode.h"
#include "pellux/scene/SoundNode.h"
#include "scene/MeshBounds.h"

#include <algorithm>
#include <cmath>

namespace Pellux
{

Scene::Scene(const std::string& name)
    : name(name),
      root(new SceneNode("root")),
      defaultCamera(new CameraNode("default")),
      activeCamera(defaultCamera),
      meshBounds(std::make_unique<MeshBounds>())
{
    root->setChanged(true);
    if (GraphicsContext::current() != nullptr)
        getRenderTarget();
}

// One node after another rather than by recursion, so that a tree of any depth can go.
Scene::~Scene()
{
    std::vector<SceneNode*> tree = {root};
    for (std::size_t at = 0; at < tree.size(); ++at)
        for (const auto& child : tree[at]->getChildren())
            tree.push_back(child.second);
    if (std::find(tree.begin(), tree.end(), defaultCamera) == tree.end())
        tree.push_back(defaultCamera);
    for (SceneNode* node : tree)
        delete node;
    for (Animation* animation : animations)
        delete animation;
    delete renderTarget;
}

RenderTarget* Scene::getRenderTarget()
{
    // A framebuffer needs an OpenGL context to be made in.
    if (renderTarget == nullptr && GraphicsContext::current() != nullptr)
    {
        Rectangle viewport = RenderTarget::currentViewport();
        renderTarget = new RenderTarget(static_cast<int>(viewport.width), static_cast<int>(viewport.height));
    }
    return renderTarget;
}

void Scene::setTime(float seconds)
{
    time = std::max(0.0f, seconds);
    for (Animation* animation : animations)
        animation->setTime(time);
}

SceneNode* Scene::getNode(const std::string& nodeName) const
{
    std::vector<SceneNode*> descendants;
    root->collectDescendants(descendants);
    for (SceneNode* node : descendants)
        if (node->getName() == nodeName)
            return node;
    return nullptr;
}

void Scene::rebuildNodeLists()
{
    nodes.clear();
    lightNodes.clear();
    std::vector<SceneNode*> stack = {root};
    while (!stack.empty())
    {
        SceneNode* node = stack.back();
        stack.pop_back();
        nodes.push_back(node);
        for (const auto& child : node->getChildren())
            stack.push_back(child.second);
    }
    for (SceneNode* node : nodes)
        if (node->getKind() == NodeKind::Light)
            lightNodes.push_back(static_cast<LightNode*>(node));
    for (SceneNode* node : nodes)
        node->setChanged(false);
    root->setChanged(false);
    meshBounds->forget();
    treeOrder.clear();
    root->collectDescendants(treeOrder);
    meshNodes.clear();
    for (SceneNode* node : treeOrder)
        if (node->getKind() == NodeKind::Mesh)
            meshNodes.push_back(static_cast<MeshNode*>(node));
    byNearness.clear();
    for (std::size_t index = 0; index < treeOrder.size(); ++index)
        byNearness.push_back({0.0f, index, treeOrder[index]});
}

// Each frame, as a light's type may change without a change of the tree.
void Scene::gatherLights()
{
    lights.clear();
    ambientLight = Vector3();
    for (LightNode* light : lightNodes)
    {
        if (light->getLightKind() != LightKind::Ambient)
        {
            lights.push_back(light);
            continue;
        }
        if (std::shared_ptr<Vector4> color = light->getColor())
            ambientLight = ambientLight + Vector3(color->x, color->y, color->z) * light->getDiffuseCoefficient();
    }
}

// The shadow maps of directional lights cover what can cast a shadow: the visible meshes.
void Scene::fitDirectionalShadows()
{
    bool measured = false;
    Bounds box;
    for (LightNode* light : lights)
    {
        if (light->getLightKind() != LightKind::Directional || !light->castsShadows())
            continue;
        if (!measured)
            box = meshBounds->ofVisibleMeshes(nodes);
        measured = true;
        light->fitShadowTo(box);
    }
}

bool Scene::drawnBefore(const Placed& a, const Placed& b)
{
    return a.nearness < b.nearness || (a.nearness == b.nearness && a.treeIndex < b.treeIndex);
}

// Mends an order that little has changed since it was last sorted in a time that grows with the
// nodes and how far they moved in it; one far from sorted is sorted anew.
void Scene::restoreOrder(std::vector<Placed>& placed)
{
    std::size_t movesLeft = 4 * placed.size();
    for (std::size_t next = 1; next < placed.size(); ++next)
    {
        Placed moving = placed[next];
        std::size_t at = next;
        for (; at > 0 && movesLeft > 0 && drawnBefore(moving, placed[at - 1]); --at, --movesLeft)
            placed[at] = placed[at - 1];
        placed[at] = moving;
        if (movesLeft == 0)
        {
            std::sort(placed.begin(), placed.end(), drawnBefore);
            return;
        }
    }
}

// Nodes at the camera's position come first, then the others from the farthest to the nearest;
// nodes at the same distance keep their tree order. While little moves the order of the frame before
// is nearly right, and mending it costs little more than looking at it.
void Scene::orderFarthestFirst()
{
    Vector3 eye = activeCamera->getWorldPosition();
    for (Placed& placed : byNearness)
    {
        float distance = (placed.node->getWorldPosition() - eye).length();
        float nearness = distance != 0 ? 1 / distance : 0.0f;
        placed.nearness = std::isnan(nearness) ? 0.0f : nearness;
    }
    restoreOrder(byNearness);
    ordered.resize(byNearness.size());
    for (std::size_t index = 0; index < byNearness.size(); ++index)
        ordered[index] = byNearness[index].node;
}

const std::vector<MeshNode*>& Scene::getMeshNodes()
{
    if (root->isChanged())
        rebuildNodeLists();
    return meshNodes;
}

void Scene::prepareFrame()
{
    if (GraphicsContext* graphics = GraphicsContext::current())
        graphics->errors().after("time before the scene's passes");
    if (root->isChanged())
        rebuildNodeLists();
    gatherLights();
    for (LightNode* light : lights)
    {
        light->noticeMovement();
        // Shadow maps are made before drawing begins, never in the middle of a draw.
        if (light->castsShadows())
            light->getShadowMap();
    }
    fitDirectionalShadows();
    orderFarthestFirst();
}

}
