#include "pellux/collada/ColladaDocument.h"
#include "pellux/collada/ColladaReader.h"
#include "pellux/foundation/XmlDocument.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>
#include <vector>

using namespace Pellux;

namespace
{
// A document of one skin over a geometry of three positions; `joints` and `weights` are the skin's
// joints and vertex weights elements, `extra` goes into the skin before them.
Collada::Document skinDocument(const std::string& joints, const std::string& weights, const std::string& extra = "")
{
    std::string text = R"(<COLLADA><library_controllers><controller id="c"><skin source="#g">)" + extra + R"(
        <source id="names"><Name_array>a b c d e f</Name_array></source>
        <source id="refs"><IDREF_array>node-a node-b</IDREF_array></source>
        <source id="binds"><float_array>1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 2 0 0 0 0 2 0 0 0 0 2 0 0 0 0 1
            1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
            1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 7</float_array></source>
        <source id="two-binds"><float_array>1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 2 0 0 0 0 2 0 0 0 0 2 0 0 0 0 1</float_array></source>
        <source id="w"><float_array>0.5 0.1 0.2 0.3 0.4 0.25 1</float_array></source>)" +
                       joints + weights + "</skin></controller></library_controllers></COLLADA>";
    TiXmlDocument xml;
    std::string problem;
    EXPECT_TRUE(parseXmlText(text, xml, problem)) << problem;
    return ColladaReader::read(xml);
}

const std::string nameJoints = R"(<joints><input semantic="JOINT" source="#names"/>
    <input semantic="INV_BIND_MATRIX" source="#binds"/></joints>)";

std::string vertexWeights(const std::string& vcount, const std::string& v)
{
    return R"(<vertex_weights><input semantic="JOINT" source="#names" offset="0"/>
        <input semantic="WEIGHT" source="#w" offset="1"/><vcount>)" + vcount + "</vcount><v>" + v + "</v></vertex_weights>";
}

struct InfluenceCase
{
    const char* description;
    std::string vcount;
    std::string v;
    std::vector<float> indices;
    std::vector<float> weights;
};

TEST(ColladaSkinReading, EachPositionKeepsItsFourStrongestInfluencesWeighingOne)
{
    const InfluenceCase cases[] = {
        {"one joint", "1", "2 6", {2, 0, 0, 0}, {1, 0, 0, 0}},
        {"two joints, strongest first", "2", "0 1 1 0", {1, 0, 0, 0}, {0.5f / 0.6f, 0.1f / 0.6f, 0, 0}},
        {"six joints: the four strongest, weighing one",
         "6",
         "0 0 1 1 2 2 3 3 4 4 5 5",
         {0, 4, 3, 5},
         {0.5f / 1.45f, 0.4f / 1.45f, 0.3f / 1.45f, 0.25f / 1.45f}},
        {"the bind shape's share stays with it", "2", "-1 0 1 0", {1, 0, 0, 0}, {0.5f, 0, 0, 0}},
        {"no influence: no weight", "0", "", {0, 0, 0, 0}, {0, 0, 0, 0}},
    };
    for (const InfluenceCase& row : cases)
    {
        Collada::Document document = skinDocument(nameJoints, vertexWeights(row.vcount, row.v));
        ASSERT_EQ(document.skins.size(), 1u) << row.description;
        const Collada::Skin& skin = document.skins[0];
        EXPECT_EQ(skin.jointIndices, row.indices) << row.description;
        ASSERT_EQ(skin.jointWeights.size(), row.weights.size()) << row.description;
        for (std::size_t slot = 0; slot < row.weights.size(); ++slot)
            EXPECT_NEAR(skin.jointWeights[slot], row.weights[slot], 1e-6f) << row.description << ", slot " << slot;
        EXPECT_TRUE(skin.problems.empty()) << row.description << ": " << skin.problems[0];
    }
}

