#pragma once

#include <cstddef>
#include <iterator>
#include <optional>
#include <string>

namespace Pellux
{

// What a per-vertex array of a sub-mesh holds. The draw feeds each to the vertex input of its kind.
enum class VertexSemantic
{
    Position,
    Normal,
    Tangent,
    Bitangent,
    Color,
    TexCoord,
    JointIndices,
    JointWeights
};

constexpr VertexSemantic allVertexSemantics[] = {
    VertexSemantic::Position, VertexSemantic::Normal,   VertexSemantic::Tangent,      VertexSemantic::Bitangent,
    VertexSemantic::Color,    VertexSemantic::TexCoord, VertexSemantic::JointIndices, VertexSemantic::JointWeights};

constexpr std::size_t vertexSemanticCount = std::size(allVertexSemantics);

// Floats per vertex.
constexpr int componentCount(VertexSemantic semantic)
{
    switch (semantic)
    {
    case VertexSemantic::TexCoord: return 2;
    case VertexSemantic::Color:
    case VertexSemantic::JointIndices:
    case VertexSemantic::JointWeights: return 4;
    default: return 3;
    }
}

// Texture coordinates come in sets numbered from 0. A sub-mesh holds sets below this limit by
// number, and feeds at most this many to a draw; a set past it is kept by name only.
constexpr int texCoordSetLimit = 32;

// Where an array sits in a sub-mesh's layout: its semantic, and for texture coordinates its set.
struct VertexSlot
{
    VertexSemantic semantic = VertexSemantic::Position;
    int set = 0;

    bool operator==(const VertexSlot& other) const { return semantic == other.semantic && set == other.set; }
};

// Set 0 of every semantic, and texture-coordinate sets below texCoordSetLimit.
constexpr bool isVertexSlot(VertexSemantic semantic, int set)
{
    return set == 0 || (semantic == VertexSemantic::TexCoord && set > 0 && set < texCoordSetLimit);
}

// The name SubMesh's string API gives an array: "position", "normal", "tangents", "bitangents",
// "color", "texCoord_<set>", "jointIndices", "jointWeights". Throws std::out_of_range for a negative
// set, or a set other than 0 of a semantic that has no sets.
std::string vertexAttributeName(VertexSemantic semantic, int set = 0);
// The slot such a name stands for; none for any other name (a program's own array, or a
// texture-coordinate set past the limit).
std::optional<VertexSlot> vertexSlotNamed(const std::string& name);

}
