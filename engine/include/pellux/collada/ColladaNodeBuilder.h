#pragma once

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
// with mesh, light and camera nodes below it; the camera visited last becomes the active one.
class ColladaNodeBuilder
{
public:
    explicit ColladaNodeBuilder(ColladaLoad& load);

    // Reports what the reading found wrong in the cameras.
    void reportCameras();
    void buildNodeTree();

private:
    // A node to build, with the node it goes below and the name it gets there.
    struct PendingNode
    {
        const Collada::Node* node;
        SceneNode* parent;
        std::string name;
    };

    // Names the node's children among the parent's children and pushes them in document order;
    // renamings are reported once for the parent.
    void pushChildren(const std::vector<Collada::Node>& children, SceneNode& parent, std::stack<PendingNode>& toVisit);
    SceneNode* buildNode(const PendingNode& pending, bool topLevel);
    void setTransform(const Collada::Node& description, SceneNode& node, bool topLevel);
    void attachGeometry(const Collada::Node& description, SceneNode& node);
    void attachLight(const Collada::Node& description, SceneNode& node);
    void setLightParameters(LightNode& light, const Collada::Light& description);
    void attachCamera(const Collada::Node& description, SceneNode& node);
    std::string uniqueChildName(const SceneNode& parent, const std::string& wanted);

    ColladaLoad& load;
    std::map<std::string, const Collada::Light*> lights;
    std::map<std::string, const Collada::Camera*> cameras;
};

}
