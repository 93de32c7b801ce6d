// Constructs of real exporters' documents: primitives without materials, inputs in "vertices",
// many meshes on one node, lines, colours and texture-coordinate sets.
#include "collada/XmlReading.h"
#include "pellux/collada/ColladaReader.h"
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/foundation/XmlDocument.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/Skin.h"

#include "CaptureOutput.h"
#include "ColladaText.h"
#include "DrawnDocument.h"
#include "ScenePixels.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <vector>

using namespace Pellux;
using namespace ColladaText;

namespace
{
std::vector<float> valuesOf(const SubMesh& subMesh, const std::string& name)
{
    auto attribute = subMesh.getAttributes().find(name);
    return attribute != subMesh.getAttributes().end() ? *attribute->second.values : std::vector<float>{};
}

// A triangle whose "vertices" hold more than positions, and whose primitive adds `inputs`, `p` its
// indices; its sources: positions, normals "n" (one, +Z), colours "rgb" (stride 3), texture
// coordinates "uv0" and "uv1".
std::string richGeometry(const std::string& vertexInputs, const std::string& inputs, const std::string& p,
                         const std::string& material = " material=\"paint\"")
{
    return R"(<geometry id="rich"><mesh>
        <source id="positions"><float_array>-1 -1 0 1 -1 0 0 1 0</float_array></source>
        <source id="n"><float_array>0 0 1 0 0 1 0 0 1</float_array></source>
        <source id="rgb"><float_array>1 0 0 0 1 0 0 0 1</float_array></source>
        <source id="uv0"><float_array>0 0 1 0 0 1</float_array>
          <technique_common><accessor count="3" stride="2"/></technique_common></source>
        <source id="uv1"><float_array>0.5 0.5 0.25 0.25 0.75 0.75</float_array>
          <technique_common><accessor count="3" stride="2"/></technique_common></source>
        <vertices id="v"><input semantic="POSITION" source="#positions"/>)" +
           vertexInputs + "</vertices><triangles" + material + " count=\"1\"><input semantic=\"VERTEX\" source=\"#v\" offset=\"0\"/>" +
           inputs + "<p>" + p + "</p></triangles></mesh></geometry>";
}

using ColladaConstructsTest = DrawnDocumentTest;

TEST_F(ColladaConstructsTest, PrimitivesWithoutAMaterialDrawPlainLightGreyWithOneLine)
{
    // No material symbol on one triangle, a symbol bound to no material on the other.
    std::string geometries = richGeometry("", "", "0 1 2", "") +
                             "<geometry id=\"unbound\"><mesh><source id=\"up\"><float_array>-1 -1 0 1 -1 0 0 1 0</float_array>"
                             "</source><vertices id=\"uv\"><input semantic=\"POSITION\" source=\"#up\"/></vertices>"
                             "<triangles material=\"lost\" count=\"1\"><input semantic=\"VERTEX\" source=\"#uv\" offset=\"0\"/>"
                             "<p>0 1 2</p></triangles></mesh></geometry>";
    std::string nodes = node("plain", -2, 0, "<instance_geometry url=\"#rich\"/>") +
                        node("lost", 2, 0,
                             "<instance_geometry url=\"#unbound\"><bind_material><technique_common><instance_material "
                             "symbol=\"lost\" target=\"#nowhere\"/></technique_common></bind_material></instance_geometry>");
    std::unique_ptr<Scene> scene = loadAndDraw(document(geometries, "", nodes));
    for (float x : {-2.0f, 2.0f})
    {
        Rgba pixel = seenAt(*scene, {x, -0.3f, 0});
        EXPECT_GT(pixel[0], 120) << x << ": drawn, and lit";
        EXPECT_EQ(pixel[0], pixel[1]) << x << ": grey";
        EXPECT_EQ(pixel[1], pixel[2]) << x << ": grey";
    }
    EXPECT_EQ(countOf(log, "ERR:"), 1) << log;
    EXPECT_NE(log.find(": 2 drawn primitives have no material symbol or one bound to no material; they are drawn plain "
                       "light grey"),
              std::string::npos)
        << log;
}

