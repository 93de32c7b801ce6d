#include "pellux/resources/VertexLayout.h"

#include <map>
#include <stdexcept>

namespace Pellux
{

namespace
{
const std::string texCoordPrefix = "texCoord_";

const char* singleArrayName(VertexSemantic semantic)
{
    switch (semantic)
    {
    case VertexSemantic::Position: return "position";
    case VertexSemantic::Normal: return "normal";
    case VertexSemantic::Tangent: return "tangents";
    case VertexSemantic::Bitangent: return "bitangents";
    case VertexSemantic::Color: return "color";
    case VertexSemantic::JointIndices: return "jointIndices";
    case VertexSemantic::JointWeights: return "jointWeights";
    default: return "";
    }
}

// Every slot by its name, so that only the exact names map ("texCoord_01" is a name of its own).
std::map<std::string, VertexSlot> slotsByName()
{
    std::map<std::string, VertexSlot> slots;
    for (VertexSemantic semantic : allVertexSemantics)
        for (int set = 0; isVertexSlot(semantic, set); ++set)
            slots[vertexAttributeName(semantic, set)] = VertexSlot{semantic, set};
    return slots;
}
}

std::string vertexAttributeName(VertexSemantic semantic, int set)
{
    if (semantic == VertexSemantic::TexCoord && set >= 0)
        return texCoordPrefix + std::to_string(set);
    if (set != 0)
        throw std::out_of_range("vertex arrays of this semantic have no set " + std::to_string(set));
    return singleArrayName(semantic);
}

std::optional<VertexSlot> vertexSlotNamed(const std::string& name)
{
    static const std::map<std::string, VertexSlot> slots = slotsByName();
    auto found = slots.find(name);
    if (found == slots.end())
        return std::nullopt;
    return found->second;
}

}
