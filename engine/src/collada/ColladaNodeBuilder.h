#pragma once

#include "collada/ColladaNodeInstancing.h"
#include "pellux/collada/ColladaDocument.h"

#include <map>
#include <stack>
#include <string>

namespace Pellux
{

struct ColladaLoad;
class LightNode;
class SceneNode;

// Builds the scene's node tree from a read document's visual scene: a node for each of its nodes,
// with mesh, light and camera nodes below it, and a copy of each node it instances; the camera
// visited last becomes the active one.
class ColladaNodeBuilder
{
public:
    // How many lights one document may make, and how many of them may cast shadows. Each light costs
    // every frame, and each that casts shadows a pass over the scene and a 1024 x 1024 depth map;
    // lights instanced in nested copies multiply fast. Real scenes light with a handful, and the
    // shaders read the first few.
    static constexpr std::size_t maxLights = 256;
    static constexpr std::size_t maxShadowCastingLights = 16;

    explicit ColladaNodeBuilder(ColladaLoad& load);

    // Reports what the reading found wrong in the cameras.
    void reportCameras();
    // Below one node that scales the document's lengths by `scale`.
    void buildNodeTree(float scale);

private:
    // Where a node to build lies.
    struct Placement
    {
        // In a copy made by instancing, what the names of the copy's nodes start with: the name of
        // the copy's top node and "."; empty elsewhere.
        std::string copyPrefix;
        ColladaNodeInstancing::Chain chain = ColladaNodeInstancing::outside;
    };

    // A node to build, with the node it goes below, the name it gets there and how many levels
    // below the visual scene it lies.
    struct PendingNode
    {
        const Collada::Node* node;
        SceneNode* parent;
        std::string name;
        Placement placement;
        int depth;
    };

    // Names the children of a node of the document, or the visual scene's nodes when `built` is
    // null, and then the copies of the nodes it instances, among the parent's children, and pushes
    // them in that order; renamings are reported once for the parent.
    void pushChildren(const PendingNode* built, SceneNode& parent, std::stack<PendingNode>& toVisit);
    SceneNode* buildNode(const PendingNode& pending, bool topLevel);
    void setTransform(const Collada::Node& description, SceneNode& node, bool topLevel);
    void attachGeometry(const Collada::MeshInstance& instance, SceneNode& node, const std::string& meshNodeName);
    void attachLight(const Collada::Node& description, SceneNode& node);
    void setLightParameters(LightNode& light, const Collada::Light& description);
    void attachCamera(const Collada::Node& description, SceneNode& node);
    std::string uniqueChildName(const SceneNode& parent, const std::string& wanted);

    ColladaLoad& load;
    ColladaNodeInstancing instancing;
    // What the names of the node being built and of its light and camera start with.
    std::string copyPrefix;
    std::map<std::string, const Collada::Light*> lights;
    std::map<std::string, const Collada::Camera*> cameras;
    std::size_t lightsMade = 0;
    std::size_t shadowCastingLightsMade = 0;
};

}