TEST_F(ColladaConstructsTest, EveryInputOfTheVerticesGoesWithEachVertex)
{
    std::string geometries = richGeometry(R"(<input semantic="NORMAL" source="#n"/><input semantic="TEXCOORD" source="#uv0"/>
        <input semantic="COLOR" source="#rgb"/>)", "", "2 1 0");
    std::unique_ptr<Scene> scene = loadAndDraw(document(geometries, "", node("rich", 0, 0, bound("instance_geometry", "#rich"))));
    MeshNode* meshNode = meshNodeOf(*scene, "rich");
    ASSERT_NE(meshNode, nullptr) << log;
    const SubMesh& triangle = *meshNode->getMesh()->getSubMeshes()[0];
    EXPECT_EQ(valuesOf(triangle, "normal"), (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(valuesOf(triangle, "texCoord_0"), (std::vector<float>{0, -1, 1, 0, 0, 0}));
    EXPECT_EQ(valuesOf(triangle, "color"), (std::vector<float>{0, 0, 1, 1, 0, 1, 0, 1, 1, 0, 0, 1}))
        << "three components each, alpha 1";
    EXPECT_EQ(countOf(log, "ERR:"), 0) << log;
}

TEST_F(ColladaConstructsTest, TextureCoordinateSetsAreKeptInTheOrderOfTheirSetNumbers)
{
    std::string geometries = richGeometry("", R"(<input semantic="TEXCOORD" source="#uv1" offset="0" set="3"/>
        <input semantic="TEXCOORD" source="#uv0" offset="0" set="1"/>)", "0 1 2");
    std::unique_ptr<Scene> scene = loadAndDraw(document(geometries, "", node("rich", 0, 0, bound("instance_geometry", "#rich"))));
    MeshNode* meshNode = meshNodeOf(*scene, "rich");
    ASSERT_NE(meshNode, nullptr) << log;
    const SubMesh& triangle = *meshNode->getMesh()->getSubMeshes()[0];
    EXPECT_EQ(valuesOf(triangle, "texCoord_0"), (std::vector<float>{0, 0, 1, 0, 0, -1})) << "set 1";
    EXPECT_EQ(valuesOf(triangle, "texCoord_1"), (std::vector<float>{0.5f, -0.5f, 0.25f, -0.25f, 0.75f, -0.75f})) << "set 3";
    EXPECT_EQ(valuesOf(triangle, "texCoordCount"), (std::vector<float>{2}));
}

TEST_F(ColladaConstructsTest, EveryMeshANodeInstancesGetsAMeshNodeOfItsOwn)
{
    std::string nodes = skeleton(1) + node("many", 0, 0,
                                           bound("instance_geometry", "#A") + bound("instance_geometry", "#B") +
                                               bound("instance_controller", "#S", "<skeleton>#skeleton</skeleton>"));
    std::unique_ptr<Scene> scene = loadAndDraw(document(geometry("A", true) + geometry("B", false), skin("S", "B", 1), nodes));
    MeshNode* first = meshNodeOf(*scene, "many");
    MeshNode* second = meshNodeOf(*scene, "many", "-2");
    MeshNode* third = meshNodeOf(*scene, "many", "-3");
    ASSERT_NE(first, nullptr) << log;
    ASSERT_NE(second, nullptr) << log;
    ASSERT_NE(third, nullptr) << log;
    EXPECT_EQ(first->getMesh()->getName(), "A");
    EXPECT_EQ(second->getMesh()->getName(), "B");
    EXPECT_EQ(third->getMesh()->getName(), "S");
    EXPECT_NE(third->getSkin(), nullptr);
    EXPECT_EQ(countOf(log, "ERR:"), 0) << log;
}

TEST_F(ColladaConstructsTest, LinesAndLineStripsBecomeLines)
{
    std::string geometries = R"(<geometry id="wire"><mesh>
        <source id="wp"><float_array>-2 -2 0 2 -2 0 2 2 0 -2 2 0</float_array></source>
        <vertices id="wv"><input semantic="POSITION" source="#wp"/></vertices>
        <lines material="paint" count="1"><input semantic="VERTEX" source="#wv" offset="0"/><p>0 1</p></lines>
        <linestrips material="paint" count="1"><input semantic="VERTEX" source="#wv" offset="0"/><p>1 2 3</p></linestrips>
        </mesh></geometry>)";
    std::unique_ptr<Scene> scene = loadAndDraw(document(geometries, "", node("wire", 0, 0, bound("instance_geometry", "#wire"))));
    MeshNode* meshNode = meshNodeOf(*scene, "wire");
    ASSERT_NE(meshNode, nullptr) << log;
    ASSERT_EQ(meshNode->getMesh()->getSubMeshes().size(), 2u);
    const SubMesh& line = *meshNode->getMesh()->getSubMeshes()[0];
    const SubMesh& strip = *meshNode->getMesh()->getSubMeshes()[1];
    EXPECT_EQ(line.getPrimitive(), SubMesh::lines);
    EXPECT_EQ(strip.getPrimitive(), SubMesh::lines);
    EXPECT_EQ(valuesOf(strip, "position"), (std::vector<float>{2, -2, 0, 2, 2, 0, 2, 2, 0, -2, 2, 0}));
    EXPECT_EQ(seenAt(*scene, {0, -2, 0})[3], 255) << "the line is drawn";
    EXPECT_EQ(seenAt(*scene, {2, 0, 0})[3], 255) << "the strip's first line is drawn";
    EXPECT_EQ(seenAt(*scene, {0, 0, 0})[3], 0) << "nothing between the lines";
}

TEST(ColladaNumberReading, WordsAreNumbersAsAWholeOrWithOneDecimalComma)
{
    struct Case
    {
        const char* text;
        std::vector<float> values;
        int notNumbers;
        const char* first;
    };
    const Case cases[] = {
        {"1.5 -2 +3e1", {1.5f, -2, 30}, 0, ""},
        {"0,588235 21,920870 -0,5", {0.588235f, 21.92087f, -0.5f}, 0, ""},
        {"1,5,2 4", {0, 4}, 1, "1,5,2"},
        {"1.5x 2", {0, 2}, 1, "1.5x"},
        {"1,5.0 ,5 5, 2", {0, 0, 0, 2}, 3, "1,5.0"},
        {"1,5e3", {0}, 1, "1,5e3"},
    };
    for (const Case& row : cases)
    {
        std::vector<float> values;
        std::string first;
        EXPECT_EQ(Xml::readFloats(row.text, values, &first), row.notNumbers) << row.text;
        EXPECT_EQ(values, row.values) << row.text;
        EXPECT_EQ(first, row.first) << row.text;
    }
    std::vector<int> indices;
    std::string first;
    EXPECT_EQ(Xml::readInts("0 1,0 2x 3", indices, &first), 2);
    EXPECT_EQ(indices, (std::vector<int>{0, 0, 0, 3}));
    EXPECT_EQ(first, "1,0");
}

TEST_F(ColladaConstructsTest, ADocumentWrittenWithDecimalCommasReadsItsNumbers)
{
    std::string text = document(geometry("A", true), "", node("square", 0, 0, bound("instance_geometry", "#A")));
    text.replace(text.find("-1 -1 0 1 -1 0 1 1 0 -1 1 0"), 27, "-1,5 -1,5 0 1,5 -1,5 0 1,5 1,5 0 -1,5 1,5 0");
    text.replace(text.find("<asset>"), 7, "<asset><unit meter=\"0,01\" name=\"centimeter\"/>");
    text.replace(text.find("<color>1 1 1</color>"), 20, "<color>0,5 0,5 0,5</color>");
    std::unique_ptr<Scene> scene = loadAndDraw(text);
    MeshNode* square = meshNodeOf(*scene, "square");
    ASSERT_NE(square, nullptr) << log;
    std::vector<float> positions = valuesOf(*square->getMesh()->getSubMeshes()[0], "position");
    ASSERT_EQ(positions.size(), 18u);
    EXPECT_EQ(positions[0], -1.5f);
    EXPECT_EQ(countOf(log, "ERR:"), 0) << log;
    EXPECT_GT(seenAt(*scene, {1.3f, 1.2f, 0})[0], 20) << "the square reaches past 1, and the half-bright light lights it";
}

TEST_F(ColladaConstructsTest, WordsThatAreNoNumbersAreNamedOncePerSource)
{
    std::string text = document(geometry("A", true), "", node("square", 0, 0, bound("instance_geometry", "#A")));
    text.replace(text.find("-1 -1 0 1 -1 0"), 14, "-1 -1 0 1,0,0 -1 0");
    std::unique_ptr<Scene> scene = loadAndDraw(text);
    EXPECT_EQ(countOf(log, "ERR:"), 1) << log;
    EXPECT_NE(log.find("COLLADA source 'A-p': holds words that are not numbers, read as 0; the first is '1,0,0' in "
                       "\"float_array\""),
              std::string::npos)
        << log;
}

TEST_F(ColladaConstructsTest, AskedForMetresTheSceneIsScaledByTheDocumentsUnit)
{
    std::string text = document(geometry("A", true), "", node("square", 0, 0, bound("instance_geometry", "#A")));
    text.replace(text.find("<asset>"), 7, "<asset><unit meter=\"0.0254\" name=\"inch\"/>");
    std::string path = directory.write("inches.dae", text);
    for (auto units : {ColladaSceneloader::Units::AsWritten, ColladaSceneloader::Units::Metres})
    {
        std::unique_ptr<Scene> scene;
        captureOutput([&] { scene.reset(ColladaSceneloader::load(File(path), nullptr, units)); });
        SceneNode* square = scene->getNode("square");
        ASSERT_NE(square, nullptr);
        Vector3 corner = square->getWorldMatrix().transformPoint({1, 1, 0});
        EXPECT_FLOAT_EQ(corner.x, units == ColladaSceneloader::Units::Metres ? 0.0254f : 1.0f);
    }
}

// A skin of two joints whose names hold spaces, every vertex bound to the second, and two joint
// nodes with those sids, the second lifted by `lift` and one level below `skeletonNode`.
std::string spacedSkinDocument(const std::string& skeletonRoot, const std::string& secondSid, float lift)
{
    std::string spaced = skin("S", "A", 2);
    spaced.replace(spaced.find("<Name_array> j0 j1</Name_array>"), 31, "<Name_array count=\"2\">Bip01 Head Bip01 L Calf</Name_array>");
    std::string joints = "<node id=\"rig\"><node id=\"head\" sid=\"Bip01 Head\"/><node id=\"calf\" sid=\"" + secondSid +
                         "\"><translate>0 " + std::to_string(lift) + " 0</translate></node></node>";
    return document(geometry("A", true), spaced,
                    joints + node("body", 0, 0, bound("instance_controller", "#S", "<skeleton>" + skeletonRoot + "</skeleton>")));
}

TEST_F(ColladaConstructsTest, JointNamesWithSpacesAreJoinedWhereTheyNameNodes)
{
    for (const char* skeleton : {"#rig", "#scene", "#nowhere"})
    {
        std::unique_ptr<Scene> scene = loadAndDraw(spacedSkinDocument(skeleton, "Bip01 L Calf", 3));
        MeshNode* body = meshNodeOf(*scene, "body");
        ASSERT_NE(body, nullptr) << log;
        ASSERT_NE(body->getSkin(), nullptr) << skeleton << "\n" << log;
        EXPECT_EQ(body->getSkin()->getJointCount(), 2u) << skeleton;
        EXPECT_EQ(body->getSkin()->getJoints()[1], scene->getNode("calf")) << skeleton;
        EXPECT_EQ(countOf(log, "ERR:"), 0) << skeleton << "\n" << log;
        EXPECT_GT(seenAt(*scene, {0, 3, 0})[3], 0) << skeleton << ": the square moves with its joint";
        EXPECT_EQ(seenAt(*scene, {0, 0, 0})[3], 0) << skeleton << ": and is no longer where it was bound";
    }
}

TEST_F(ColladaConstructsTest, ASkinKeepsTheJointsItFindsAndHoldsTheOthersVerticesWhereTheyWereBound)
{
    std::unique_ptr<Scene> scene = loadAndDraw(spacedSkinDocument("#rig", "Bip01 R Calf", 3));
    MeshNode* body = meshNodeOf(*scene, "body");
    ASSERT_NE(body, nullptr) << log;
    ASSERT_NE(body->getSkin(), nullptr) << log;
    EXPECT_EQ(body->getSkin()->getJoints()[0], scene->getNode("head"));
    EXPECT_EQ(body->getSkin()->getJoints()[1], nullptr);
    EXPECT_EQ(countOf(log, "ERR:"), 1) << log;
    EXPECT_NE(log.find("COLLADA controller 'S': names a joint no node of the scene is: 'Bip01 L Calf'; the vertices "
                       "bound to it stay in their bind pose"),
              std::string::npos)
        << log;
    EXPECT_GT(seenAt(*scene, {0, 0, 0})[3], 0) << "the vertices of the missing joint stay in their bind pose";
}

// An uncompressed 24-bit TGA of two pixels, red on the left and green on the right.
std::string redGreenTga()
{
    std::string tga(18, '\0');
    tga[2] = 2;
    tga[12] = 2;
    tga[14] = 1;
    tga[16] = 24;
    return tga + std::string("\x00\x00\xff\x00\xff\x00", 6);
}

TEST_F(ColladaConstructsTest, VertexColoursTintAndATextureReadsTheSetItsInstanceBinds)
{
    std::string picture = directory.write("red-green.tga", redGreenTga());
    // Set 0 reads the red pixel, set 1 the green one; the vertex colours halve the blue-less light.
    std::string geometries = R"(<geometry id="tinted"><mesh>
        <source id="tp"><float_array>-1 -1 0 1 -1 0 1 1 0 -1 1 0</float_array></source>
        <source id="tn"><float_array>0 0 1</float_array></source>
        <source id="red-uv"><float_array>0.25 0.5</float_array><technique_common><accessor count="1" stride="2"/></technique_common></source>
        <source id="green-uv"><float_array>0.75 0.5</float_array><technique_common><accessor count="1" stride="2"/></technique_common></source>
        <source id="grey"><float_array>0.5 0.5 0.5</float_array></source>
        <vertices id="tv"><input semantic="POSITION" source="#tp"/></vertices>
        <triangles material="paint" count="2"><input semantic="VERTEX" source="#tv" offset="0"/>
          <input semantic="NORMAL" source="#tn" offset="1"/><input semantic="TEXCOORD" source="#red-uv" offset="1" set="0"/>
          <input semantic="TEXCOORD" source="#green-uv" offset="1" set="1"/><input semantic="COLOR" source="#grey" offset="1"/>
          <p>0 0 1 0 2 0 0 0 2 0 3 0</p></triangles></mesh></geometry>)";
    std::string text = document(geometries, "", node("tinted", 0, 0, R"(<instance_geometry url="#tinted"><bind_material>
        <technique_common><instance_material symbol="paint" target="#textured"><bind_vertex_input semantic="UVMap"
        input_semantic="TEXCOORD" input_set="1"/></instance_material></technique_common></bind_material></instance_geometry>)"));
    text.insert(text.find("</library_effects>"), R"(<effect id="textured-effect"><profile_COMMON>
        <newparam sid="s"><sampler2D><source>f</source></sampler2D></newparam>
        <newparam sid="f"><surface type="2D"><init_from>picture</init_from></surface></newparam>
        <technique sid="t"><constant><emission><texture texture="s" texcoord="UVMap"/></emission></constant></technique>
        </profile_COMMON></effect>)");
    text.insert(text.find("</library_materials>"), R"(<material id="textured"><instance_effect url="#textured-effect"/></material>)");
    text.insert(text.find("<library_effects>"), "<library_images><image id=\"picture\"><init_from>" + picture +
                                                    "</init_from></image></library_images>");
    std::unique_ptr<Scene> scene = loadAndDraw(text);
    Rgba seen = seenAt(*scene, {0.5f, -0.5f, 0});
    EXPECT_EQ(countOf(log, "ERR:"), 0) << log;
    EXPECT_LT(seen[0], 10) << "the green pixel, of set 1";
    EXPECT_NEAR(seen[1], 128, 2) << "green, halved by the vertices' grey";
}

TEST_F(ColladaConstructsTest, GlassBeforeALitWallShowsTheWallTintedAndLeavesNoHole)
{
    std::string glassEffect = R"(<effect id="glass-effect"><profile_COMMON><technique sid="t"><lambert>
        <diffuse><color>0 0 1 1</color></diffuse><transparent opaque="A_ONE"><color>1 1 1 0.5</color></transparent>
        <transparency><float>1</float></transparency></lambert></technique></profile_COMMON></effect>)";
    std::string glass = R"(<instance_geometry url="#A"><bind_material><technique_common>
        <instance_material symbol="paint" target="#glass"/></technique_common></bind_material></instance_geometry>)";
    std::string text = document(geometry("A", true), "",
                                node("wall", -1.5f, -2, bound("instance_geometry", "#A")) + node("pane", 0, 0, glass));
    text.insert(text.find("</library_effects>"), glassEffect);
    text.insert(text.find("</library_materials>"), R"(<material id="glass"><instance_effect url="#glass-effect"/></material>)");
    std::unique_ptr<Scene> scene = loadAndDraw(text);
    EXPECT_EQ(countOf(log, "ERR:"), 0) << log;
    Rgba overWall = seenAt(*scene, {-0.6f, 0, 0});
    Rgba alone = seenAt(*scene, {0.6f, 0, 0});
    Rgba wall = seenAt(*scene, {-2.3f, 0, -2});
    EXPECT_GT(wall[0], 100) << "the lit wall";
    EXPECT_NEAR(overWall[0], wall[0] / 2, 12) << "half of the wall shows through";
    EXPECT_GT(overWall[2], overWall[0]) << "tinted blue";
    EXPECT_EQ(overWall[3], 255) << "the target stays opaque where the wall is behind";
    EXPECT_NEAR(alone[3], 128, 2) << "and half covered where nothing is";

    // The window, cleared to black, shows the target as the target has it: where the wall is behind
    // the glass, and where nothing is, with the glass's alpha counted once.
    captureStdout([&] {
        engine->endFrame();
        engine->drawScene(*scene, 1.0f);
    });
    Rgba onWindow = windowPixelSeeing(*scene, {-0.6f, 0, 0});
    Rgba aloneOnWindow = windowPixelSeeing(*scene, {0.6f, 0, 0});
    EXPECT_GT(alone[2], 40) << "the glass alone, lit";
    for (int channel = 0; channel < 3; ++channel)
    {
        EXPECT_NEAR(onWindow[channel], overWall[channel], 2) << channel;
        EXPECT_NEAR(aloneOnWindow[channel], alone[channel], 2) << channel;
    }
}

TEST(ColladaTransparencyReading, OpacityFollowsTheFormulasOfCollada141)
{
    struct Case
    {
        const char* transparency;
        float opacity;
    };
    const Case cases[] = {
        {"", 1},
        {"<transparency><float>0.25</float></transparency>", 0.25f},
        {"<transparent><color>1 1 1 0.5</color></transparent>", 0.5f},
        {"<transparent opaque=\"A_ONE\"><color>1 1 1 0.5</color></transparent><transparency><float>0.5</float></transparency>",
         0.25f},
        {"<transparent opaque=\"RGB_ZERO\"><color>0 0 0 1</color></transparent><transparency><float>1</float></transparency>", 1},
        {"<transparent opaque=\"RGB_ZERO\"><color>1 1 1 1</color></transparent><transparency><float>0.5</float></transparency>",
         0.5f},
        {"<transparent opaque=\"A_ZERO\"><color>1 1 1 0.25</color></transparent>", 0.75f},
        {"<transparent opaque=\"A_ONE\"><color>1 1 1 1</color></transparent><transparency><float>0</float></transparency>", 1},
    };
    for (const Case& row : cases)
    {
        std::string text = std::string("<COLLADA><library_effects><effect id=\"e\"><profile_COMMON><technique sid=\"t\"><lambert>"
                                       "<diffuse><color>1 1 1 1</color></diffuse>") +
                           row.transparency + "</lambert></technique></profile_COMMON></effect></library_effects></COLLADA>";
        TiXmlDocument xml;
        std::string problem;
        ASSERT_TRUE(parseXmlText(text, xml, problem)) << problem;
        Collada::Document read = ColladaReader::read(xml);
        ASSERT_EQ(read.effects.size(), 1u);
        EXPECT_NEAR(read.effects[0].opacity, row.opacity, 1e-6f) << row.transparency;
    }
}

// A node whose location.X follows two keys of value 0 at 0 s and 1 s, with the interpolation and
// the tangents given.
std::string curveDocument(const std::string& interpolation, const std::string& inTangents,
                          const std::string& outTangents)
{
    std::string animation = R"(<library_animations><animation id="ease">
        <source id="t"><float_array>0 1</float_array></source><source id="v"><float_array>0 0</float_array></source>
        <source id="i"><Name_array>)" + interpolation + " " + interpolation + R"(</Name_array></source>
        <source id="in"><float_array>)" + inTangents + R"(</float_array></source>
        <source id="out"><float_array>)" + outTangents + R"(</float_array></source>
        <sampler id="s"><input semantic="INPUT" source="#t"/><input semantic="OUTPUT" source="#v"/>
          <input semantic="INTERPOLATION" source="#i"/><input semantic="IN_TANGENT" source="#in"/>
          <input semantic="OUT_TANGENT" source="#out"/></sampler>
        <channel source="#s" target="eased/location.X"/></animation></library_animations>)";
    std::string text = document("", "", "<node id=\"eased\"><translate sid=\"location\">0 0 0</translate></node>");
    text.insert(text.find("</COLLADA>"), animation);
    return text;
}

