#include "collada/ColladaNormals.h"
#include "pellux/collada/ColladaDocument.h"
#include "pellux/collada/ColladaReader.h"
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/XmlDocument.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/resources/ImageManager.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "GlContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace Pellux;

namespace
{
const std::string fixtures = PELLUX_TEST_DATA_DIR "/collada/";
const std::string realDocuments = PELLUX_SHARED_DATA_DIR "/collada/";

Collada::Document readDocument(const std::string& path)
{
    TiXmlDocument xml;
    std::string problem;
    EXPECT_TRUE(readXmlFile(path, xml, problem)) << path << ": " << problem;
    return ColladaReader::read(xml);
}

const Collada::Geometry* geometryOf(const Collada::Document& document, const std::string& id)
{
    for (const Collada::Geometry& geometry : document.geometries)
        if (geometry.id == id)
            return &geometry;
    return nullptr;
}

std::vector<float> arrayOf(const Collada::Primitive& primitive, const std::string& name)
{
    auto found = primitive.arrays.find(name);
    return found == primitive.arrays.end() ? std::vector<float>() : found->second.values;
}

void expectNear(const std::vector<float>& actual, const std::vector<float>& expected, const std::string& what)
{
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (std::size_t at = 0; at < actual.size(); ++at)
        EXPECT_NEAR(actual[at], expected[at], 1e-6f) << what << ", value " << at;
}

std::string geometryProblem(const std::string& id, const std::string& text)
{
    return "COLLADA geometry '" + id + "': " + text;
}
}

TEST(ColladaGeometryReading, EachVertexKeepsTheIndexItsVertexInputGaveIt)
{
    Collada::Document document = readDocument(fixtures + "geometry.dae");
    const Collada::Geometry* geometry = geometryOf(document, "three-offsets");
    ASSERT_NE(geometry, nullptr);
    ASSERT_EQ(geometry->primitives.size(), 2u);
    EXPECT_EQ(geometry->primitives[0].positionIndices, (std::vector<unsigned int>{0, 1, 2, 2, 1, 0}));
    EXPECT_EQ(geometry->primitives[1].positionIndices, (std::vector<unsigned int>{2, 1, 0}));
}

