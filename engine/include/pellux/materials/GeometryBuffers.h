#pragma once

#include "pellux/resources/SubMesh.h"

#include <map>
#include <memory>
#include <vector>

namespace Pellux
{

// Buffer objects holding the vertex arrays and index lists that materials draw. Mesh data does not
// change after loading, so each array is uploaded once and shared by every sub-mesh that shares it.
class GeometryBuffers
{
public:
    static GeometryBuffers& get();

    // The array buffer holding this attribute's values.
    unsigned int arrayBuffer(const VertexAttribute& attribute);
    // The element buffer holding the sub-mesh's indices, renewed when the sub-mesh changed.
    unsigned int indexBuffer(const SubMesh& subMesh);
    // The vertex array object every material draw uses.
    unsigned int vertexArray() const { return sharedVertexArray; }

private:
    GeometryBuffers();

    struct IndexBuffer
    {
        unsigned int name = 0;
        unsigned long long generation = 0;
    };

    // Holding the arrays keeps their addresses from being reused by others.
    std::map<const std::vector<float>*, std::pair<std::shared_ptr<const std::vector<float>>, unsigned int>> arrays;
    std::map<const SubMesh*, IndexBuffer> indexLists;
    unsigned int sharedVertexArray = 0;
};

}
