#include "pellux/resources/SubMesh.h"

#include <algorithm>

namespace Pellux
{

namespace
{
// The one attribute that is not per vertex.
const std::string texCoordCountName = "texCoordCount";

unsigned long long nextGeneration = 0;
}

SubMesh::SubMesh() : generation(nextGeneration++)
{
}

void SubMesh::touch()
{
    generation = nextGeneration++;
}

void SubMesh::setAttribute(const std::string& name, std::shared_ptr<const std::vector<float>> values,
                           int components)
{
    attributes[name] = VertexAttribute{std::move(values), components};
    verticesInEveryArray = 0;
    if (attributes.count("position") > 0)
    {
        verticesInEveryArray = attributes.at("position").vertexCount();
        for (const auto& [arrayName, attribute] : attributes)
            if (arrayName != texCoordCountName)
                verticesInEveryArray = std::min(verticesInEveryArray, attribute.vertexCount());
    }
    touch();
}

void SubMesh::setAttribute(const std::string& name, std::vector<float> values, int components)
{
    setAttribute(name, std::make_shared<const std::vector<float>>(std::move(values)), components);
}

const float* SubMesh::getAttribute(const std::string& name) const
{
    auto found = attributes.find(name);
    return found == attributes.end() ? nullptr : found->second.values->data();
}

std::size_t SubMesh::getVertexCount(const std::string& name) const
{
    auto found = attributes.find(name);
    return found == attributes.end() ? 0 : found->second.vertexCount();
}

void SubMesh::addIndex(unsigned int index)
{
    indices.push_back(index);
    largestIndex = std::max(largestIndex, index);
    touch();
}

bool SubMesh::hasIndicesOutOfRange() const
{
    return !indices.empty() && largestIndex >= verticesInEveryArray;
}

bool SubMesh::isDrawable() const
{
    return !indices.empty() && largestIndex < verticesInEveryArray;
}

}