TEST_F(ColladaConstructsTest, BezierAndHermiteKeysFollowTheirTangents)
{
    struct Case
    {
        const char* description;
        std::string text;
        float at;
        float x;
    };
    const Case cases[] = {
        {"BEZIER, one value per key: controls at a third and two thirds", curveDocument("BEZIER", "3 3", "3 3"), 0.5f, 2.25f},
        {"BEZIER, a time and a value per key", curveDocument("BEZIER", "0.5 4 0.5 4", "0.5 4 0.5 4"), 0.5f, 3.0f},
        {"HERMITE, slopes over the span: up, then down", curveDocument("HERMITE", "6 6", "6 6"), 0.25f, 0.5625f},
        {"HERMITE halfway", curveDocument("HERMITE", "6 6", "6 6"), 0.5f, 0.0f},
    };
    for (const Case& row : cases)
    {
        std::unique_ptr<Scene> scene = loadAndDraw(row.text);
        scene->setTime(row.at);
        SceneNode* eased = scene->getNode("eased");
        ASSERT_NE(eased, nullptr) << row.description;
        EXPECT_NEAR(eased->getTransform()(0, 3), row.x, 1e-3f) << row.description << "\n" << log;
        EXPECT_EQ(countOf(log, "ERR:"), 0) << row.description << "\n" << log;
    }
}