TEST(ColladaGeometryReading, AVertexOutsideThePositionSourceHasNoPosition)
{
    TiXmlDocument xml;
    std::string problem;
    ASSERT_TRUE(parseXmlText(R"(<COLLADA><library_geometries><geometry id="g"><mesh>
        <source id="p"><float_array>0 0 0 1 0 0 0 1 0</float_array></source>
        <vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
        <triangles><input semantic="VERTEX" source="#v"/><p>-1 2 3</p></triangles>
        <triangles><input semantic="NORMAL" source="#p"/><p>0 1 2</p></triangles>
        </mesh></geometry></library_geometries></COLLADA>)", xml, problem)) << problem;
    Collada::Document document = ColladaReader::read(xml);
    ASSERT_EQ(document.geometries.size(), 1u);
    const std::vector<Collada::Primitive>& primitives = document.geometries[0].primitives;
    ASSERT_EQ(primitives.size(), 2u);
    const unsigned int none = Collada::noPosition;
    EXPECT_EQ(primitives[0].positionIndices, (std::vector<unsigned int>{none, 2, none}));
    EXPECT_EQ(primitives[1].positionIndices, (std::vector<unsigned int>{none, none, none}));
}

TEST(ColladaGeometryReading, PolygonsBecomeTriangleFansAroundTheirFirstCorner)
{
    Collada::Document document = readDocument(fixtures + "polygons.dae");
    struct Case
    {
        const char* geometry;
        // Per primitive read: its material symbol and the position index of each vertex.
        std::vector<const char*> materials;
        std::vector<std::vector<unsigned int>> positionIndices;
    };
    const Case cases[] = {
        {"fans", {"fans-symbol"}, {{0, 1, 2, 0, 2, 3, 1, 4, 2, 1, 4, 6, 1, 6, 5, 1, 5, 2}}},
        {"polygons-fans", {"polygons-symbol"}, {{0, 1, 2, 0, 2, 3, 1, 4, 2, 3, 2, 1}}},
        {"quad-with-hole", {"paint"}, {{0, 1, 2, 0, 2, 3}}},
        {"small-polygons", {"small"}, {{0, 1, 2, 0, 1, 2, 0, 2, 3}}},
        {"vcount-mismatch", {"sound"}, {{0, 1, 2}}},
        {"negative-vcount", {}, {}},
        {"mixed", {"first", "second", "third", "lines", "fourth"}, {{0, 1, 2}, {0, 1, 2}, {0, 1, 2}, {0, 1}, {2, 1, 0}}},
    };
    for (const Case& expected : cases)
    {
        const Collada::Geometry* geometry = geometryOf(document, expected.geometry);
        ASSERT_NE(geometry, nullptr) << expected.geometry;
        ASSERT_EQ(geometry->primitives.size(), expected.materials.size()) << expected.geometry;
        for (std::size_t at = 0; at < expected.materials.size(); ++at)
        {
            const Collada::Primitive& primitive = geometry->primitives[at];
            EXPECT_EQ(primitive.material, expected.materials[at]) << expected.geometry;
            EXPECT_EQ(primitive.positionIndices, expected.positionIndices[at]) << expected.geometry << " " << at;
            EXPECT_EQ(primitive.vertexCount, expected.positionIndices[at].size()) << expected.geometry;
            EXPECT_EQ(arrayOf(primitive, "position").size(), 3 * primitive.vertexCount) << expected.geometry;
        }
    }
}

TEST(ColladaGeometryReading, EveryInputOfAPolygonCornerGoesWithIt)
{
    Collada::Document document = readDocument(fixtures + "polygons.dae");
    const Collada::Geometry* fans = geometryOf(document, "fans");
    ASSERT_NE(fans, nullptr);
    ASSERT_EQ(fans->primitives.size(), 1u);
    const Collada::Primitive& primitive = fans->primitives[0];
    const std::vector<float> first = {0.25f, -0.5f}, second = {0.75f, -1};
    std::vector<float> texCoords;
    for (const std::vector<float>* corner : {&first, &second, &first, &first, &first, &second, &first, &first, &first})
        texCoords.insert(texCoords.end(), corner->begin(), corner->end());
    for (int pentagonCorner = 0; pentagonCorner < 9; ++pentagonCorner)
        texCoords.insert(texCoords.end(), second.begin(), second.end());
    EXPECT_EQ(arrayOf(primitive, "texCoord_0"), texCoords);
    std::vector<float> positions = arrayOf(primitive, "position");
    positions.resize(18);
    EXPECT_EQ(positions, (std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0})) << "the square";
}

TEST(ColladaGeometryReading, WhatAPolygonPrimitiveLeavesOutIsReportedOncePerPrimitive)
{
    Collada::Document document = readDocument(fixtures + "polygons.dae");
    struct Case
    {
        const char* geometry;
        std::vector<std::string> problems;
    };
    const Case cases[] = {
        {"fans", {}},
        {"polygons-fans", {}},
        {"quad-list", {}},
        {"quad-with-hole", {"\"polygons\" of material 'paint': holes (\"h\" in \"ph\") are left out"}},
        {"small-polygons", {"\"polylist\" of material 'small': polygons of fewer than 3 corners are left out"}},
        {"vcount-mismatch",
         {"\"polylist\" of material 'short': \"vcount\" adds up to 8 corners, \"p\" holds 7; the primitive is left out"}},
        {"negative-vcount",
         {"\"polylist\" of material 'negative': \"vcount\" holds a negative number; the primitive is left out"}},
        {"mixed", {"\"tristrips\" primitives are not read"}},
    };
    for (const Case& expected : cases)
    {
        const Collada::Geometry* geometry = geometryOf(document, expected.geometry);
        ASSERT_NE(geometry, nullptr) << expected.geometry;
        std::vector<std::string> problems;
        for (const std::string& text : expected.problems)
            problems.push_back(geometryProblem(expected.geometry, text));
        EXPECT_EQ(geometry->problems, problems) << expected.geometry;
    }
}

