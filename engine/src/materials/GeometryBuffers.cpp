#include "pellux/materials/GeometryBuffers.h"

#include <GL/glew.h>

namespace Pellux
{

GeometryBuffers& GeometryBuffers::get()
{
    static GeometryBuffers* buffers = new GeometryBuffers();
    return *buffers;
}

GeometryBuffers::GeometryBuffers()
{
    glGenVertexArrays(1, &sharedVertexArray);
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

}