TEST_F(ColladaConstructsTest, TheDocumentsOfTheReadMeLoadWithoutAReport)
{
    for (const char* name : {"decimal_commas.dae", "many_instances.dae", "glass.dae", "spaced_joints.dae"})
    {
        std::unique_ptr<Scene> scene;
        std::string path = std::string(PELLUX_TEST_DATA_DIR "/collada/") + name;
        log = captureOutput([&] {
                  scene.reset(ColladaSceneloader::load(File(path)));
                  engine->drawScene(*scene, 1.0f);
              }).out;
        EXPECT_EQ(countOf(log, "ERR:"), 0) << name << "\n" << log;
    }
}

TEST_F(ColladaConstructsTest, WeightsThatDoNotSumToOneAreScaledToOne)
{
    // Every vertex bound to the second joint, lifted by 3, with weight 0.5 and nothing else.
    std::string halfWeights = skin("S", "A", 2);
    halfWeights.replace(halfWeights.find("<float_array>1</float_array>"), 28, "<float_array>0.5</float_array>");
    std::string joints = "<node id=\"rig\"><node id=\"first\" sid=\"j0\"/><node id=\"second\" sid=\"j1\">"
                         "<translate>0 3 0</translate></node></node>";
    std::unique_ptr<Scene> scene = loadAndDraw(document(
        geometry("A", true), halfWeights,
        joints + node("body", 0, 0, bound("instance_controller", "#S", "<skeleton>#rig</skeleton>"))));
    EXPECT_GT(seenAt(*scene, {0, 3, 0})[3], 0) << "all the way with its joint";
    EXPECT_EQ(seenAt(*scene, {0, 1.5f, 0})[3], 0) << "not halfway";
    EXPECT_EQ(seenAt(*scene, {0, 0, 0})[3], 0) << "not where it was bound";
    EXPECT_EQ(countOf(log, "ERR:"), 0) << log;
}

