#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

class TiXmlElement;

namespace Pellux
{

struct ColladaLoad;
class Mesh;
class SubMesh;

// Turns each "geometry" of a document into a mesh of the mesh manager, one sub-mesh for each
// "triangles" element, every index tuple a vertex of its own.
class ColladaGeometryReader
{
public:
    explicit ColladaGeometryReader(ColladaLoad& load) : load(load) {}

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

    void readGeometry(const TiXmlElement* geometry);
    void readSources(const TiXmlElement* mesh);
    void reportUnreadPrimitives(const TiXmlElement* mesh);
    Input readInput(const TiXmlElement* element);
    SubMesh* readTriangles(const TiXmlElement* triangles, const Input& vertexInput);
    const Source* sourceFor(const std::string& reference);

    ColladaLoad& load;
    std::string geometryId;
    std::set<std::string> geometryIds;
    std::map<std::string, Source> sources;
};

}
