#include "pellux/scene/Scene.h"

#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/materials/RenderTarget.h"
#include "pellux/scene/Animation.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/SceneNode.h"

#include <algorithm>

namespace Pellux
{

Scene::Scene(const std::string& name) : name(name), root(new SceneNode("root")), activeCamera(new CameraNode("default"))
{
    root->setChanged(true);
}

RenderTarget* Scene::getRenderTarget()
{
    if (renderTarget == nullptr)
    {
        Rectangle viewport = Tavrin::getInstance().getRenderEngine()->getViewport();
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
    lights.clear();
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
        if (node->getType() == "LightNode")
            lights.push_back(static_cast<LightNode*>(node));
    for (SceneNode* node : nodes)
        node->setChanged(false);
    root->setChanged(false);
}

// Nodes at the camera's position come first, then the others from the farthest to the nearest;
// nodes at the same distance keep their tree order.
void Scene::orderFarthestFirst()
{
    ordered.clear();
    root->collectDescendants(ordered);
    Vector3 eye = activeCamera->getWorldPosition();
    byNearness.clear();
    for (SceneNode* node : ordered)
    {
        float distance = (node->getWorldPosition() - eye).length();
        byNearness.emplace_back(distance != 0 ? 1 / distance : 0.0f, node);
    }
    std::stable_sort(byNearness.begin(), byNearness.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t index = 0; index < byNearness.size(); ++index)
        ordered[index] = byNearness[index].second;
}

void Scene::render()
{
    prepareFrame();
    renderMainPass();
    renderShadowPasses();
}

void Scene::prepareFrame()
{
    if (root->isChanged())
        rebuildNodeLists();
    for (LightNode* light : lights)
        light->noticeMovement();
    orderFarthestFirst();
}

void Scene::renderMainPass()
{
    RenderTarget* target = getRenderTarget();
    root->render(this, target);
    lateQueue.clear();
    for (SceneNode* node : ordered)
    {
        if (!node->isVisible())
            continue;
        if (node->drawnEarly())
            node->render(this, target);
        else
            lateQueue.push_back(node);
    }
    for (SceneNode* node : lateQueue)
        node->render(this, target);
}

void Scene::renderShadowPasses()
{
    for (LightNode* light : lights)
    {
        // Only the maps of shadow type 1 reach the shaders; the others would never be read.
        if (light->getShadowType() != 1)
            continue;
        CameraNode* camera = activeCamera;
        activeCamera = light;
        RenderTarget* shadowMap = light->getShadowMap();
        shadowMap->bind();
        for (SceneNode* node : ordered)
            node->render(this, shadowMap);
        activeCamera = camera;
    }
    for (LightNode* light : lights)
        light->setChanged(false);
}

}
