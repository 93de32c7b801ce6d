#include "collada/ColladaAnimationBuilder.h"
#include "collada/ColladaLoad.h"
#include "collada/ColladaNodeBuilder.h"
#include "pellux/collada/ColladaReader.h"
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/XmlDocument.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/ComposedTransformAnimation.h"
#include "pellux/scene/KeyframeAnimation.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/SceneNode.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "ScenePixels.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

using namespace Pellux;

namespace
{
const std::string fixtures = PELLUX_TEST_DATA_DIR "/collada/";
const std::string realFiles = PELLUX_SHARED_DATA_DIR "/collada/";

std::string textOf(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

void expectNear(const Vector3& actual, const Vector3& expected, const std::string& what)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-4f) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-4f) << what;
}

void expectNear(const Matrix4& actual, const Matrix4& expected, const std::string& what)
{
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            EXPECT_NEAR(actual(row, col), expected(row, col), 1e-5f) << what << " (" << row << ", " << col << ")";
}

// The turn of a top-level node of a Z_UP document: (x, y, z) to (x, z, -y).
const Matrix4 zUpTurn(1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1);

class ColladaAnimationTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(openRenderEngine(), nullptr); }

    Scene* load(const std::string& path)
    {
        Scene* scene = nullptr;
        bool read = false;
        output = captureOutput([&] { scene = ColladaSceneloader::load(File(path), &read); });
        loaded.emplace_back(scene);
        EXPECT_TRUE(read) << path;
        return scene;
    }

    // The channels fixture with another up axis.
    Scene* loadChannels(const std::string& upAxis)
    {
        std::string text = textOf(fixtures + "channels.dae");
        text.replace(text.find("Y_UP"), 4, upAxis);
        return load(directory.write("channels-" + upAxis + ".dae", text));
    }

    SceneNode& node(Scene& scene, const std::string& name)
    {
        SceneNode* found = scene.getNode(name);
        EXPECT_NE(found, nullptr) << name;
        return found != nullptr ? *found : *scene.getRoot();
    }

    int linesWith(const std::string& text) const
    {
        int lines = 0;
        for (std::size_t at = output.out.find(text); at != std::string::npos; at = output.out.find(text, at + 1))
            ++lines;
        return lines;
    }

    TemporaryDirectory directory;
    CapturedOutput output;
    std::vector<std::unique_ptr<Scene>> loaded;
};

TEST_F(ColladaAnimationTest, ChannelsOfPartsOfTransformElementsMoveTheirNodes)
{
    Scene& scene = *loadChannels("Y_UP");
    const float halfTurn = 0.70710678f;
    struct Pose
    {
        const char* node;
        float time;
        Vector3 point;
        Vector3 placed;
        const char* what;
    };
    const Pose poses[] = {
        {"slider", 0, {0, 0, 0}, {-2, 0, 0}, "location.X at its first key"},
        {"slider", 1, {0, 0, 0}, {0, 0, 0}, "location.X halfway, LINEAR"},
        {"slider", 3, {0, 0, 0}, {2, 0, 0}, "after the last key it holds"},
        {"stepper", 1, {0, 0, 0}, {0, 0, 2}, "translate.Y STEP holds its first key; translate.Z with a lost interpolation source goes linearly"},
        {"stepper", 2, {0, 0, 0}, {0, 4, 4}, "translate.Y STEP at its second key"},
        {"spinner", 0.5f, {1, 0, 0}, {1 + halfTurn, halfTurn, 0}, "rotateZ.ANGLE 45 degrees after the offset"},
        {"arm", 0.5f, {0, 0, 0}, {0, 2, 0}, "a nested node's location.Y"},
        {"grower", 0.5f, {1, 1, 1}, {2, 3, 4}, "a whole scale, three values a key"},
        {"mixer", 1, {1, 0, 0}, {2, 1, 0}, "two channels from nested animations: moved by 2, turned a quarter"},
        {"mixer", 0.5f, {1, 0, 0}, {1 + halfTurn, halfTurn, 0}, "both halfway"},
        {"cell", 0.5f, {0, 0, 0}, {5, 0, 0}, "transform(0)(3): row 0, column 3 of a matrix"},
        {"curvy", 0.5f, {0, 0, 0}, {3, 3, 0}, "BEZIER and HERMITE keys without tangents go in straight lines"},
    };
    for (const Pose& pose : poses)
    {
        scene.setTime(pose.time);
        expectNear(node(scene, pose.node).getTransform().transformPoint(pose.point), pose.placed,
                   std::string(pose.node) + " at " + std::to_string(pose.time) + ": " + pose.what);
    }
}

