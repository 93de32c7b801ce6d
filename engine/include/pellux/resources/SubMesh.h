#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Pellux
{

// One packed per-vertex array: `components` floats for each vertex.
struct VertexAttribute
{
    std::shared_ptr<const std::vector<float>> values;
    int components = 0;

    std::size_t vertexCount() const { return components > 0 ? values->size() / components : 0; }
};

// A part of a mesh drawn by one material: named vertex attribute arrays and an index list.
// Attribute names: "position", "normal", "tangents", "bitangents" (3 floats), "texCoord_0", ...
// (2 floats) and "texCoordCount" (one float: the number of texture-coordinate sets).
class SubMesh
{
public:
    SubMesh();

    // Sub-meshes may share one array (an Ogre mesh's shared geometry, for one).
    void setAttribute(const std::string& name, std::shared_ptr<const std::vector<float>> values, int components);
    void setAttribute(const std::string& name, std::vector<float> values, int components);
    // The first float of the attribute, or null when it is absent.
    const float* getAttribute(const std::string& name) const;
    // How many vertices the attribute holds; 0 when it is absent.
    std::size_t getVertexCount(const std::string& name) const;
    const std::map<std::string, VertexAttribute>& getAttributes() const { return attributes; }

    void addIndex(unsigned int index);
    const std::vector<unsigned int>& getIndices() const { return indices; }

    // 0 triangles, 1 lines, 2 points.
    static constexpr int triangles = 0;
    static constexpr int lines = 1;
    static constexpr int points = 2;
    int getPrimitive() const { return primitive; }
    void setPrimitive(int kind) { primitive = kind; }

    void setMaterialName(const std::string& name) { materialName = name; }
    const std::string& getMaterialName() const { return materialName; }

    // Changes with every change of the sub-mesh, and no two sub-meshes share one; lets copies of
    // its data elsewhere (buffer objects) know when they are stale.
    unsigned long long getGeneration() const { return generation; }

    // True when some index reaches past one of the vertex arrays.
    bool hasIndicesOutOfRange() const;
    // Something to draw: indices, positions, and no index past any array. Kept up to date as the
    // sub-mesh is built, so that asking costs nothing at a draw.
    bool isDrawable() const;

private:
    std::vector<unsigned int> indices;
    int primitive = 0;
    std::map<std::string, VertexAttribute> attributes;
    std::string materialName;
    unsigned int largestIndex = 0;
    // The fewest vertices any per-vertex array holds; 0 without positions.
    std::size_t verticesInEveryArray = 0;
    unsigned long long generation;

    void touch();
};

}
