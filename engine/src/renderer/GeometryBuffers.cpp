#include "renderer/GeometryBuffers.h"

#include "graphics/DrawState.h"

#include <GL/glew.h>

namespace Pellux
{

GeometryBuffers::~GeometryBuffers()
{
    for (const auto& entry : vertexArrays)
        glDeleteVertexArrays(1, &entry.second.name);
    for (const auto& entry : indexLists)
        glDeleteBuffers(1, &entry.second.name);
    for (const auto& entry : arrays)
        glDeleteBuffers(1, &entry.second.second);
}

unsigned int GeometryBuffers::arrayBuffer(const VertexAttribute& attribute)
{
    auto& entry = arrays[attribute.values.get()];
    if (entry.second == 0)
    {
        entry.first = attribute.values;
        glGenBuffers(1, &entry.second);
        glBindBuffer(GL_ARRAY_BUFFER, entry.second);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(attribute.values->size() * sizeof(float)),
                     attribute.values->data(), GL_STATIC_DRAW);
    }
    return entry.second;
}

unsigned int GeometryBuffers::morphTexture(const SubMesh& subMesh)
{
    const std::shared_ptr<const std::vector<float>>& offsets = subMesh.getMorphOffsets();
    MorphTexture& entry = morphTextures[offsets.get()];
    if (entry.texture == nullptr)
    {
        entry.offsets = offsets;
        entry.texture = std::make_unique<BufferTexture>();
        entry.texture->upload(offsets->data(), offsets->size());
    }
    return entry.texture->getTexture();
}

unsigned int GeometryBuffers::indexBuffer(const SubMesh& subMesh)
{
    IndexBuffer& entry = indexLists[&subMesh];
    bool stale = entry.name == 0 || entry.generation != subMesh.getGeneration();
    if (entry.name == 0)
        glGenBuffers(1, &entry.name);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, entry.name);
    if (stale)
    {
        const std::vector<unsigned int>& indices = subMesh.getIndices();
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(unsigned int)),
                     indices.data(), GL_STATIC_DRAW);
        entry.generation = subMesh.getGeneration();
    }
    return entry.name;
}

// A vertex array of a changed sub-mesh may point at arrays it no longer has, so it is made anew
// rather than mended.
GeometryBuffers::VertexArray GeometryBuffers::vertexArray(const SubMesh& subMesh, unsigned int program, int colorInput)
{
    SetUp& setUp = vertexArrays[Drawing(&subMesh, program)];
    if (setUp.name != 0 && setUp.generation == subMesh.getGeneration())
        return {setUp.name, false, setUp.lacksColor};
    if (setUp.name != 0)
        glDeleteVertexArrays(1, &setUp.name);
    glGenVertexArrays(1, &setUp.name);
    DrawState::useVertexArray(setUp.name);
    setUp.generation = subMesh.getGeneration();
    setUp.lacksColor = colorInput >= 0 && subMesh.attribute(VertexSemantic::Color) == nullptr;
    return {setUp.name, true, setUp.lacksColor};
}

}