TEST_F(ColladaAnimationTest, EachNodeGetsOneAnimationAndWholeMatricesKeepTheNearestKey)
{
    Scene& scene = *loadChannels("Y_UP");
    std::map<std::string, std::size_t> channelsOf;
    KeyframeAnimation* keyed = nullptr;
    for (Animation* animation : scene.getAnimations())
    {
        if (auto* composed = dynamic_cast<ComposedTransformAnimation*>(animation))
            channelsOf[composed->getTarget()->getName()] = composed->getChannelCount();
        else
            keyed = dynamic_cast<KeyframeAnimation*>(animation);
    }
    const std::map<std::string, std::size_t> expected = {{"slider", 1}, {"stepper", 2}, {"spinner", 1}, {"arm", 1},
                                                         {"grower", 1}, {"mixer", 2},   {"cell", 1},    {"curvy", 2}};
    EXPECT_EQ(channelsOf, expected);
    ASSERT_NE(keyed, nullptr);
    EXPECT_EQ(keyed->getTarget(), &node(scene, "keyed"));
    EXPECT_EQ(scene.getAnimations().size(), expected.size() + 1);
    struct Nearest { float time; float x; };
    for (Nearest at : {Nearest{0.4f, 0}, Nearest{0.5f, 2}, Nearest{0.6f, 2}})
    {
        scene.setTime(at.time);
        EXPECT_EQ(node(scene, "keyed").getTransform()(0, 3), at.x) << at.time;
    }
}

TEST_F(ColladaAnimationTest, ChannelsThatCannotBeFollowedAreReportedOnce)
{
    loadChannels("Y_UP");
    const std::string reports[] = {
        "COLLADA animation channel 'slider/location.ANGLE': a translate has no member 'ANGLE'; left out",
        "COLLADA animation channel 'slider/location(7)': a translate has no member '(7)'; left out",
        "COLLADA animation channel 'slider/visibility.X': its node has no transform element 'visibility'; left out",
        "COLLADA animation channel 'stepper/translate.Z': names no interpolation source 'nowhere'; its keys are "
        "interpolated linearly",
        "COLLADA animation channel 'grower/scale': does not hold 3 values for each of its 2 keys; left out",
    };
    for (const std::string& report : reports)
        EXPECT_EQ(linesWith(")]:\t" + report + "\n"), 1) << report << "\n" << output.out;
    EXPECT_EQ(linesWith("COLLADA animation"), 5) << "BEZIER and HERMITE keys are followed\n" << output.out;
}

TEST_F(ColladaAnimationTest, AnimatedTopLevelNodesOfAZUpDocumentTurnAsTheirRestTransform)
{
    Scene& yUp = *loadChannels("Y_UP");
    Scene& zUp = *loadChannels("Z_UP");
    struct Turned { const char* node; bool topLevel; };
    const Turned nodes[] = {{"slider", true}, {"stepper", true}, {"spinner", true}, {"arm", false},
                            {"grower", true}, {"mixer", true},   {"cell", true},    {"keyed", true}};
    std::map<std::string, Matrix4> rest;
    for (const Turned& turned : nodes)
        rest[turned.node] = node(zUp, turned.node).getTransform();
    zUp.setTime(0);
    for (const Turned& turned : nodes)
        expectNear(node(zUp, turned.node).getTransform(), rest[turned.node],
                   std::string(turned.node) + ": the first keys hold the rest values");
    for (float time : {0.5f, 1.0f})
    {
        yUp.setTime(time);
        zUp.setTime(time);
        for (const Turned& turned : nodes)
        {
            Matrix4 asYUp = node(yUp, turned.node).getTransform();
            expectNear(node(zUp, turned.node).getTransform(), turned.topLevel ? zUpTurn * asYUp : asYUp,
                       std::string(turned.node) + " at " + std::to_string(time));
        }
    }
}

