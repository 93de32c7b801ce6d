#include "pellux/resources/SubMesh.h"
#include "pellux/resources/VertexLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Pellux;

namespace
{
std::shared_ptr<const std::vector<float>> floats(std::size_t count)
{
    std::vector<float> values(count);
    for (std::size_t at = 0; at < count; ++at)
        values[at] = static_cast<float>(at);
    return std::make_shared<const std::vector<float>>(std::move(values));
}

struct NamedSlot
{
    const char* name;
    VertexSemantic semantic;
    int set;
    int components;
};

const NamedSlot namedSlots[] = {
    {"position", VertexSemantic::Position, 0, 3},         {"normal", VertexSemantic::Normal, 0, 3},
    {"tangents", VertexSemantic::Tangent, 0, 3},          {"bitangents", VertexSemantic::Bitangent, 0, 3},
    {"color", VertexSemantic::Color, 0, 4},               {"texCoord_0", VertexSemantic::TexCoord, 0, 2},
    {"texCoord_1", VertexSemantic::TexCoord, 1, 2},       {"texCoord_31", VertexSemantic::TexCoord, 31, 2},
    {"jointIndices", VertexSemantic::JointIndices, 0, 4}, {"jointWeights", VertexSemantic::JointWeights, 0, 4},
};

// A sub-mesh of three vertices with one triangle.
class ThreeVertices : public ::testing::Test
{
protected:
    void SetUp() override
    {
        subMesh.setAttribute(VertexSemantic::Position, floats(9));
        for (unsigned int index : {0u, 1u, 2u})
            subMesh.addIndex(index);
    }

    SubMesh subMesh;
};
}

TEST(VertexLayout, EachArrayNameStandsForItsSlotAndBack)
{
    for (const NamedSlot& expected : namedSlots)
    {
        std::optional<VertexSlot> slot = vertexSlotNamed(expected.name);
        ASSERT_TRUE(slot.has_value()) << expected.name;
        EXPECT_EQ(*slot, (VertexSlot{expected.semantic, expected.set})) << expected.name;
        EXPECT_EQ(vertexAttributeName(expected.semantic, expected.set), expected.name);
        EXPECT_EQ(componentCount(expected.semantic), expected.components) << expected.name;
    }
}

TEST(VertexLayout, OtherNamesStandForNoSlot)
{
    // The shader inputs "tangent" and "bitangent" are not the arrays' names.
    for (const char* name : {"tangent", "bitangent", "Position", "texCoord", "texCoord_", "texCoord_01", "texCoord_-1",
                             "texCoord_32", "texCoord_1x", "texCoordCount", "heat", ""})
        EXPECT_FALSE(vertexSlotNamed(name).has_value()) << name;
}

TEST(VertexLayout, OnlyTextureCoordinatesComeInSets)
{
    EXPECT_EQ(vertexAttributeName(VertexSemantic::TexCoord, 40), "texCoord_40");
    EXPECT_THROW(vertexAttributeName(VertexSemantic::TexCoord, -1), std::out_of_range);
    EXPECT_THROW(vertexAttributeName(VertexSemantic::Normal, 1), std::out_of_range);
    SubMesh subMesh;
    EXPECT_THROW(subMesh.setAttribute(VertexSemantic::Color, floats(4), 1), std::out_of_range);
    EXPECT_TRUE(subMesh.getAttributes().empty());
    EXPECT_EQ(subMesh.attribute(VertexSemantic::Color, 1), nullptr);
    EXPECT_EQ(subMesh.attribute(VertexSemantic::TexCoord, -1), nullptr);
}

TEST(SubMeshArrays, AnArraySetByNameIsFoundBySemanticAndTheOtherWayRound)
{
    for (const NamedSlot& expected : namedSlots)
    {
        SubMesh byName;
        auto values = floats(3 * static_cast<std::size_t>(expected.components));
        byName.setAttribute(expected.name, values, expected.components);
        const VertexAttribute* found = byName.attribute(expected.semantic, expected.set);
        ASSERT_NE(found, nullptr) << expected.name;
        EXPECT_EQ(found->values, values) << expected.name;
        EXPECT_EQ(found->components, expected.components) << expected.name;

        SubMesh bySemantic;
        bySemantic.setAttribute(expected.semantic, values, expected.set);
        EXPECT_EQ(bySemantic.getAttribute(expected.name), values->data()) << expected.name;
        EXPECT_EQ(bySemantic.getVertexCount(expected.name), 3u) << expected.name;
        ASSERT_EQ(bySemantic.getAttributes().count(expected.name), 1u) << expected.name;
        EXPECT_EQ(bySemantic.getAttributes().at(expected.name).components, expected.components) << expected.name;
    }
}

TEST(SubMeshArrays, ASecondArrayTakesThePlaceOfTheFirstWhicheverWayEachCame)
{
    auto first = floats(9);
    auto second = floats(12);
    SubMesh subMesh;
    subMesh.setAttribute("normal", first, 3);
    subMesh.setAttribute(VertexSemantic::Normal, second);
    EXPECT_EQ(subMesh.getAttribute("normal"), second->data());
    EXPECT_EQ(subMesh.getVertexCount("normal"), 4u);
    subMesh.setAttribute("normal", first, 3);
    EXPECT_EQ(subMesh.attribute(VertexSemantic::Normal)->values, first);
    EXPECT_EQ(subMesh.getAttributes().size(), 1u);
}