TEST(ColladaGeometryReading, DamagedPolygonListsAreReportedAndReadAsFarAsTheyGo)
{
    struct Case
    {
        const char* primitive;
        std::size_t vertices;
        std::vector<std::string> problems;
    };
    const char* positions = R"(<source id="p"><float_array>0 0 0 1 0 0 1 1 0 0 1 0</float_array></source>
        <vertices id="v"><input semantic="POSITION" source="#p"/></vertices>)";
    const Case cases[] = {
        {R"(<polylist material="m"><input semantic="VERTEX" source="#v"/><vcount>4 x</vcount><p>0 1 2 3</p></polylist>)", 6,
         {"has \"vcount\" words that are not numbers, read as 0; the first is 'x' in \"vcount\"",
          "\"polylist\" of material 'm': polygons of fewer than 3 corners are left out"}},
        {R"(<polylist material="m"><input semantic="VERTEX" source="#v"/><p>0 1 2</p></polylist>)", 0,
         {"\"polylist\" of material 'm': \"vcount\" adds up to 0 corners, \"p\" holds 3; the primitive is left out"}},
        {R"(<polylist material="m"><input semantic="VERTEX" source="#v"/><input semantic="NORMAL" source="#p" offset="1"/>
            <vcount>3</vcount><p>0 0 1 0 2 0 3</p></polylist>)", 3,
         {"has a \"p\" list that ends inside an index tuple; the rest is left out"}},
        {R"(<polylist material="m"><input semantic="VERTEX" source="#v"/><vcount>4</vcount><p>0 1 2 9</p></polylist>)", 6,
         {"has indices past the end of a source; those values read as 0"}},
        {R"(<polygons material="m"><input semantic="VERTEX" source="#v"/><p>0 1 2 x</p><ph><h>0 1 2</h></ph></polygons>)", 6,
         {"has \"p\" words that are not numbers, read as 0; the first is 'x' in \"p\"",
          "\"polygons\" of material 'm': polygons of fewer than 3 corners are left out",
          "\"polygons\" of material 'm': holes (\"h\" in \"ph\") are left out"}},
        {R"(<polygons material="m"><input semantic="VERTEX" source="#v" offset="-3"/><p>0 1 2</p></polygons>)", 0,
         {"has an input offset that is no number from 0 to 255"}},
    };
    for (const Case& expected : cases)
    {
        TiXmlDocument xml;
        std::string problem;
        ASSERT_TRUE(parseXmlText(std::string("<COLLADA><library_geometries><geometry id=\"g\"><mesh>") + positions +
                                     expected.primitive + "</mesh></geometry></library_geometries></COLLADA>",
                                 xml, problem))
            << problem;
        Collada::Document document = ColladaReader::read(xml);
        ASSERT_EQ(document.geometries.size(), 1u);
        const Collada::Geometry& geometry = document.geometries[0];
        std::size_t vertices = 0;
        for (const Collada::Primitive& primitive : geometry.primitives)
            vertices += primitive.vertexCount;
        EXPECT_EQ(vertices, expected.vertices) << expected.primitive;
        std::vector<std::string> problems;
        for (const std::string& text : expected.problems)
            problems.push_back(geometryProblem("g", text));
        EXPECT_EQ(geometry.problems, problems) << expected.primitive;
    }
}

TEST(ColladaGeometryReading, APrimitiveWithoutNormalsGetsSmoothOnesAndOneWithNormalsKeepsThem)
{
    Collada::Document document = readDocument(fixtures + "polygons.dae");
    const Collada::Geometry* fans = geometryOf(document, "fans");
    ASSERT_NE(fans, nullptr);
    ASSERT_EQ(fans->primitives.size(), 1u);
    std::vector<float> facingUp;
    for (int vertex = 0; vertex < 18; ++vertex)
        facingUp.insert(facingUp.end(), {0, 0, 1});
    expectNear(arrayOf(fans->primitives[0], "normal"), facingUp, "fans");

    Collada::Document given = readDocument(fixtures + "geometry.dae");
    const Collada::Geometry* threeOffsets = geometryOf(given, "three-offsets");
    ASSERT_NE(threeOffsets, nullptr);
    std::vector<float> documentNormals;
    for (int vertex = 0; vertex < 6; ++vertex)
        documentNormals.insert(documentNormals.end(), {0, 0, 1});
    EXPECT_EQ(arrayOf(threeOffsets->primitives[0], "normal"), documentNormals) << "the triangles turn the other way";
}

