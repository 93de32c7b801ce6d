#pragma once

#include "pellux/scene/RenderPass.h"
#include "pellux/scene/Vector3.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Pellux
{

class Animation;
class CameraNode;
class LightNode;
class MeshBounds;
class MeshNode;
class Renderer;
class RenderTarget;
class SceneNode;

// A node tree under "root", the camera it is seen through, the target its main pass draws into,
// and its animations with their clock. It owns the nodes of its tree (as they hang below the root
// when it goes), its default camera, its target and its animations.
class Scene
{
public:
    explicit Scene(const std::string& name);
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    const std::string& getName() const { return name; }
    SceneNode* getRoot() const { return root; }
    CameraNode* getActiveCamera() const { return activeCamera; }
    void setActiveCamera(CameraNode* camera) { activeCamera = camera; }
    // Made with the scene at the size of the viewport; a scene made before there was an OpenGL
    // context makes it at the first request. Null while no engine window is open.
    RenderTarget* getRenderTarget();
    // The pass being drawn: the shadow pass of a light while its shadow map is drawn, else the main pass.
    const RenderPass& getPass() const { return pass; }

    float getTime() const { return time; }
    // Never below 0; every animation poses its node for the new time.
    void setTime(float seconds);
    void addAnimation(Animation* animation) { animations.push_back(animation); }
    const std::vector<Animation*>& getAnimations() const { return animations; }

    // The first node below the root of that name, or null.
    SceneNode* getNode(const std::string& nodeName) const;
    // Every node from the root on, and the lights among them that shine from a place or a
    // direction, as of the last render(). Ambient lights are not among them: together they give
    // getAmbientLight().
    const std::vector<SceneNode*>& getNodes() const { return nodes; }
    const std::vector<LightNode*>& getLights() const { return lights; }
    // The mesh nodes of the tree as it is now, depth first.
    const std::vector<MeshNode*>& getMeshNodes();
    // What the ambient lights add to every surface: the sum of their colours, each times its
    // diffuse coefficient; none without ambient lights. As of the last render().
    const Vector3& getAmbientLight() const { return ambientLight; }

    // The scene's part of a frame: the visible nodes into the bound target, early ones first and
    // each queue from the farthest to the nearest; then the shadow map of every light that casts
    // shadows (shadow type 1). The same as prepareFrame(), renderMainPass() and renderShadowPasses()
    // in a row. The renderer of the engine's window draws the passes; without a window nothing is
    // drawn.
    void render();
    void prepareFrame();
    void renderMainPass();
    void renderShadowPasses();

private:
    // It runs the passes over the drawing order and sets the pass.
    friend class Renderer;

    void rebuildNodeLists();
    void gatherLights();
    void fitDirectionalShadows();
    void orderFarthestFirst();

    // A node's place in the drawing order: by nearness to the camera (1 / distance; 0 at the camera
    // and for nodes without a distance), then by the tree's order.
    struct Placed
    {
        float nearness;
        std::size_t treeIndex;
        SceneNode* node;
    };
    static bool drawnBefore(const Placed& a, const Placed& b);
    static void restoreOrder(std::vector<Placed>& placed);

    std::string name;
    SceneNode* root;
    // The camera the scene starts with, kept when another camera is made active.
    CameraNode* defaultCamera;
    CameraNode* activeCamera;
    RenderTarget* renderTarget = nullptr;
    RenderPass pass;
    std::vector<Animation*> animations;
    float time = 0;
    std::vector<SceneNode*> nodes;
    std::vector<LightNode*> lights;
    // Every light node of the tree, ambient ones too, and every mesh node.
    std::vector<LightNode*> lightNodes;
    std::vector<MeshNode*> meshNodes;
    Vector3 ambientLight;
    std::unique_ptr<MeshBounds> meshBounds;
    // The nodes below the root in the tree's order, depth first, children by name.
    std::vector<SceneNode*> treeOrder;
    // This frame's nodes below the root, from the camera's position outwards from the farthest; the
    // order of the frame before when the tree did not change since.
    std::vector<Placed> byNearness;
    std::vector<SceneNode*> ordered;
    std::vector<SceneNode*> lateQueue;
};

}