TEST_F(ColladaAnimationTest, TheTileIsDrawnWhereItsChannelHasMovedIt)
{
    Scene& scene = *loadChannels("Y_UP");
    ASSERT_EQ(scene.getActiveCamera()->getName(), "eye");
    RenderEngine& engine = *Tavrin::getInstance().getRenderEngine();
    struct Picture { float time; Vector3 red; Vector3 dark; };
    for (const Picture& picture : {Picture{0, {-2, 0, 0}, {2, 0, 0}}, Picture{2, {2, 0, 0}, {-2, 0, 0}}})
    {
        scene.setTime(picture.time);
        captureOutput([&] {
            for (int frame = 0; frame < 2; ++frame)
                engine.drawScene(scene, 1.0f);
        });
        Rgba tile = seenAt(scene, picture.red);
        Rgba empty = seenAt(scene, picture.dark);
        EXPECT_GT(tile[0], 150) << "at " << picture.time;
        EXPECT_LT(tile[2], 40) << "at " << picture.time;
        EXPECT_LT(empty[0], 40) << "at " << picture.time;
    }
    EXPECT_FALSE(glErrorRaised());
}

// What the exporters' files animate: whole matrices of joints, some inside nested "animation"
// elements; every channel is a keyframe animation of a node of the visual scene.
TEST_F(ColladaAnimationTest, RealExportedMatrixChannelsMoveTheirJoints)
{
    if (!std::filesystem::is_directory(realFiles))
        GTEST_SKIP() << "no exported documents at " << realFiles;
    struct Animated
    {
        const char* file;
        std::vector<std::string> targets;
        std::vector<std::size_t> keys;
    };
    const Animated files[] = {
        {"box_nested_animation.dae", {"Armature_Bone"}, {40}},
        {"apc-model.dae", {"node-bone_turret", "node-bone_gun"}, {61, 61}},
        {"library_animation_clips.dae",
         {"Armature", "id-bone-7", "id-bone-4", "id-bone-5", "id-bone-6", "id-bone-3",
          "Armature", "id-bone-7", "id-bone-4", "id-bone-5", "id-bone-6", "id-bone-3"},
         {15, 15, 15, 15, 15, 15, 21, 21, 21, 21, 21, 21}},
    };
    for (const Animated& expected : files)
    {
        Scene& scene = *load(realFiles + expected.file);
        std::vector<std::string> targets;
        std::vector<std::size_t> keys;
        for (Animation* animation : scene.getAnimations())
        {
            auto* keyframes = dynamic_cast<KeyframeAnimation*>(animation);
            ASSERT_NE(keyframes, nullptr) << expected.file;
            ASSERT_NE(keyframes->getTarget(), nullptr) << expected.file;
            EXPECT_EQ(keyframes->getTarget(), scene.getNode(keyframes->getTarget()->getName())) << expected.file;
            targets.push_back(keyframes->getTarget()->getName());
            keys.push_back(keyframes->getKeyframes().size());
        }
        EXPECT_EQ(targets, expected.targets) << expected.file;
        EXPECT_EQ(keys, expected.keys) << expected.file;
        EXPECT_EQ(output.out.find("COLLADA animation"), std::string::npos) << expected.file << "\n" << output.out;
    }
}