TEST(ColladaSmoothNormals, EachPositionSumsTheAreaWeightedNormalsOfItsTriangles)
{
    const unsigned int none = Collada::noPosition;
    const float root5 = std::sqrt(5.0f);
    struct Case
    {
        const char* name;
        std::vector<float> positions;
        std::vector<unsigned int> positionIndices;
        std::vector<float> normals;
    };
    // The hinge: a triangle of area 1/2 in z = 0 and one of area 1 in x = 0 share the edge from
    // position 0 to position 2.
    const std::vector<float> hinge = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2};
    const Case cases[] = {
        {"a square face of a unit cube", {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0}, {0, 1, 2, 0, 2, 3},
         {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}},
        {"the hinge", hinge, {0, 1, 2, 0, 2, 3},
         {2 / root5, 0, 1 / root5, 0, 0, 1, 2 / root5, 0, 1 / root5, 2 / root5, 0, 1 / root5, 2 / root5, 0, 1 / root5, 1, 0, 0}},
        {"the hinge with equal places under other indices", hinge, {0, 1, 2, 4, 5, 3},
         {0, 0, 1, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 1, 0, 0}},
        {"the hinge with a vertex of no position", hinge, {none, 1, 2, 0, 2, 3},
         {0, 0, 1, 0, 0, 1, 2 / root5, 0, 1 / root5, 1, 0, 0, 2 / root5, 0, 1 / root5, 1, 0, 0}},
        {"a degenerate triangle", {0, 0, 0, 1, 1, 1, 2, 2, 2}, {0, 1, 2}, {0, 1, 0, 0, 1, 0, 0, 1, 0}},
        {"faces that cancel", {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0}, {0, 1, 2, 0, 2, 1},
         {0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0}},
        {"a vertex after the last whole triangle", {0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, 5}, {0, 1, 2, 3},
         {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 1, 0}},
        {"coordinates beyond the floats' squares", {0, 0, 0, 3e38f, 0, 0, 0, 3e38f, 0}, {0, 1, 2},
         {0, 0, 1, 0, 0, 1, 0, 0, 1}},
        {"coordinates that are no numbers", {0, 0, 0, std::numeric_limits<float>::quiet_NaN(), 0, 0, 0, 1, 0}, {0, 1, 2},
         {0, 1, 0, 0, 1, 0, 0, 1, 0}},
    };
    for (const Case& expected : cases)
    {
        Collada::VertexArray positions;
        positions.components = 3;
        positions.values = expected.positions;
        Collada::VertexArray normals = Collada::smoothNormals(positions, expected.positionIndices);
        EXPECT_EQ(normals.components, 3) << expected.name;
        expectNear(normals.values, expected.normals, expected.name);
    }
}

TEST(ColladaGeometryReading, RealPolygonDocumentsReadAsTheirTriangulatedForms)
{
    if (!std::filesystem::exists(realDocuments + "duck.dae"))
        GTEST_SKIP() << "no exported documents at " << realDocuments;
    struct Case
    {
        const char* document;
        const char* geometry;
        std::size_t vertices;
        std::size_t positions;
        bool normalsGiven;
    };
    const Case cases[] = {
        {"duck.dae", "LOD3spShape-lib", 3 * 4212, 2108, true},
        {"duck_triangulate.dae", "LOD3spShape-lib", 3 * 4212, 2108, true},
        {"box_nested_animation.dae", "Cube-mesh", 3 * 12, 8, true},
        {"library_animation_clips.dae", "id-mesh-10", 3 * 2 * 26, 72, true},
    };
    for (const Case& expected : cases)
    {
        Collada::Document document = readDocument(realDocuments + expected.document);
        const Collada::Geometry* geometry = geometryOf(document, expected.geometry);
        ASSERT_NE(geometry, nullptr) << expected.document;
        EXPECT_EQ(geometry->problems, std::vector<std::string>()) << expected.document;
        ASSERT_EQ(geometry->primitives.size(), 1u) << expected.document;
        const Collada::Primitive& primitive = geometry->primitives[0];
        EXPECT_EQ(primitive.vertexCount, expected.vertices) << expected.document;
        EXPECT_EQ(arrayOf(primitive, "normal").size(), 3 * expected.vertices) << expected.document;
        EXPECT_EQ(arrayOf(primitive, "texCoord_0").size(), 2 * expected.vertices) << expected.document;
        unsigned int largest = *std::max_element(primitive.positionIndices.begin(), primitive.positionIndices.end());
        EXPECT_EQ(largest + 1, expected.positions) << expected.document << ": every position used, none outside";
    }
}

