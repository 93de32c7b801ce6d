#pragma once

#include "pellux/resources/VertexLayout.h"

#include <array>
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

// A part of a mesh drawn by one material: per-vertex arrays by semantic (texture coordinates by
// set), the number of texture-coordinate sets its draw feeds, and an index list.
//
// The same arrays can be reached by name (see vertexAttributeName). The name "texCoordCount" stands
// for the set count, as one float; any other name is a program's own array, kept by that name: the
// draw feeds it to no input, but it counts in isDrawable() like every array.
class SubMesh
{
public:
    SubMesh();

    // Sub-meshes may share one array (an Ogre mesh's shared geometry, for one). The values hold
    // componentCount(semantic) floats per vertex. `set` numbers texture-coordinate sets, and is 0
    // for every other semantic (else std::out_of_range is thrown); a set past texCoordSetLimit is
    // kept by name only.
    void setAttribute(VertexSemantic semantic, std::shared_ptr<const std::vector<float>> values, int set = 0);
    void setAttribute(VertexSemantic semantic, std::vector<float> values, int set = 0);
    // The array, or null when the sub-mesh has none there.
    const VertexAttribute* attribute(VertexSemantic semantic, int set = 0) const;
    // Calls visit(semantic, set, attribute) for each array that attribute() finds.
    template <class Visit>
    void forEachAttribute(Visit visit) const;

    // How many texture-coordinate sets the draw feeds: from 0 to texCoordSetLimit, 0 until set.
    int getTexCoordSetCount() const { return texCoordSetCount; }
    // A count outside 0 to texCoordSetLimit is taken as the nearer end.
    void setTexCoordSetCount(int count);

    // By name. Setting "texCoordCount" sets the set count from the first value: its whole part
    // within 0 to texCoordSetLimit, and 0 when it is no finite number.
    void setAttribute(const std::string& name, std::shared_ptr<const std::vector<float>> values, int components);
    void setAttribute(const std::string& name, std::vector<float> values, int components);
    // The first float of the attribute, or null when it is absent ("texCoordCount": until set).
    const float* getAttribute(const std::string& name) const;
    // How many vertices the attribute holds; 0 when it is absent.
    std::size_t getVertexCount(const std::string& name) const;
    // Every array by name, "texCoordCount" among them once set.
    const std::map<std::string, VertexAttribute>& getAttributes() const { return attributesByName; }

    void addIndex(unsigned int index);
    // The whole index list at once, in place of any before.
    void setIndices(std::vector<unsigned int> newIndices);
    // The same for indices whose largest the caller has already found, as a loader that checked them has.
    void setIndices(std::vector<unsigned int> newIndices, unsigned int largest);
    const std::vector<unsigned int>& getIndices() const { return indices; }

    // Morph targets: for each vertex and each of the `count` targets, the target's offsets of the
    // position, the normal and the tangent, each as x, y, z and an unused fourth number.
    static constexpr std::size_t floatsPerMorphOffset = 12;
    void setMorphTargets(std::size_t count, std::vector<float> offsets);
    std::size_t getMorphTargetCount() const { return morphTargetCount; }
    const std::shared_ptr<const std::vector<float>>& getMorphOffsets() const { return morphOffsets; }
    // Targets whose offsets cover every vertex of the positions; a damaged set draws unmorphed.
    bool hasMorphTargets() const;

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
    // Indexed by semantic, but texture coordinates are in texCoordArrays, by set.
    std::array<VertexAttribute, vertexSemanticCount> arrays;
    std::array<VertexAttribute, texCoordSetLimit> texCoordArrays;
    int texCoordSetCount = 0;
    // Kept in step with the arrays above, for the string API.
    std::map<std::string, VertexAttribute> attributesByName;
    std::string materialName;
    std::size_t morphTargetCount = 0;
    std::shared_ptr<const std::vector<float>> morphOffsets;
    unsigned int largestIndex = 0;
    // The fewest vertices any per-vertex array holds; 0 without positions.
    std::size_t verticesInEveryArray = 0;
    unsigned long long generation;

    void touch();
    void store(const std::string& name, std::optional<VertexSlot> slot, VertexAttribute attribute);
    void countVerticesInEveryArray();
    // The array of a valid slot, empty when unset.
    const VertexAttribute& arrayAt(VertexSlot slot) const;
    VertexAttribute& arrayAt(VertexSlot slot);
};

template <class Visit>
void SubMesh::forEachAttribute(Visit visit) const
{
    for (VertexSemantic semantic : allVertexSemantics)
        for (int set = 0; isVertexSlot(semantic, set); ++set)
            if (const VertexAttribute* found = attribute(semantic, set))
                visit(semantic, set, *found);
}

}
