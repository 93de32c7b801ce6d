#pragma once

#include "pellux/collada/ColladaDocument.h"

#include <map>
#include <set>
#include <string>
#include <vector>

class TiXmlElement;

namespace Pellux
{

// Reads each "geometry" of a document: one primitive for each "triangles" element, every index
// tuple a vertex of its own.
class ColladaGeometryReader
{
public:
    explicit ColladaGeometryReader(Collada::Document& document) : document(document) {}

    // Reads every geometry and then drops it from the document, which keeps the peak memory of a
    // large load low.
    void readGeometries(TiXmlElement* library);

private:
    struct Source
    {
        std::vector<float> values;
        int stride = 3;
    };

    struct Input
    {
        std::string semantic;
        std::string source;
        int offset = 0;
    };

    // Into `geometry`.
    void readGeometry(const TiXmlElement* element);
    void readSources(const TiXmlElement* mesh);
    void reportUnreadPrimitives(const TiXmlElement* mesh);
    Input readInput(const TiXmlElement* element);
    // False when the primitive cannot be read at all.
    bool readTriangles(const TiXmlElement* triangles, const Input& vertexInput, Collada::Primitive& primitive);
    const Source* sourceFor(const std::string& reference);
    void report(const std::string& kind, const std::string& id, const std::string& text);

    Collada::Document& document;
    // The geometry being read.
    Collada::Geometry* geometry = nullptr;
    std::set<std::string> geometryIds;
    std::map<std::string, Source> sources;
};

}