TEST(SubMeshArrays, AnArrayGivenOtherComponentsThanItsSemanticKeepsThem)
{
    SubMesh subMesh;
    subMesh.setAttribute("color", floats(9), 3);
    ASSERT_NE(subMesh.attribute(VertexSemantic::Color), nullptr);
    EXPECT_EQ(subMesh.attribute(VertexSemantic::Color)->components, 3);
}

TEST(SubMeshArrays, EveryArrayIsVisitedWithItsSlot)
{
    SubMesh subMesh;
    subMesh.setAttribute(VertexSemantic::Position, floats(3));
    subMesh.setAttribute(VertexSemantic::TexCoord, floats(2), 2);
    subMesh.setAttribute("heat", floats(1), 1);
    subMesh.setTexCoordSetCount(3);
    std::vector<std::string> visited;
    subMesh.forEachAttribute([&](VertexSemantic semantic, int set, const VertexAttribute& attribute) {
        EXPECT_EQ(&attribute, subMesh.attribute(semantic, set));
        visited.push_back(vertexAttributeName(semantic, set));
    });
    EXPECT_EQ(visited, (std::vector<std::string>{"position", "texCoord_2"}));
}

TEST_F(ThreeVertices, AProgramsOwnArrayIsKeptByNameAndCountsForDrawing)
{
    auto heat = floats(2);
    subMesh.setAttribute("heat", heat, 1);
    EXPECT_EQ(subMesh.getAttribute("heat"), heat->data());
    EXPECT_EQ(subMesh.getVertexCount("heat"), 2u);
    EXPECT_EQ(subMesh.getAttributes().at("heat").values, heat);
    for (VertexSemantic semantic : allVertexSemantics)
        EXPECT_EQ(subMesh.attribute(semantic) != nullptr, semantic == VertexSemantic::Position);
    EXPECT_FALSE(subMesh.isDrawable()) << "index 2 reaches past the two vertices of 'heat'";
    EXPECT_TRUE(subMesh.hasIndicesOutOfRange());
}

TEST_F(ThreeVertices, ATextureCoordinateSetPastTheLimitIsKeptByNameOnly)
{
    unsigned long long before = subMesh.getGeneration();
    auto far = floats(2);
    subMesh.setAttribute(VertexSemantic::TexCoord, far, texCoordSetLimit);
    std::string name = "texCoord_" + std::to_string(texCoordSetLimit);
    EXPECT_EQ(subMesh.getAttribute(name), far->data());
    EXPECT_EQ(subMesh.attribute(VertexSemantic::TexCoord, texCoordSetLimit), nullptr);
    EXPECT_NE(subMesh.getGeneration(), before);
    EXPECT_FALSE(subMesh.isDrawable()) << "its one vertex counts like any array's";
}

TEST_F(ThreeVertices, TheSetCountIsANumberAndNoArray)
{
    EXPECT_EQ(subMesh.getTexCoordSetCount(), 0);
    EXPECT_EQ(subMesh.getAttribute("texCoordCount"), nullptr) << "until it is set";
    unsigned long long before = subMesh.getGeneration();
    subMesh.setTexCoordSetCount(2);
    EXPECT_NE(subMesh.getGeneration(), before);
    ASSERT_NE(subMesh.getAttribute("texCoordCount"), nullptr);
    EXPECT_EQ(*subMesh.getAttribute("texCoordCount"), 2.0f);
    EXPECT_EQ(subMesh.getVertexCount("texCoordCount"), 1u);
    EXPECT_TRUE(subMesh.isDrawable()) << "its one value is no array of one vertex";
    for (VertexSemantic semantic : allVertexSemantics)
        EXPECT_EQ(subMesh.attribute(semantic) != nullptr, semantic == VertexSemantic::Position);
}

TEST(SubMeshArrays, ASetCountGivenByNameIsTakenAsTheDrawTakesIt)
{
    const float infinity = std::numeric_limits<float>::infinity();
    struct CountCase
    {
        std::vector<float> given;
        int sets;
    };
    const CountCase cases[] = {
        {{0}, 0}, {{1}, 1}, {{2}, 2}, {{32}, 32},
        // A fraction loses its fraction, and the limits hold.
        {{2.9f}, 2}, {{-0.5f}, 0}, {{-3}, 0}, {{33}, 32}, {{1e9f}, 32},
        // No finite number, and no value, count none.
        {{infinity}, 0}, {{-infinity}, 0}, {{std::nanf("")}, 0}, {{}, 0},
        // Only the first value counts.
        {{3, 7}, 3},
    };
    for (const CountCase& count : cases)
    {
        SubMesh subMesh;
        subMesh.setAttribute("texCoordCount", count.given, 1);
        std::string what = count.given.empty() ? "no value" : std::to_string(count.given.front());
        EXPECT_EQ(subMesh.getTexCoordSetCount(), count.sets) << what;
        ASSERT_NE(subMesh.getAttribute("texCoordCount"), nullptr) << what;
        EXPECT_EQ(*subMesh.getAttribute("texCoordCount"), static_cast<float>(count.sets)) << what;
    }
    SubMesh typed;
    for (int given : {-1, 40})
    {
        typed.setTexCoordSetCount(given);
        EXPECT_EQ(typed.getTexCoordSetCount(), given < 0 ? 0 : texCoordSetLimit) << given;
    }
}
