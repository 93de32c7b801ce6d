#pragma once

#include <stack>
#include <string>
#include <vector>

class TiXmlElement;

namespace Pellux
{

struct ColladaLoad;
class LightNode;
class Matrix4;
class SceneNode;

// Collects a document's lights and cameras and builds the scene's node tree from its first
// visual scene: a node per "node" element, with mesh, light and camera nodes below it.
class ColladaNodeReader
{
public:
    explicit ColladaNodeReader(ColladaLoad& load) : load(load) {}

    void collectLights(const TiXmlElement* library);
    void readCameras(const TiXmlElement* library);
    void buildNodeTree(const TiXmlElement* library);

private:
    // A "node" element to read, with the node it goes below and the name it gets there.
    struct PendingNode
    {
        const TiXmlElement* element;
        SceneNode* parent;
        std::string name;
    };

    // Names the element's "node" children among the parent's children and pushes them in
    // document order; renamings are reported once for the parent.
    void pushChildNodes(const TiXmlElement* element, SceneNode& parent, std::stack<PendingNode>& toVisit);
    SceneNode* readNode(const PendingNode& pending, bool topLevel);
    void readMatrix(const TiXmlElement* element, SceneNode& node, bool topLevel);
    void attachGeometry(const TiXmlElement* instance, SceneNode& node);
    void attachLight(const TiXmlElement* instance, SceneNode& node);
    void setLightParameters(LightNode& light, const TiXmlElement* kind, const TiXmlElement* extra);
    void attachCamera(const TiXmlElement* instance, SceneNode& node);
    std::string uniqueChildName(const SceneNode& parent, const std::string& wanted);

    ColladaLoad& load;
};

// The transform of one "matrix", "translate", "rotate" (axis and degrees) or "scale" element.
Matrix4 transformOf(const std::string& kind, std::vector<float> values);

// The document's Z_UP turned to the engine's Y up: row 1 becomes row 2, row 2 becomes row 1 negated.
Matrix4 zUpToYUp(const Matrix4& matrix);

}
