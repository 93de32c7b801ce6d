#include "pellux/resources/SubMesh.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Pellux
{

namespace
{
// The one name that stands for no array: the number of texture-coordinate sets.
const std::string texCoordCountName = "texCoordCount";

// A count given as a float, read as draws have always read it: its whole part within the limits, 0
// for no finite number or no value.
int setCountFrom(const std::vector<float>* values)
{
    if (values == nullptr || values->empty() || !std::isfinite(values->front()))
        return 0;
    return static_cast<int>(std::clamp(values->front(), 0.0f, static_cast<float>(texCoordSetLimit)));
}

unsigned long long nextGeneration = 0;
}

SubMesh::SubMesh() : generation(nextGeneration++)
{
}

void SubMesh::touch()
{
    generation = nextGeneration++;
}

void SubMesh::setAttribute(VertexSemantic semantic, std::shared_ptr<const std::vector<float>> values, int set)
{
    std::string name = vertexAttributeName(semantic, set);
    std::optional<VertexSlot> slot;
    if (isVertexSlot(semantic, set))
        slot = VertexSlot{semantic, set};
    store(name, slot, VertexAttribute{std::move(values), componentCount(semantic)});
}

void SubMesh::setAttribute(VertexSemantic semantic, std::vector<float> values, int set)
{
    setAttribute(semantic, std::make_shared<const std::vector<float>>(std::move(values)), set);
}

const VertexAttribute* SubMesh::attribute(VertexSemantic semantic, int set) const
{
    if (!isVertexSlot(semantic, set))
        return nullptr;
    const VertexAttribute& found = arrayAt(VertexSlot{semantic, set});
    return found.values ? &found : nullptr;
}

void SubMesh::setTexCoordSetCount(int count)
{
    texCoordSetCount = std::clamp(count, 0, texCoordSetLimit);
    // What the string API reads back.
    auto asFloat = std::make_shared<const std::vector<float>>(1, static_cast<float>(texCoordSetCount));
    attributesByName[texCoordCountName] = VertexAttribute{std::move(asFloat), 1};
    touch();
}

void SubMesh::setAttribute(const std::string& name, std::shared_ptr<const std::vector<float>> values,
                           int components)
{
    if (name == texCoordCountName)
        setTexCoordSetCount(setCountFrom(values.get()));
    else
        store(name, vertexSlotNamed(name), VertexAttribute{std::move(values), components});
}

void SubMesh::setAttribute(const std::string& name, std::vector<float> values, int components)
{
    setAttribute(name, std::make_shared<const std::vector<float>>(std::move(values)), components);
}

const float* SubMesh::getAttribute(const std::string& name) const
{
    auto found = attributesByName.find(name);
    return found == attributesByName.end() ? nullptr : found->second.values->data();
}

std::size_t SubMesh::getVertexCount(const std::string& name) const
{
    auto found = attributesByName.find(name);
    return found == attributesByName.end() ? 0 : found->second.vertexCount();
}

void SubMesh::store(const std::string& name, std::optional<VertexSlot> slot, VertexAttribute attribute)
{
    if (slot)
        arrayAt(*slot) = attribute;
    attributesByName[name] = std::move(attribute);
    countVerticesInEveryArray();
    touch();
}

void SubMesh::countVerticesInEveryArray()
{
    verticesInEveryArray = 0;
    const VertexAttribute* position = attribute(VertexSemantic::Position);
    if (position == nullptr)
        return;
    verticesInEveryArray = position->vertexCount();
    for (const auto& [name, array] : attributesByName)
        if (name != texCoordCountName)
            verticesInEveryArray = std::min(verticesInEveryArray, array.vertexCount());
}

const VertexAttribute& SubMesh::arrayAt(VertexSlot slot) const
{
    if (slot.semantic == VertexSemantic::TexCoord)
        return texCoordArrays[static_cast<std::size_t>(slot.set)];
    return arrays[static_cast<std::size_t>(slot.semantic)];
}

VertexAttribute& SubMesh::arrayAt(VertexSlot slot)
{
    return const_cast<VertexAttribute&>(std::as_const(*this).arrayAt(slot));
}

void SubMesh::setIndices(std::vector<unsigned int> newIndices)
{
    indices = std::move(newIndices);
    // A plain loop over a local, which the compiler turns into vector instructions.
    unsigned int largest = 0;
    for (unsigned int index : indices)
        largest = std::max(largest, index);
    largestIndex = largest;
    touch();
}

void SubMesh::setIndices(std::vector<unsigned int> newIndices, unsigned int largest)
{
    indices = std::move(newIndices);
    largestIndex = indices.empty() ? 0 : largest;
    touch();
}

void SubMesh::setMorphTargets(std::size_t count, std::vector<float> offsets)
{
    morphTargetCount = count;
    morphOffsets = std::make_shared<const std::vector<float>>(std::move(offsets));
    touch();
}

bool SubMesh::hasMorphTargets() const
{
    const VertexAttribute* position = attribute(VertexSemantic::Position);
    return morphTargetCount > 0 && position != nullptr &&
           morphOffsets->size() / floatsPerMorphOffset / morphTargetCount == position->vertexCount() &&
           morphOffsets->size() % (floatsPerMorphOffset * morphTargetCount) == 0;
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