namespace
{
class ColladaGeometryDrawing : public testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(openRenderEngine(), nullptr); }

    Scene* load(const std::string& path)
    {
        Scene* scene = nullptr;
        log = captureOutput([&] { scene = ColladaSceneloader::load(File(path)); }).out;
        loaded.emplace_back(scene);
        return scene;
    }

    // The scene's picture after two frames, the first of which fills the shadow maps.
    std::vector<Rgba> draw(Scene& scene)
    {
        RenderEngine& engine = *Tavrin::getInstance().getRenderEngine();
        captureOutput([&] {
            for (int frame = 0; frame < 2; ++frame)
                engine.drawScene(scene, 1.0f);
        });
        RenderTarget& target = *scene.getRenderTarget();
        width = static_cast<int>(target.getSize()->width);
        height = static_cast<int>(target.getSize()->height);
        std::vector<unsigned char> bytes(static_cast<std::size_t>(width * height * 4));
        glBindFramebuffer(GL_FRAMEBUFFER, target.getFramebuffer());
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
        std::vector<Rgba> picture(bytes.size() / 4);
        for (std::size_t pixel = 0; pixel < picture.size(); ++pixel)
            picture[pixel] = {bytes[4 * pixel], bytes[4 * pixel + 1], bytes[4 * pixel + 2], bytes[4 * pixel + 3]};
        return picture;
    }

    // Where the scene's camera sees the world point, in pixels of its target.
    Rgba seenAt(Scene& scene, const std::vector<Rgba>& picture, const Vector3& point)
    {
        CameraNode& camera = *scene.getActiveCamera();
        Matrix4 toClip = camera.getProjectionMatrix() * camera.getViewMatrix();
        float clip[4];
        for (int row = 0; row < 4; ++row)
            clip[row] = toClip(row, 0) * point.x + toClip(row, 1) * point.y + toClip(row, 2) * point.z + toClip(row, 3);
        int x = static_cast<int>((clip[0] / clip[3] * 0.5f + 0.5f) * static_cast<float>(width));
        int y = static_cast<int>((clip[1] / clip[3] * 0.5f + 0.5f) * static_cast<float>(height));
        return picture[static_cast<std::size_t>(y * width + x)];
    }

    std::string log;
    int width = 0;
    int height = 0;
    std::vector<std::unique_ptr<Scene>> loaded;
};

bool brightGrey(const Rgba& pixel)
{
    return pixel[0] > 100 && pixel[1] > 100 && pixel[2] > 100;
}

// Looks at the middle of the scene's meshes from in front and above, with a point light at the eye.
void lookAtMeshes(Scene& scene)
{
    std::vector<SceneNode*> nodes;
    scene.getRoot()->collectDescendants(nodes);
    Vector3 low(1e30f, 1e30f, 1e30f), high(-1e30f, -1e30f, -1e30f);
    for (SceneNode* node : nodes)
    {
        auto* meshNode = dynamic_cast<MeshNode*>(node);
        if (meshNode == nullptr || meshNode->getMesh() == nullptr)
            continue;
        for (SubMesh* subMesh : meshNode->getMesh()->getSubMeshes())
        {
            const float* positions = subMesh->getAttribute("position");
            for (std::size_t vertex = 0; vertex < subMesh->getVertexCount("position"); ++vertex)
            {
                Vector3 point = meshNode->getWorldMatrix().transformPoint(
                    {positions[3 * vertex], positions[3 * vertex + 1], positions[3 * vertex + 2]});
                low = {std::min(low.x, point.x), std::min(low.y, point.y), std::min(low.z, point.z)};
                high = {std::max(high.x, point.x), std::max(high.y, point.y), std::max(high.z, point.z)};
            }
        }
    }
    Vector3 centre = (low + high) * 0.5f;
    float radius = (high - low).length() * 0.5f;
    // A camera of its own below the root, as the document's may sit below turned nodes.
    auto* camera = new CameraNode("test camera");
    scene.getRoot()->addChild(camera);
    scene.setActiveCamera(camera);
    Vector3 eye = centre + Vector3(0.3f, 0.4f, 1).normalized() * (radius / std::tan(camera->getFov() / 2) * 1.2f);
    camera->setTransform(Matrix4::translation(eye));
    camera->lookAt(centre.x, centre.y, centre.z);
    camera->setNear(radius * 0.1f);
    camera->setFar(radius * 10);
    // Without attenuation: exported models come in any unit.
    auto* light = new LightNode("test light", 2);
    light->setConstAttenuation(1);
    light->setLinearAttenuation(0);
    light->setQuadraticAttenuation(0);
    light->setTransform(Matrix4::translation(eye));
    scene.getRoot()->addChild(light);
}
}