TEST_F(ColladaAnimationTest, RealMatrixKeysAreTakenAsWrittenAndTopLevelOnesTurned)
{
    if (!std::filesystem::is_directory(realFiles))
        GTEST_SKIP() << "no exported documents at " << realFiles;
    Scene& apc = *load(realFiles + "apc-model.dae");
    ASSERT_EQ(apc.getAnimations().size(), 2u);
    auto keysOf = [&](std::size_t animation) {
        return static_cast<KeyframeAnimation*>(apc.getAnimations()[animation])->getKeyframes();
    };
    // The turret's joint is a top-level node; the gun's hangs below it.
    expectNear(keysOf(0).at(0), zUpTurn * Matrix4(0, 0, -1, 0, 0.9999995f, -0.001040518f, 0, -0.001343131f,
                                                   -0.001040518f, -0.9999995f, 0, 32.87532f, 0, 0, 0, 1),
               "the turret's first key");
    expectNear(keysOf(1).at(0), Matrix4(0.9999847f, -0.005539059f, 0, 6.93559f, 0.005539059f, 0.9999847f, 0, 8.1253e-4f,
                                        0, 0, 1, 2.20451e-7f, 0, 0, 0, 1),
               "the gun's first key");
    Scene& box = *load(realFiles + "box_nested_animation.dae");
    SceneNode& bone = node(box, "Armature_Bone");
    box.setTime(0);
    Matrix4 first = bone.getTransform();
    box.setTime(1);
    EXPECT_NE(bone.getTransform(), first) << "the bone moves";
}

// A top-level node without transform elements turns to Y up as well: the 3ds Max cone stands on
// its base, its tip up.
TEST_F(ColladaAnimationTest, EveryTopLevelNodeOfAZUpDocumentTurnsToYUp)
{
    if (!std::filesystem::is_directory(realFiles))
        GTEST_SKIP() << "no exported documents at " << realFiles;
    Scene& cone = *load(realFiles + "construction_cone.dae");
    for (const char* name : {"node-Box001", "node-Box001_mesh", ""})
        expectNear(node(cone, name).getWorldMatrix(), zUpTurn, std::string("'") + name + "'");
    Scene& nested = *load(realFiles + "cube_with_2UVs.DAE");
    expectNear(node(nested, "node-Szenenstamm").getTransform(), zUpTurn, "the top-level node");
    expectNear(node(nested, "node-Quader01").getTransform(), Matrix4::identity(), "a node below it");
}

Collada::Document readDocument(const std::string& text)
{
    TiXmlDocument xml;
    std::string problem;
    EXPECT_TRUE(parseXmlText(text, xml, problem)) << problem;
    return ColladaReader::read(xml);
}

TEST(ColladaAnimationReading, TargetsAreSplitIntoNodeElementAndMember)
{
    struct TargetCase { const char* target; const char* node; const char* element; const char* member; };
    const TargetCase cases[] = {
        {"cube/location.X", "cube", "location", "X"},   {"cube/rotateZ.ANGLE", "cube", "rotateZ", "ANGLE"},
        {"cube/transform(0)(3)", "cube", "transform", "(0)(3)"}, {"cube/scale", "cube", "scale", ""},
        {"cube", "cube", "", ""},                        {"a/b/c.Y", "a/b", "c", "Y"},
    };
    for (const TargetCase& expected : cases)
    {
        Collada::Document document = readDocument(std::string("<COLLADA><library_animations><animation><channel target=\"") +
                                                  expected.target + "\"/></animation></library_animations></COLLADA>");
        ASSERT_EQ(document.animations.size(), 1u);
        ASSERT_EQ(document.animations[0].channels.size(), 1u);
        const Collada::Channel& channel = document.animations[0].channels[0];
        EXPECT_EQ(channel.node, expected.node) << expected.target;
        EXPECT_EQ(channel.element, expected.element) << expected.target;
        EXPECT_EQ(channel.member, expected.member) << expected.target;
    }
}