TEST_F(ColladaConstructsTest, AnImportTellsAProgramWhatWentWrongWithWhere)
{
    std::string text = document(geometry("A", true), "", node("square", 0, 0, bound("instance_geometry", "#A")));
    text.replace(text.find("-1 -1 0 1 -1 0"), 14, "-1 -1 0 1,0,0 -1 0");
    std::string path = directory.write("import.dae", text);
    ColladaSceneloader::Import imported;
    captureOutput([&] { imported = ColladaSceneloader::import(File(path)); });
    EXPECT_TRUE(imported.read);
    ASSERT_NE(imported.scene, nullptr);
    EXPECT_NE(imported.scene->getNode("square"), nullptr);
    ASSERT_EQ(imported.diagnostics.size(), 1u);
    EXPECT_EQ(imported.diagnostics[0].severity, Diagnostic::Severity::Error);
    EXPECT_EQ(imported.diagnostics[0].where, "source 'A-p'");
    EXPECT_EQ(imported.diagnostics[0].message,
              "COLLADA source 'A-p': holds words that are not numbers, read as 0; the first is '1,0,0' in \"float_array\"");

    ColladaSceneloader::Import missing;
    captureOutput([&] { missing = ColladaSceneloader::import(File(directory.path() + "/missing.dae")); });
    EXPECT_FALSE(missing.read);
    ASSERT_NE(missing.scene, nullptr) << "an empty scene, as load gives";
    ASSERT_EQ(missing.diagnostics.size(), 1u);
    EXPECT_EQ(missing.diagnostics[0].where, "");
}
}