TEST_F(ColladaGeometryDrawing, PolygonsWithoutNormalsDrawLitAndTheirHolesFilled)
{
    Scene* scene = load(fixtures + "polygons.dae");
    std::vector<Rgba> picture = draw(*scene);
    struct Spot
    {
        const char* what;
        Vector3 point;
    };
    for (const Spot& spot : {Spot{"the polylist square", {-2, 0, 0}}, Spot{"the polygons square", {2, 0.7f, 0}},
                             Spot{"the hole left out", {2, 0, 0}}})
    {
        Rgba pixel = seenAt(*scene, picture, spot.point);
        EXPECT_TRUE(brightGrey(pixel)) << spot.what << ": " << pixel[0] << ", " << pixel[1] << ", " << pixel[2];
    }
    EXPECT_FALSE(glErrorRaised());
    EXPECT_NE(log.find("ERR:\t[ ColladaLoad.cpp      ("), std::string::npos) << log;
    EXPECT_NE(log.find(")]:\tCOLLADA geometry 'quad-with-hole': \"polygons\" of material 'paint': holes (\"h\" in \"ph\") "
                       "are left out\n"),
              std::string::npos)
        << log;
}

TEST_F(ColladaGeometryDrawing, ThePolylistDuckDrawsLikeTheTriangulatedOne)
{
    if (!std::filesystem::exists(realDocuments + "duck.dae"))
        GTEST_SKIP() << "no exported documents at " << realDocuments;
    ImageManager& images = *Tavrin::getInstance().getImageManager();
    const std::vector<std::string>& paths = images.getSearchPaths();
    if (std::find(paths.begin(), paths.end(), realDocuments) == paths.end())
        images.addSearchPath(realDocuments);
    std::vector<std::vector<Rgba>> pictures;
    for (const char* document : {"duck_triangulate.dae", "duck.dae"})
    {
        Scene* scene = load(realDocuments + document);
        EXPECT_EQ(log.find("primitives are not read"), std::string::npos) << document << "\n" << log;
        lookAtMeshes(*scene);
        pictures.push_back(draw(*scene));
        EXPECT_FALSE(glErrorRaised()) << document;
    }
    const Rgba background = pictures[0][0];
    std::size_t duck = 0, lit = 0, differing = 0;
    for (std::size_t pixel = 0; pixel < pictures[0].size(); ++pixel)
    {
        const Rgba& triangulated = pictures[0][pixel];
        const Rgba& polylist = pictures[1][pixel];
        duck += triangulated != background ? 1 : 0;
        lit += std::max({triangulated[0], triangulated[1], triangulated[2]}) > 128 ? 1 : 0;
        int difference = 0;
        for (int channel = 0; channel < 3; ++channel)
            difference = std::max(difference, std::abs(triangulated[channel] - polylist[channel]));
        differing += difference > 24 ? 1 : 0;
    }
    EXPECT_GT(duck, pictures[0].size() / 20) << "the duck fills a good part of the picture";
    EXPECT_GT(lit, duck / 4) << "and is lit";
    EXPECT_LT(differing, duck / 50) << "both ducks look alike";
}