TEST(ColladaSkinReading, JointsBindShapeAndInverseBindsAreRead)
{
    Collada::Document byName = skinDocument(nameJoints, vertexWeights("1", "0 0"),
                                            "<bind_shape_matrix>1 0 0 5 0 1 0 0 0 0 1 0 0 0 0 1</bind_shape_matrix>");
    const Collada::Skin& skin = byName.skins.at(0);
    EXPECT_EQ(skin.geometry, "g");
    EXPECT_EQ(skin.joints, (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
    EXPECT_FALSE(skin.jointsAreIds);
    EXPECT_EQ(skin.bindShapeMatrix[3], 5.0f);
    ASSERT_EQ(skin.inverseBindMatrices.size(), 6u * 16u);
    EXPECT_EQ(skin.inverseBindMatrices[16], 2.0f) << "the second joint's matrix";
    EXPECT_EQ(skin.inverseBindMatrices[5 * 16 + 15], 7.0f) << "the last joint's matrix";

    Collada::Document fewerBinds = skinDocument(R"(<joints><input semantic="JOINT" source="#names"/>
        <input semantic="INV_BIND_MATRIX" source="#two-binds"/></joints>)", vertexWeights("1", "0 0"));
    const std::vector<float>& filled = fewerBinds.skins.at(0).inverseBindMatrices;
    ASSERT_EQ(filled.size(), 6u * 16u);
    for (std::size_t joint = 2; joint < 6; ++joint)
        EXPECT_EQ(std::vector<float>(filled.begin() + static_cast<std::ptrdiff_t>(joint * 16),
                                     filled.begin() + static_cast<std::ptrdiff_t>(joint * 16 + 16)),
                  (std::vector<float>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}))
            << "joint " << joint << " has no matrix and gets the identity";

    Collada::Document byReference = skinDocument(R"(<joints><input semantic="JOINT" source="#refs"/>
        <input semantic="INV_BIND_MATRIX" source="#binds"/></joints>)", vertexWeights("1", "0 0"));
    EXPECT_EQ(byReference.skins.at(0).joints, (std::vector<std::string>{"node-a", "node-b"}));
    EXPECT_TRUE(byReference.skins.at(0).jointsAreIds);
}

TEST(ColladaSkinReading, WhatCannotBeReadIsSaidOnce)
{
    struct BrokenCase
    {
        std::string joints;
        std::string weights;
        std::string extra;
        const char* problem;
    };
    const BrokenCase cases[] = {
        {nameJoints, vertexWeights("1", "0 0"), "<bind_shape_matrix>1 0 0</bind_shape_matrix>",
         "COLLADA controller 'c': has a bind_shape_matrix that is not 16 numbers; the identity is used"},
        {"", vertexWeights("1", "0 0"), "", "COLLADA controller 'c': has no joints with inverse bind matrices; it is drawn in its bind pose"},
        {nameJoints, vertexWeights("3", "0 0"), "",
         "COLLADA controller 'c': has fewer vertex weights than its vcount says; the rest stay in the bind pose"},
        {nameJoints, vertexWeights("1", "9 0"), "",
         "COLLADA controller 'c': has vertex weights of joints or weights it does not have; they are left out"},
        {nameJoints, vertexWeights("1", "0 x"), "", "COLLADA controller 'c': has vertex weights with words that are not numbers, read as 0; the first is 'x' in \"v\""},
        {R"(<joints><input semantic="JOINT" source="#names"/><input semantic="INV_BIND_MATRIX" source="#two-binds"/></joints>)",
         vertexWeights("1", "0 0"), "",
         "COLLADA controller 'c': has fewer inverse bind matrices than joints; the missing ones are the identity"},
        {nameJoints, "", "", "COLLADA controller 'c': has no vertex weights of joints; it is drawn in its bind pose"},
    };
    for (const BrokenCase& row : cases)
    {
        Collada::Document document = skinDocument(row.joints, row.weights, row.extra);
        ASSERT_EQ(document.skins.size(), 1u) << row.problem;
        EXPECT_EQ(document.skins[0].problems, (Collada::Problems{row.problem}));
    }
}

TEST(ColladaSkinReading, AControllerThatIsNoSkinIsSaidToBeLeftOut)
{
    TiXmlDocument xml;
    std::string problem;
    ASSERT_TRUE(parseXmlText(R"(<COLLADA><library_controllers><controller id="m"><morph source="#g"/></controller>
        </library_controllers></COLLADA>)", xml, problem)) << problem;
    Collada::Document document = ColladaReader::read(xml);
    EXPECT_TRUE(document.skins.empty());
    EXPECT_EQ(document.controllerProblems, (Collada::Problems{"COLLADA controller 'm': is not a skin and is left out"}));
}
}