// Animations nested to the deepest an XML document may go are read, each after the one it is in.
TEST(ColladaAnimationReading, NestedAnimationsFollowTheOneTheyAreIn)
{
    const int depth = maxXmlNestingDepth - 3;
    std::string text = "<COLLADA><library_animations>";
    for (int level = 0; level < depth; ++level)
        text += "<animation><channel target=\"n" + std::to_string(level) + "/x.X\"/>";
    for (int level = 0; level < depth; ++level)
        text += "</animation>";
    text += "<animation><channel target=\"last\"/></animation></library_animations>";
    text += "<library_animations><animation><channel target=\"second-library\"/></animation></library_animations></COLLADA>";
    Collada::Document document = readDocument(text);
    ASSERT_EQ(document.animations.size(), static_cast<std::size_t>(depth) + 2);
    EXPECT_EQ(document.animations[0].channels[0].node, "n0");
    EXPECT_EQ(document.animations[depth - 1].channels[0].node, "n" + std::to_string(depth - 1));
    EXPECT_EQ(document.animations[depth].channels[0].node, "last");
    EXPECT_EQ(document.animations[depth + 1].channels[0].node, "second-library");
}

TEST(ColladaAnimationReading, TheUnitIsReadInMetresAndOneWithoutALengthIsReported)
{
    struct UnitCase { const char* unit; float meters; const char* problem; };
    const UnitCase cases[] = {
        {R"(<unit name="inch" meter="0.0254"/>)", 0.0254f, ""},
        {R"(<unit name="meter"/>)", 1, ""},
        {"", 1, ""},
        {R"(<unit name="wide" meter="wide"/>)", 1, "COLLADA unit 'wide': meter=\"wide\" is no length in metres; 1 is used"},
        {R"(<unit meter="0"/>)", 1, "COLLADA unit '': meter=\"0\" is no length in metres; 1 is used"},
        {R"(<unit meter="-2"/>)", 1, "COLLADA unit '': meter=\"-2\" is no length in metres; 1 is used"},
        {R"(<unit meter="inf"/>)", 1, "COLLADA unit '': meter=\"inf\" is no length in metres; 1 is used"},
    };
    for (const UnitCase& expected : cases)
    {
        Collada::Document document = readDocument(std::string("<COLLADA><asset>") + expected.unit + "</asset></COLLADA>");
        EXPECT_FLOAT_EQ(document.unitInMeters, expected.meters) << expected.unit;
        EXPECT_EQ(document.assetProblems, std::string(expected.problem).empty() ? Collada::Problems()
                                                                                : Collada::Problems{expected.problem})
            << expected.unit;
    }
}

// Many channels can share one long list of keys; past a limit of key values for the whole document
// the rest are left out with one line.
TEST(ColladaAnimationBuilding, ChannelsPastTheDocumentsLimitOfKeyValuesAreLeftOutWithOneLine)
{
    ASSERT_NE(openRenderEngine(), nullptr);
    std::string text = R"(<COLLADA><library_visual_scenes><visual_scene><node id="n"><translate sid="t">0 0 0</translate>
        </node></visual_scene></library_visual_scenes><library_animations><animation>
        <source id="times"><float_array>0 1 2 3</float_array></source>
        <sampler id="s"><input semantic="INPUT" source="#times"/><input semantic="OUTPUT" source="#times"/></sampler>
        <channel source="#s" target="n/t.X"/><channel source="#s" target="n/t.Y"/>
        <channel source="#s" target="n/t.Z"/><channel source="#s" target="n/t.X"/>
        </animation></library_animations></COLLADA>)";
    Collada::Document document = readDocument(text);
    Scene scene("limited");
    ColladaLoad load(Tavrin::getInstance(), scene, Logger::getInstance(), document);
    std::string log = captureStdout([&] {
        ColladaNodeBuilder(load).buildNodeTree(1.0f);
        for (Animation* made : ColladaAnimationBuilder(load, 10).makeAnimations())
            scene.addAnimation(made);
    });
    ASSERT_EQ(scene.getAnimations().size(), 1u);
    EXPECT_EQ(static_cast<ComposedTransformAnimation*>(scene.getAnimations()[0])->getChannelCount(), 2u);
    EXPECT_NE(log.find(")]:\tCOLLADA animation channel 'n/t.Z': the document's animations hold more than 10 key "
                       "values with it; it and the channels after it are left out\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("COLLADA"), log.rfind("COLLADA")) << "one line\n" << log;
}
}
