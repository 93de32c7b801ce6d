#pragma once

#include "pellux/collada/ColladaDocument.h"

class TiXmlElement;

namespace Pellux
{

// Reads a document's lights and cameras and the node tree of its first visual scene.
class ColladaNodeReader
{
public:
    explicit ColladaNodeReader(Collada::Document& document) : document(document) {}

    void readLights(const TiXmlElement* library);
    void readCameras(const TiXmlElement* library);
    void readVisualScene(const TiXmlElement* library);
    // The nodes of one "library_nodes"; a document may have several.
    void readLibraryNodes(const TiXmlElement* library);

private:
    Collada::Light readLight(const TiXmlElement* element);
    Collada::Camera readCamera(const TiXmlElement* element);
    // The element's "node" children, each with its own children; the document's depth is bounded.
    std::vector<Collada::Node> readNodes(const TiXmlElement* parent);
    Collada::Node readNode(const TiXmlElement* element);
    Collada::MeshInstance readMeshInstance(const TiXmlElement* instance);

    Collada::Document& document;
};

}
