#pragma once

#include "graphics/BufferTexture.h"
#include "pellux/resources/SubMesh.h"

#include <cstddef>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Pellux
{

// Buffer objects holding the vertex arrays and index lists that materials draw, and the vertex array
// objects that feed them to programs, in one OpenGL context; deleted when it goes. Mesh data does not
// change after loading, so each array is uploaded once and shared by every sub-mesh that shares it,
// and each sub-mesh is set up once for each program that draws it.
class GeometryBuffers
{
public:
    GeometryBuffers() = default;
    ~GeometryBuffers();
    GeometryBuffers(const GeometryBuffers&) = delete;
    GeometryBuffers& operator=(const GeometryBuffers&) = delete;

    // The array buffer holding this attribute's values.
    unsigned int arrayBuffer(const VertexAttribute& attribute);
    // Binds the element buffer holding the sub-mesh's indices, renewed when the sub-mesh changed,
    // and returns it.
    unsigned int indexBuffer(const SubMesh& subMesh);

    // The buffer texture holding the sub-mesh's morph target offsets. Only for a sub-mesh that has
    // morph targets.
    unsigned int morphTexture(const SubMesh& subMesh);

    struct VertexArray
    {
        unsigned int name;
        // Just made, and bound through the draw state: its inputs and index buffer are still to be
        // set up.
        bool made;
        // The program reads a vertex colour at `colorInput` (not below 0) that the sub-mesh lacks.
        bool lacksColor;
    };
    // The vertex array object through which the program reads the sub-mesh; made anew when the
    // sub-mesh changed. Only for a sub-mesh that is drawable.
    VertexArray vertexArray(const SubMesh& subMesh, unsigned int program, int colorInput);

private:
    struct IndexBuffer
    {
        unsigned int name = 0;
        unsigned long long generation = 0;
    };

    struct SetUp
    {
        unsigned int name = 0;
        unsigned long long generation = 0;
        bool lacksColor = false;
    };

    using Drawing = std::pair<const SubMesh*, unsigned int>;
    struct DrawingHash
    {
        std::size_t operator()(const Drawing& drawing) const
        {
            return std::hash<const SubMesh*>()(drawing.first) * 31 + drawing.second;
        }
    };

    // Holding the arrays keeps their addresses from being reused by others.
    std::map<const std::vector<float>*, std::pair<std::shared_ptr<const std::vector<float>>, unsigned int>> arrays;
    struct MorphTexture
    {
        std::shared_ptr<const std::vector<float>> offsets;
        std::unique_ptr<BufferTexture> texture;
    };
    std::map<const std::vector<float>*, MorphTexture> morphTextures;
    std::map<const SubMesh*, IndexBuffer> indexLists;
    std::unordered_map<Drawing, SetUp, DrawingHash> vertexArrays;
};

}
