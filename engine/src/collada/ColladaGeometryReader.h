#pragma once

#include "pellux/collada/ColladaDocument.h"

#include <map>
#include <set>
#include <string>
#include <vector>

class TiXmlElement;

namespace Pellux
{

// Reads each "geometry" of a document: one primitive for each "triangles", "polylist", "polygons",
// "lines" and "linestrips" element, every index tuple a vertex of its own. Polygons become triangle
// fans around their first corner, line strips separate lines. A primitive of triangles without
// normals gets smooth ones.
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
        int set = 0;
    };

    // In document order.
    using Inputs = std::vector<Input>;

    // Into `geometry`.
    void readGeometry(const TiXmlElement* element);
    void readSources(const TiXmlElement* mesh);
    void reportUnreadPrimitives(const TiXmlElement* mesh);
    Input readInput(const TiXmlElement* element);
    // The inputs of a primitive and how many numbers of "p" make one of its index tuples; false
    // when an offset is damaged.
    bool readInputs(const TiXmlElement* element, Inputs& inputs, int& tupleLength);
    // The numbers of a "p" element, appended to `p`; true when all were numbers. Otherwise the first
    // word that was no number is kept in `firstNotNumber`, unless it holds one already.
    static bool readIndices(const TiXmlElement* element, std::vector<int>& p, std::string& firstNotNumber);
    void reportNotNumbers(const char* element, const std::string& word);
    // The numbers of the primitive's child `name`, its words that are no numbers reported.
    std::vector<int> readIndexList(const TiXmlElement* primitive, const char* name);
    // Each false when the primitive cannot be read at all.
    bool readTriangles(const TiXmlElement* triangles, Collada::Primitive& primitive);
    bool readPolylist(const TiXmlElement* polylist, Collada::Primitive& primitive);
    bool readPolygons(const TiXmlElement* polygons, Collada::Primitive& primitive);
    bool readLines(const TiXmlElement* lines, Collada::Primitive& primitive);
    bool readLineStrips(const TiXmlElement* strips, Collada::Primitive& primitive);
    // The primitive's inputs with its "VERTEX" input replaced by each input of the "vertices",
    // at the VERTEX input's offset; "POSITION" among them becomes "VERTEX".
    Inputs withVertexInputs(const Inputs& inputs) const;
    // The vertices of a primitive: each whole index tuple of `p`, in order.
    void readVertices(const Inputs& inputs, int tupleLength, const std::vector<int>& p,
                      Collada::Primitive& primitive);
    const Source* sourceFor(const std::string& reference);
    void report(const std::string& kind, const std::string& id, const std::string& text);
    // A problem of one primitive element of the geometry being read.
    void reportPrimitive(const TiXmlElement* element, const std::string& text);

    Collada::Document& document;
    // The geometry being read, and the inputs of its "vertices".
    Collada::Geometry* geometry = nullptr;
    Inputs vertexInputs;
    std::set<std::string> geometryIds;
    std::map<std::string, Source> sources;
};

}
