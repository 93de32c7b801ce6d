#include "graphics/GraphicsContext.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/gltf/GltfSceneloader.h"
#include "pellux/graphics/Texture.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/Animation.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/Skin.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "GltfDocumentTest.h"
#include "SceneBuilding.h"
#include "TemporaryDirectory.h"

#include <GL/glew.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace Pellux;

namespace
{
// A red unlit triangle in the plane z = 0 around the origin: positions (36 bytes) and three 16-bit
// indices in "t.bin", which `edits` may change before it is written.
const char* const triangleJson = R"({
  "asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0]}], "nodes": [{"mesh": 0}],
  "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "indices": 1, "material": 0}]}],
  "materials": [{"pbrMetallicRoughness": {"baseColorFactor": [1, 0, 0, 1]},
                 "extensions": {"KHR_materials_unlit": {}}}],
  "extensionsUsed": ["KHR_materials_unlit"],
  "buffers": [{"uri": "t.bin", "byteLength": 44}],
  "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 36},
                  {"buffer": 0, "byteOffset": 36, "byteLength": 6}],
  "accessors": [{"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3", "min": [-1, -1, 0],
                 "max": [1, 1, 0]},
                {"bufferView": 1, "componentType": 5123, "count": 3, "type": "SCALAR"}]
})";

std::string bytesOf(const std::vector<float>& floats, const std::vector<std::uint16_t>& shorts, std::size_t size)
{
    std::string bytes(size, '\0');
    std::memcpy(bytes.data(), floats.data(), floats.size() * sizeof(float));
    std::memcpy(bytes.data() + floats.size() * sizeof(float), shorts.data(), shorts.size() * sizeof(std::uint16_t));
    return bytes;
}

const std::vector<float> trianglePositions = {-1, -1, 0, 1, -1, 0, 0, 1, 0};

class GltfLoaderTest : public GltfDocumentTest
{
protected:
    std::unique_ptr<Scene> load(const std::string& json, const std::string& bin,
                                const GltfSelection& selection = GltfSelection())
    {
        directory.write("t.bin", bin);
        return loadDocument("t.gltf", json, selection);
    }

    const SubMesh* firstSubMesh(Scene& scene)
    {
        const std::vector<MeshNode*>& meshes = scene.getMeshNodes();
        if (meshes.empty() || meshes.front()->getMesh()->getSubMeshes().empty())
            return nullptr;
        return meshes.front()->getMesh()->getSubMeshes().front();
    }
};

TEST_F(GltfLoaderTest, ATriangleDrawsInItsMaterialsColour)
{
    std::unique_ptr<Scene> scene = load(triangleJson, bytesOf(trianglePositions, {0, 1, 2}, 44));
    ASSERT_TRUE(read) << log;
    EXPECT_TRUE(errorMessages(log).empty()) << log;
    const SubMesh* triangle = firstSubMesh(*scene);
    ASSERT_NE(triangle, nullptr);
    EXPECT_EQ(triangle->getIndices().size(), 3u);
    EXPECT_NE(triangle->attribute(VertexSemantic::Normal), nullptr) << "flat normals are made";

    drawFrom(*scene, 3);
    EXPECT_EQ(pixelFromMiddle(0, 0), (Rgba{255, 0, 0, 255}));
    Rgba corner = readPixel(2, 2);
    EXPECT_EQ(corner, (Rgba{0, 0, 0, 255}));
}

struct Hostile
{
    std::string description;
    std::string from;
    std::string to;
    std::vector<std::uint16_t> indices;
    // After "glTF <path>: ".
    std::vector<std::string> expected;
};

TEST_F(GltfLoaderTest, HostileAccessorsAreReportedWithTheirPlaceAndNothingIsReadOutsideTheBuffers)
{
    const Hostile cases[] = {
        {"more positions than the view holds", "\"count\": 3, \"type\": \"VEC3\"", "\"count\": 4, \"type\": \"VEC3\"",
         {0, 1, 2},
         {"meshes[0].primitives[0].attributes.POSITION: accessors[0] reaches past the 36 bytes of bufferViews[0]",
          "meshes[0].primitives[0]: is left out without its positions"}},
        {"a stride longer than the view", "\"byteLength\": 36}", "\"byteLength\": 36, \"byteStride\": 40}",
         {0, 1, 2},
         {"bufferViews[0].byteStride: is 40, more than the 36 bytes of its view",
          "meshes[0].primitives[0].attributes.POSITION: accessors[0] reaches past the 36 bytes of bufferViews[0]",
          "meshes[0].primitives[0]: is left out without its positions"}},
        {"an index past the vertices", "", "", {0, 1, 5},
         {"meshes[0].primitives[0].indices: holds the index 5, past the primitive's 3 vertices; the primitive is "
          "left out"}},
        {"a view past its buffer", "\"byteOffset\": 36, \"byteLength\": 6", "\"byteOffset\": 40, \"byteLength\": 6",
         {0, 1, 2},
         {"bufferViews[1]: reaches past the 44 bytes of buffers[0]",
          "meshes[0].primitives[0].indices: accessors[1] bufferViews[1] reaches past the end of its buffer; the "
          "primitive is left out"}},
        {"indices of floats", "\"componentType\": 5123", "\"componentType\": 5126", {0, 1, 2},
         {"meshes[0].primitives[0].indices: accessors[1] is no scalar of unsigned integers, as indices are; the "
          "primitive is left out"}},
    };
    for (const Hostile& hostile : cases)
    {
        std::string json = hostile.from.empty() ? triangleJson : replaced(triangleJson, hostile.from, hostile.to);
        std::unique_ptr<Scene> scene = load(json, bytesOf(trianglePositions, hostile.indices, 44));
        EXPECT_TRUE(read) << hostile.description << "\n" << log;
        std::vector<std::string> expected;
        for (const std::string& message : hostile.expected)
            expected.push_back("glTF " + path + ": " + message);
        EXPECT_EQ(errorMessages(log), expected) << hostile.description;
        EXPECT_EQ(firstSubMesh(*scene), nullptr) << hostile.description;
    }
}

TEST_F(GltfLoaderTest, DocumentsThatCannotBeLoadedSayWhyInOneLine)
{
    struct Refused
    {
        std::string description;
        std::string json;
        std::string expected;
        bool read;
    };
    const Refused cases[] = {
        {"an extension the engine does not know is required",
         replaced(triangleJson, "\"extensionsUsed\": [\"KHR_materials_unlit\"]",
                  "\"extensionsUsed\": [\"KHR_materials_unlit\", \"EXT_unknown\"], "
                  "\"extensionsRequired\": [\"EXT_unknown\"]"),
         "extensionsRequired: needs EXT_unknown, which the engine does not draw; nothing is loaded", true},
        {"not glTF at all", "solid cube\nendsolid\n",
         "could not be read (it is neither a GLB container nor a JSON object)", false},
        {"indices from an accessor that is not there", replaced(triangleJson, "\"indices\": 1", "\"indices\": 7"),
         "could not be read (primitive indices accessor out of bounds)", false},
        {"a buffer outside the document's folder", replaced(triangleJson, "\"uri\": \"t.bin\"", "\"uri\": \"../t.bin\""),
         "", false},
    };
    for (const Refused& refused : cases)
    {
        std::unique_ptr<Scene> scene = load(refused.json, bytesOf(trianglePositions, {0, 1, 2}, 44));
        EXPECT_EQ(read, refused.read) << refused.description;
        std::vector<std::string> messages = errorMessages(log);
        ASSERT_EQ(messages.size(), 1u) << refused.description << "\n" << log;
        if (!refused.expected.empty())
        {
            EXPECT_EQ(messages.front(), "glTF " + path + ": " + refused.expected) << refused.description;
        }
        EXPECT_TRUE(scene->getMeshNodes().empty()) << refused.description;
    }
}

TEST_F(GltfLoaderTest, ASparseAccessorReplacesTheElementsItNames)
{
    // The third position moves from (0, 1, 0) to (0, 2, 0): one sparse element, index 2.
    std::string json = replaced(triangleJson, "\"max\": [1, 1, 0]}",
                                "\"max\": [1, 2, 0], "
                                "\"sparse\": {\"count\": 1, \"indices\": {\"bufferView\": 2, \"componentType\": 5123}, "
                                "\"values\": {\"bufferView\": 3}}}");
    json = replaced(json, "{\"buffer\": 0, \"byteOffset\": 36, \"byteLength\": 6}",
                    "{\"buffer\": 0, \"byteOffset\": 36, \"byteLength\": 6}, "
                    "{\"buffer\": 0, \"byteOffset\": 42, \"byteLength\": 2}, "
                    "{\"buffer\": 0, \"byteOffset\": 44, \"byteLength\": 12}");
    json = replaced(json, "\"byteLength\": 44}", "\"byteLength\": 56}");
    std::string bin = bytesOf(trianglePositions, {0, 1, 2, 2}, 56);
    const float moved[3] = {0, 2, 0};
    std::memcpy(bin.data() + 44, moved, sizeof moved);
    std::unique_ptr<Scene> scene = load(json, bin);
    ASSERT_TRUE(read) << log;
    EXPECT_TRUE(errorMessages(log).empty()) << log;
    const SubMesh* triangle = firstSubMesh(*scene);
    ASSERT_NE(triangle, nullptr);
    const std::vector<float>& positions = *triangle->attribute(VertexSemantic::Position)->values;
    // Flat normals give each corner its own vertex, in index order.
    ASSERT_EQ(positions.size(), 9u);
    EXPECT_EQ(positions[7], 2.0f);
}

// Strips and fans become triangle lists, loops and strips of lines become line pairs.
TEST_F(GltfLoaderTest, EveryPrimitiveModeBecomesAListTheEngineDraws)
{
    struct Mode
    {
        int mode;
        int primitive;
        std::size_t indices;
    };
    const Mode modes[] = {{0, SubMesh::points, 3}, {1, SubMesh::lines, 2},     {2, SubMesh::lines, 6},
                          {3, SubMesh::lines, 4},  {4, SubMesh::triangles, 3}, {5, SubMesh::triangles, 3},
                          {6, SubMesh::triangles, 3}};
    for (const Mode& mode : modes)
    {
        std::string json = replaced(triangleJson, "\"indices\": 1,", "\"indices\": 1, \"mode\": " + std::to_string(mode.mode) + ",");
        std::unique_ptr<Scene> scene = load(json, bytesOf(trianglePositions, {0, 1, 2}, 44));
        const SubMesh* drawn = firstSubMesh(*scene);
        ASSERT_NE(drawn, nullptr) << mode.mode << "\n" << log;
        EXPECT_EQ(drawn->getPrimitive(), mode.primitive) << mode.mode;
        EXPECT_EQ(drawn->getIndices().size(), mode.indices) << mode.mode;
    }
}

// A buffer in a file of its own is read from there as its accessors need it: found by the URI's
// decoded name, in a file that holds at least the buffer's bytes.
TEST_F(GltfLoaderTest, BufferFilesAreFoundByTheirDecodedNamesAndHoldTheirBytes)
{
    struct BufferFileCase
    {
        std::string description;
        std::string uri;
        std::string fileName;
        std::size_t fileBytes;
        bool loads;
    };
    const BufferFileCase cases[] = {
        {"a space written as %20", "t%20b.bin", "t b.bin", 44, true},
        {"a plus, which a URI's path keeps", "t+b.bin", "t+b.bin", 44, true},
        {"a file longer than its buffer, as glTF allows", "t.bin", "t.bin", 48, true},
        {"a file shorter than its buffer", "t.bin", "t.bin", 40, false},
    };
    for (const BufferFileCase& buffer : cases)
    {
        TemporaryDirectory own;
        std::string bin = bytesOf(trianglePositions, {0, 1, 2}, 44);
        bin.resize(buffer.fileBytes, '\0');
        own.write(buffer.fileName, bin);
        path = own.write("t.gltf", replaced(triangleJson, "\"uri\": \"t.bin\"", "\"uri\": \"" + buffer.uri + "\""));
        std::unique_ptr<Scene> scene;
        log = captureStdout([&] { scene.reset(GltfSceneloader::load(File(path), &read)); });
        EXPECT_EQ(read, buffer.loads) << buffer.description << "\n" << log;
        EXPECT_EQ(errorMessages(log).size(), buffer.loads ? 0u : 1u) << buffer.description << "\n" << log;
        const SubMesh* triangle = firstSubMesh(*scene);
        ASSERT_EQ(triangle != nullptr, buffer.loads) << buffer.description;
        if (triangle != nullptr)
        {
            EXPECT_EQ(triangle->getIndices().size(), 3u) << buffer.description;
        }
    }
}

// Values read once for the checks go to the first primitive that uses them; the next reads its own.
TEST_F(GltfLoaderTest, PrimitivesSharingAccessorsEachGetTheirValues)
{
    std::string primitive = "{\"attributes\": {\"POSITION\": 0}, \"indices\": 1, \"material\": 0}";
    std::unique_ptr<Scene> scene = load(replaced(triangleJson, primitive, primitive + ", " + primitive),
                                        bytesOf(trianglePositions, {0, 1, 2}, 44));
    ASSERT_TRUE(read) << log;
    EXPECT_TRUE(errorMessages(log).empty()) << log;
    ASSERT_EQ(scene->getMeshNodes().size(), 1u);
    const std::vector<SubMesh*>& parts = scene->getMeshNodes().front()->getMesh()->getSubMeshes();
    ASSERT_EQ(parts.size(), 2u);
    const std::vector<float>& firstPositions = *parts[0]->attribute(VertexSemantic::Position)->values;
    for (const SubMesh* part : parts)
    {
        EXPECT_EQ(part->getIndices().size(), 3u);
        EXPECT_EQ(*part->attribute(VertexSemantic::Position)->values, firstPositions);
        EXPECT_TRUE(part->isDrawable());
    }
}
}

namespace
{
const std::string sharedGltf = PELLUX_SHARED_DATA_DIR "/gltf/";

std::vector<std::string> documentsBelow(const std::string& directory)
{
    std::vector<std::string> documents;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory))
        if (entry.path().extension() == ".gltf" || entry.path().extension() == ".glb")
            documents.push_back(entry.path().string());
    std::sort(documents.begin(), documents.end());
    return documents;
}

class GltfConformanceTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::filesystem::is_directory(sharedGltf))
            GTEST_SKIP() << "no glTF test data at " << sharedGltf;
        ASSERT_NE(engine = openRenderEngine(), nullptr);
    }

    // Loaded and drawn once; the log of the load.
    std::string loadAndDraw(const std::string& document)
    {
        return captureStdout([&] {
            std::unique_ptr<Scene> scene(GltfSceneloader::load(File(document)));
            engine->drawScene(*scene, 1.0f);
        });
    }

    RenderEngine* engine = nullptr;
};

// The generated models exercise one feature each; the only lines are for the extensions the engine
// does not draw, the model that asks for glTF 2.1, the two models without positions and the pictures
// the copied set lacks.
TEST_F(GltfConformanceTest, EveryGeneratedModelLoadsAndDraws)
{
    std::vector<std::string> documents = documentsBelow(sharedGltf + "asset-generator");
    EXPECT_EQ(documents.size(), 204u);
    for (const std::string& document : documents)
    {
        std::string log = loadAndDraw(document);
        for (const std::string& message : errorMessages(log))
        {
            bool expected = message.find("KHR_materials_pbrSpecularGlossiness") != std::string::npos ||
                            message.find("FAKE_materials_quantumRendering") != std::string::npos ||
                            message.find("has no POSITION attribute") != std::string::npos ||
                            message.find("and the engine reads 2.0") != std::string::npos ||
                            message.find("which is not there") != std::string::npos;
            EXPECT_TRUE(expected) << document << "\n" << message;
        }
        EXPECT_FALSE(glErrorRaised()) << document;
    }
}

// How many errors the validator finds in a document, from the report beside it.
int validatorErrors(const std::string& document)
{
    std::ifstream report(document + ".report.json");
    nlohmann::json parsed = nlohmann::json::parse(report, nullptr, false);
    EXPECT_TRUE(parsed.is_object()) << "no report for " << document;
    return parsed.is_object() ? parsed["issues"].value("numErrors", 0) : 0;
}

// The lines an input the validator finds no error in still gives, each for its reason.
struct SoundInputLine
{
    const char* part;
    const char* reason;
};

const SoundInputLine soundInputLines[] = {
    {"which the engine does not draw", "the engine names the extensions it does not draw"},
    {"'uri' is missing from non binary glTF file buffer", "tinygltf reads no .gltf buffer without a uri"},
    {"File not found : data:application/gltf-buffer", "tinygltf knows no data URI of that media type"},
    {"File not found : http://", "buffers elsewhere than the document's folder are not fetched"},
    {"Must be equal or less than binary size", "tinygltf takes no GLB buffer longer than its BIN chunk"},
    {"Unsupported `type` for accessor object", "tinygltf takes no accessor type glTF may add later"},
    {"accessor[0] invalid bufferView", "tinygltf takes no accessor of a view it does not read"},
    {"has no POSITION attribute", "a primitive without positions draws nothing"},
    {"only sets 0 and 1 reach pictures", "the engine's materials read two texture-coordinate sets"},
    {"and the engine reads 2.0", "a document that asks for a later glTF than 2.0 is not loaded"},
};

bool isLineOfSoundInput(const std::string& message)
{
    return std::any_of(std::begin(soundInputLines), std::end(soundInputLines),
                       [&](const SoundInputLine& line) { return message.find(line.part) != std::string::npos; });
}

// Malformed and valid inputs alike: each ends, without a sanitizer report or an OpenGL error. Each
// input the validator finds an error in gives an ERR line; the others give only the lines above.
TEST_F(GltfConformanceTest, EveryValidatorInputLoadsAndNamesItsErrors)
{
    std::vector<std::string> documents = documentsBelow(sharedGltf + "validator");
    EXPECT_GT(documents.size(), 300u);
    for (const std::string& document : documents)
    {
        std::vector<std::string> messages = errorMessages(loadAndDraw(document));
        EXPECT_FALSE(glErrorRaised()) << document;
        if (validatorErrors(document) > 0)
            EXPECT_FALSE(messages.empty()) << document << " has errors, but gave no ERR line";
        else
            for (const std::string& message : messages)
                EXPECT_TRUE(isLineOfSoundInput(message)) << document << " has no errors, but gave\n" << message;
    }
}
}

namespace
{
struct Keyed
{
    std::string description;
    std::string path;
    std::string interpolation;
    // Two keys, at 0 and 1 s; a cubic spline's hold in tangent, value and out tangent each.
    std::vector<float> output;
    float time;
    // Where the node takes the point (1, 0, 0).
    Vector3 expected;
};

// The triangle's node moved by one channel whose keys lie after the triangle's 44 bytes.
std::string animatedTriangle(const Keyed& keyed)
{
    std::size_t outputBytes = keyed.output.size() * sizeof(float);
    std::string json = replaced(triangleJson, "\"byteLength\": 44}]", "\"byteLength\": " + std::to_string(52 + outputBytes) + "}]");
    json = replaced(json, "{\"buffer\": 0, \"byteOffset\": 36, \"byteLength\": 6}",
                    "{\"buffer\": 0, \"byteOffset\": 36, \"byteLength\": 6}, "
                    "{\"buffer\": 0, \"byteOffset\": 44, \"byteLength\": 8}, "
                    "{\"buffer\": 0, \"byteOffset\": 52, \"byteLength\": " + std::to_string(outputBytes) + "}");
    std::string type = keyed.path == "rotation" ? "VEC4" : "VEC3";
    json = replaced(json, "{\"bufferView\": 1, \"componentType\": 5123, \"count\": 3, \"type\": \"SCALAR\"}",
                    "{\"bufferView\": 1, \"componentType\": 5123, \"count\": 3, \"type\": \"SCALAR\"}, "
                    "{\"bufferView\": 2, \"componentType\": 5126, \"count\": 2, \"type\": \"SCALAR\", "
                    "\"min\": [0], \"max\": [1]}, "
                    "{\"bufferView\": 3, \"componentType\": 5126, \"count\": " +
                        std::to_string(keyed.interpolation == "CUBICSPLINE" ? 6 : 2) + ", \"type\": \"" + type + "\"}");
    return replaced(json, "\"extensionsUsed\"",
                    "\"animations\": [{\"samplers\": [{\"input\": 2, \"output\": 3, \"interpolation\": \"" +
                        keyed.interpolation + "\"}], \"channels\": [{\"sampler\": 0, \"target\": {\"node\": 0, "
                        "\"path\": \"" + keyed.path + "\"}}]}], \"extensionsUsed\"");
}
}

TEST_F(GltfLoaderTest, AnimatedNodesFollowTheirKeys)
{
    const float half = std::sqrt(0.5f);
    const Keyed cases[] = {
        {"a straight line", "translation", "LINEAR", {0, 0, 0, 2, 0, 0}, 0.5f, {2, 0, 0}},
        {"held until the next key", "translation", "STEP", {0, 0, 0, 2, 0, 0}, 0.5f, {1, 0, 0}},
        {"the end key holds after it", "translation", "LINEAR", {0, 0, 0, 2, 0, 0}, 3.0f, {3, 0, 0}},
        {"a spline with an out tangent", "translation", "CUBICSPLINE",
         {0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0}, 0.5f, {2.5f, 0, 0}},
        {"scaled halfway", "scale", "LINEAR", {1, 1, 1, 3, 3, 3}, 0.5f, {2, 0, 0}},
        // From no turn to a quarter turn about -Y written with a negative w: the shorter arc turns
        // an eighth about -Y halfway, where the longer would turn three eighths the other way.
        {"the shorter arc", "rotation", "LINEAR", {0, 0, 0, 1, 0, half, 0, -half}, 0.5f,
         {std::cos(0.25f * 3.14159265f), 0, std::sin(0.25f * 3.14159265f)}},
    };
    for (const Keyed& keyed : cases)
    {
        std::size_t bytes = 52 + keyed.output.size() * sizeof(float);
        std::string bin = bytesOf(trianglePositions, {0, 1, 2}, bytes);
        const float times[2] = {0, 1};
        std::memcpy(bin.data() + 44, times, sizeof times);
        std::memcpy(bin.data() + 52, keyed.output.data(), keyed.output.size() * sizeof(float));
        std::unique_ptr<Scene> scene = load(animatedTriangle(keyed), bin);
        ASSERT_TRUE(read) << keyed.description << "\n" << log;
        EXPECT_TRUE(errorMessages(log).empty()) << keyed.description << "\n" << log;
        ASSERT_EQ(scene->getAnimations().size(), 1u) << keyed.description;
        EXPECT_FLOAT_EQ(scene->getAnimations().front()->getEndTime(), 1.0f) << keyed.description;
        scene->setTime(keyed.time);
        Vector3 moved = scene->getMeshNodes().front()->getWorldMatrix().transformPoint({1, 0, 0});
        EXPECT_NEAR(moved.x, keyed.expected.x, 1e-5f) << keyed.description;
        EXPECT_NEAR(moved.y, keyed.expected.y, 1e-5f) << keyed.description;
        EXPECT_NEAR(moved.z, keyed.expected.z, 1e-5f) << keyed.description;
    }
}

namespace
{
// The triangle bound wholly to the second of two joints, which stands 2 to the right.
const char* const skinnedJson = R"({
  "asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0, 1]}],
  "nodes": [{"mesh": 0, "skin": 0}, {"children": [2]}, {"translation": [2, 0, 0]}],
  "skins": [{"joints": [1, 2]}],
  "meshes": [{"primitives": [{"attributes": {"POSITION": 0, "JOINTS_0": 2, "WEIGHTS_0": 3}, "indices": 1,
                              "material": 0}]}],
  "materials": [{"pbrMetallicRoughness": {"baseColorFactor": [1, 0, 0, 1]},
                 "extensions": {"KHR_materials_unlit": {}}}],
  "extensionsUsed": ["KHR_materials_unlit"],
  "buffers": [{"uri": "t.bin", "byteLength": 104}],
  "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 36},
                  {"buffer": 0, "byteOffset": 36, "byteLength": 6},
                  {"buffer": 0, "byteOffset": 44, "byteLength": 12},
                  {"buffer": 0, "byteOffset": 56, "byteLength": 48}],
  "accessors": [{"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3", "min": [-1, -1, 0],
                 "max": [1, 1, 0]},
                {"bufferView": 1, "componentType": 5123, "count": 3, "type": "SCALAR"},
                {"bufferView": 2, "componentType": 5121, "count": 3, "type": "VEC4"},
                {"bufferView": 3, "componentType": 5126, "count": 3, "type": "VEC4"}]
})";

std::string skinnedBin(unsigned char joint)
{
    std::string bin = bytesOf(trianglePositions, {0, 1, 2}, 104);
    for (int vertex = 0; vertex < 3; ++vertex)
    {
        bin[static_cast<std::size_t>(44 + vertex * 4)] = static_cast<char>(joint);
        const float weights[4] = {1, 0, 0, 0};
        std::memcpy(bin.data() + 56 + vertex * 16, weights, sizeof weights);
    }
    return bin;
}
}

TEST_F(GltfLoaderTest, ASkinnedMeshIsDrawnWhereItsJointsHoldIt)
{
    std::unique_ptr<Scene> scene = load(skinnedJson, skinnedBin(1));
    ASSERT_TRUE(read) << log;
    EXPECT_TRUE(errorMessages(log).empty()) << log;
    MeshNode* meshNode = scene->getMeshNodes().front();
    ASSERT_NE(meshNode->getSkin(), nullptr);
    ASSERT_EQ(meshNode->getSkin()->getJointCount(), 2u);
    const std::vector<float>& matrices = meshNode->getSkin()->jointMatrices(*meshNode);
    // Row by row: the second joint's matrix moves 2 along x.
    EXPECT_FLOAT_EQ(matrices[16 + 3], 2.0f);

    drawFrom(*scene, 3);
    EXPECT_EQ(pixelFromMiddle(-20, 0), (Rgba{0, 0, 0, 255})) << "the triangle left its bind place";
    std::shared_ptr<Rectangle> window = RenderEngine::getScreenRectangle();
    EXPECT_EQ(pixelFromMiddle(static_cast<int>(window->width) / 4, -20), (Rgba{255, 0, 0, 255}))
        << "it stands where the joint holds it";
}

TEST_F(GltfLoaderTest, AVertexNamingAJointTheSkinHasNotLosesThatWeight)
{
    std::unique_ptr<Scene> scene = load(skinnedJson, skinnedBin(5));
    ASSERT_TRUE(read) << log;
    EXPECT_EQ(errorMessages(log),
              std::vector<std::string>{"glTF " + path + ": meshes[0]: names joints past the 2 of skins[0]; their "
                                       "weights are dropped"});
    const SubMesh* triangle = firstSubMesh(*scene);
    ASSERT_NE(triangle, nullptr);
    for (float weight : *triangle->attribute(VertexSemantic::JointWeights)->values)
        EXPECT_EQ(weight, 0.0f);
}

namespace
{
std::string fileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string base64(const std::string& bytes)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 3)
    {
        std::uint32_t group = static_cast<unsigned char>(bytes[at]) << 16;
        if (at + 1 < bytes.size())
            group |= static_cast<unsigned char>(bytes[at + 1]) << 8;
        if (at + 2 < bytes.size())
            group |= static_cast<unsigned char>(bytes[at + 2]);
        text += digits[(group >> 18) & 63];
        text += digits[(group >> 12) & 63];
        text += at + 1 < bytes.size() ? digits[(group >> 6) & 63] : '=';
        text += at + 2 < bytes.size() ? digits[group & 63] : '=';
    }
    return text;
}

std::string word(std::uint32_t value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// A GLB container of `json` and `bin`, each padded to four bytes; the BIN chunk says it holds
// `binLength` bytes, its own length unless given.
std::string container(std::string json, std::string bin, std::size_t binLength = 0)
{
    json.resize((json.size() + 3) / 4 * 4, ' ');
    bin.resize((bin.size() + 3) / 4 * 4, '\0');
    std::size_t total = 12 + 8 + json.size() + 8 + bin.size();
    return "glTF" + word(2) + word(static_cast<std::uint32_t>(total)) + word(static_cast<std::uint32_t>(json.size())) +
           "JSON" + json + word(static_cast<std::uint32_t>(binLength != 0 ? binLength : bin.size())) +
           std::string("BIN\0", 4) + bin;
}

// The triangle with texture coordinates after its indices, white, textured by `image` (JSON).
std::string texturedTriangle(const std::string& image, const std::string& extraViews, std::size_t bufferBytes)
{
    std::string json = replaced(triangleJson, "\"baseColorFactor\": [1, 0, 0, 1]",
                                "\"baseColorTexture\": {\"index\": 0}");
    json = replaced(json, "\"attributes\": {\"POSITION\": 0}", "\"attributes\": {\"POSITION\": 0, \"TEXCOORD_0\": 2}");
    json = replaced(json, "\"byteLength\": 44}]", "\"byteLength\": " + std::to_string(bufferBytes) + "}]");
    json = replaced(json, "{\"buffer\": 0, \"byteOffset\": 36, \"byteLength\": 6}",
                    "{\"buffer\": 0, \"byteOffset\": 36, \"byteLength\": 6}, "
                    "{\"buffer\": 0, \"byteOffset\": 44, \"byteLength\": 24}" + extraViews);
    json = replaced(json, "{\"bufferView\": 1, \"componentType\": 5123, \"count\": 3, \"type\": \"SCALAR\"}",
                    "{\"bufferView\": 1, \"componentType\": 5123, \"count\": 3, \"type\": \"SCALAR\"}, "
                    "{\"bufferView\": 2, \"componentType\": 5126, \"count\": 3, \"type\": \"VEC2\"}");
    return replaced(json, "\"extensionsUsed\"",
                    "\"textures\": [{\"source\": 0}], \"images\": [" + image + "], \"extensionsUsed\"");
}
}

// Pictures embedded in the document, in a data URI or a buffer view, are decoded by the image manager.
TEST_F(GltfLoaderTest, EmbeddedPicturesColourTheirMaterials)
{
    std::string png = fileBytes(PELLUX_TEST_DATA_DIR "/collada/red.png");
    std::string bin = bytesOf(trianglePositions, {0, 1, 2}, 68);
    const float uvs[6] = {0.1f, 0.1f, 0.9f, 0.1f, 0.5f, 0.9f};
    std::memcpy(bin.data() + 44, uvs, sizeof uvs);
    struct Embedding
    {
        std::string description;
        std::string json;
        std::string bin;
        bool inContainer;
    };
    std::string inView = texturedTriangle("{\"bufferView\": 3, \"mimeType\": \"image/png\"}",
                                          ", {\"buffer\": 0, \"byteOffset\": 68, \"byteLength\": " +
                                              std::to_string(png.size()) + "}",
                                          68 + png.size());
    const Embedding embeddings[] = {
        {"a data URI", texturedTriangle("{\"uri\": \"data:image/png;base64," + base64(png) + "\"}", "", 68), bin,
         false},
        {"a buffer view", inView, bin + png, false},
        {"a buffer view in a container's BIN chunk", replaced(inView, "\"uri\": \"t.bin\", ", ""), bin + png, true},
    };
    for (const Embedding& embedding : embeddings)
    {
        std::unique_ptr<Scene> scene = embedding.inContainer
                                           ? loadDocument("t.glb", container(embedding.json, embedding.bin))
                                           : load(embedding.json, embedding.bin);
        ASSERT_TRUE(read) << embedding.description << "\n" << log;
        EXPECT_TRUE(errorMessages(log).empty()) << embedding.description << "\n" << log;
        drawFrom(*scene, 3);
        EXPECT_EQ(pixelFromMiddle(0, 0), (Rgba{255, 0, 0, 255})) << embedding.description;
    }
}

// A picture read from a container's BIN chunk keeps what its image says, whatever that holds.
TEST_F(GltfLoaderTest, APictureInABinChunkWhoseMediaTypeIsNoTextStillColoursItsMaterial)
{
    std::string png = fileBytes(PELLUX_TEST_DATA_DIR "/collada/red.png");
    std::string bin = bytesOf(trianglePositions, {0, 1, 2}, 68);
    const float uvs[6] = {0.1f, 0.1f, 0.9f, 0.1f, 0.5f, 0.9f};
    std::memcpy(bin.data() + 44, uvs, sizeof uvs);
    std::string json = texturedTriangle("{\"bufferView\": 3, \"mimeType\": 7}",
                                        ", {\"buffer\": 0, \"byteOffset\": 68, \"byteLength\": " +
                                            std::to_string(png.size()) + "}",
                                        68 + png.size());
    std::unique_ptr<Scene> scene =
        loadDocument("t.glb", container(replaced(json, "\"uri\": \"t.bin\", ", ""), bin + png));
    ASSERT_TRUE(read) << log;
    drawFrom(*scene, 3);
    EXPECT_EQ(pixelFromMiddle(0, 0), (Rgba{255, 0, 0, 255}));
}

// A BIN chunk whose length counts its own 8-byte header would be copied from past the container's end.
TEST_F(GltfLoaderTest, AContainerWhoseBinChunkReachesPastItsEndIsRefused)
{
    std::string json = R"({"asset": {"version": "2.0"}, "buffers": [{"byteLength": 44}]})";
    std::unique_ptr<Scene> scene = loadDocument("t.glb", container(json, std::string(36, '\1'), 44));
    EXPECT_FALSE(read);
    EXPECT_EQ(errorMessages(log), std::vector<std::string>{"glTF " + path + ": could not be read (its BIN chunk of 44 "
                                                           "bytes reaches past the end of the container)"});
}

// The reader would hand on the bytes of a picture's view without checking its bounds.
TEST_F(GltfLoaderTest, APictureWhoseViewReachesPastItsBufferIsRefusedBeforeItIsRead)
{
    std::string json = texturedTriangle("{\"bufferView\": 3, \"mimeType\": \"image/png\"}",
                                        ", {\"buffer\": 0, \"byteOffset\": 68, \"byteLength\": 100000}", 68);
    std::unique_ptr<Scene> scene = load(json, bytesOf(trianglePositions, {0, 1, 2}, 68));
    EXPECT_FALSE(read);
    EXPECT_EQ(errorMessages(log),
              std::vector<std::string>{"glTF " + path +
                                       ": could not be read (images[0]: its bufferView reaches past its buffer)"});
}

// A program, or the viewer's --scene and --animation, picks what of a document is shown.
TEST_F(GltfLoaderTest, ASceneAndAnAnimationCanBeChosen)
{
    Keyed slide{"", "translation", "LINEAR", {0, 0, 0, 2, 0, 0}, 0.5f, {}};
    std::string json = replaced(animatedTriangle(slide), "\"animations\": [{", "\"animations\": [{\"name\": \"slide\", ");
    json = replaced(json, "\"scenes\": [{\"nodes\": [0]}]", "\"scenes\": [{\"nodes\": [0]}, {}]");
    std::string bin = bytesOf(trianglePositions, {0, 1, 2}, 76);
    const float keys[8] = {0, 1, 0, 0, 0, 2, 0, 0};
    std::memcpy(bin.data() + 44, keys, sizeof keys);
    struct Choice
    {
        GltfSelection selection;
        std::size_t meshNodes;
        std::size_t animations;
        std::string line;
    };
    const Choice choices[] = {
        {{}, 1, 1, ""},
        {{1, ""}, 0, 0, ""},
        {{5, ""}, 1, 1, "scenes: has no scene 5 of the 2 it holds; the default scene is shown"},
        {{-1, "slide"}, 1, 1, ""},
        {{-1, "0"}, 1, 1, ""},
        {{-1, "spin"}, 1, 0, "animations: has no animation 'spin'; none plays"},
    };
    for (const Choice& choice : choices)
    {
        std::string description = std::to_string(choice.selection.scene) + " '" + choice.selection.animation + "'";
        std::unique_ptr<Scene> scene = load(json, bin, choice.selection);
        EXPECT_EQ(scene->getMeshNodes().size(), choice.meshNodes) << description;
        EXPECT_EQ(scene->getAnimations().size(), choice.animations) << description;
        std::vector<std::string> expected;
        if (!choice.line.empty())
            expected.push_back("glTF " + path + ": " + choice.line);
        EXPECT_EQ(errorMessages(log), expected) << description;
    }
}

// The triangle facing +Z in a material of its own (a JSON object), under a directional light of
// intensity 1 that shines along -Z, seen from (0, 0, eye): the picture just below its middle.
class GltfShadingTest : public GltfLoaderTest
{
public:
    Rgba middleOf(const std::string& material, float eye)
    {
        std::string json = replaced(triangleJson,
                                    "{\"pbrMetallicRoughness\": {\"baseColorFactor\": [1, 0, 0, 1]},\n"
                                    "                 \"extensions\": {\"KHR_materials_unlit\": {}}}",
                                    material);
        json = replaced(json, "\"nodes\": [{\"mesh\": 0}]",
                        "\"nodes\": [{\"mesh\": 0}, {\"extensions\": {\"KHR_lights_punctual\": {\"light\": 0}}}]");
        json = replaced(json, "\"scenes\": [{\"nodes\": [0]}]", "\"scenes\": [{\"nodes\": [0, 1]}]");
        json = replaced(json, "\"extensionsUsed\": [\"KHR_materials_unlit\"]",
                        "\"extensions\": {\"KHR_lights_punctual\": {\"lights\": [{\"type\": \"directional\", "
                        "\"intensity\": 1}]}}, \"extensionsUsed\": [\"KHR_lights_punctual\"]");
        std::unique_ptr<Scene> scene = load(json, bytesOf(trianglePositions, {0, 1, 2}, 44));
        EXPECT_TRUE(errorMessages(log).empty()) << log;
        drawFrom(*scene, eye);
        return pixelFromMiddle(0, -10);
    }
};

// A white rough dielectric facing a light of intensity 1 is white, encoded for the display; a metal
// takes its colour into its reflection; a masked surface below its cutoff lets the background through;
// a back face shows only when the material is double-sided.
TEST_F(GltfShadingTest, MetallicRoughnessMaterialsLookAsGltfDefinesThem)
{
    const char* const white = "{\"pbrMetallicRoughness\": {\"metallicFactor\": 0, \"roughnessFactor\": 1}}";
    Rgba lit = middleOf(white, 3);
    EXPECT_GE(lit[0], 240);
    EXPECT_EQ(lit[0], lit[1]);
    EXPECT_EQ(lit[1], lit[2]);

    Rgba gold = middleOf("{\"pbrMetallicRoughness\": {\"baseColorFactor\": [1, 0.8, 0.2, 1], \"metallicFactor\": 1, "
                         "\"roughnessFactor\": 1}}",
                         3);
    EXPECT_GT(gold[0], gold[1]);
    EXPECT_GT(gold[1], gold[2]);

    Rgba masked = middleOf("{\"pbrMetallicRoughness\": {\"baseColorFactor\": [1, 1, 1, 0.3], \"metallicFactor\": 0}, "
                           "\"alphaMode\": \"MASK\", \"alphaCutoff\": 0.5}",
                           3);
    EXPECT_EQ(masked, (Rgba{0, 0, 0, 255}));

    Rgba culled = middleOf(white, -3);
    EXPECT_EQ(culled, (Rgba{0, 0, 0, 255})) << "a back face of a one-sided material";
    Rgba backFace = middleOf("{\"pbrMetallicRoughness\": {\"metallicFactor\": 0}, \"doubleSided\": true}", -3);
    EXPECT_GT(backFace[0], 0) << "a double-sided back face, lit from its own side by the ambient light";
}

// Shadow maps need a material's shading only where it may discard: a masked material's.
TEST_F(GltfLoaderTest, OnlyMaskedMaterialsDrawTheirShadowsWithTheirShading)
{
    for (const std::string mode : {"OPAQUE", "BLEND", "MASK"})
    {
        std::string json = replaced(triangleJson, "\"extensions\": {\"KHR_materials_unlit\": {}}}",
                                    "\"alphaMode\": \"" + mode + "\"}");
        std::unique_ptr<Scene> scene = load(json, bytesOf(trianglePositions, {0, 1, 2}, 44));
        auto* material = dynamic_cast<SinglePassAutoMapMaterial*>(
            Tavrin::getInstance().getMaterialManager()->get(path + "#materials[0]"));
        ASSERT_NE(material, nullptr) << mode;
        EXPECT_EQ(material->hasDepthOnlyProgram(), mode != "MASK") << mode;
    }
}

// Quantized positions (KHR_mesh_quantization: 16-bit integers, padded to four bytes a vertex) read as
// the numbers they are; a KTX2 picture is named in one line and the material goes without it.
TEST_F(GltfLoaderTest, QuantizedGeometryLoadsAndKtx2PicturesAreLeftOut)
{
    std::string json = replaced(triangleJson, "\"extensionsUsed\": [\"KHR_materials_unlit\"]",
                                "\"extensionsUsed\": [\"KHR_materials_unlit\", \"KHR_mesh_quantization\", "
                                "\"KHR_texture_basisu\"], \"extensionsRequired\": [\"KHR_mesh_quantization\"], "
                                "\"textures\": [{\"extensions\": {\"KHR_texture_basisu\": {\"source\": 0}}}], "
                                "\"images\": [{\"uri\": \"picture.ktx2\"}]");
    json = replaced(json, "\"baseColorFactor\": [1, 0, 0, 1]", "\"baseColorTexture\": {\"index\": 0}");
    json = replaced(json, "{\"buffer\": 0, \"byteOffset\": 0, \"byteLength\": 36}",
                    "{\"buffer\": 0, \"byteOffset\": 0, \"byteLength\": 24, \"byteStride\": 8}");
    json = replaced(json, "{\"buffer\": 0, \"byteOffset\": 36, \"byteLength\": 6}",
                    "{\"buffer\": 0, \"byteOffset\": 24, \"byteLength\": 6}");
    json = replaced(json, "\"componentType\": 5126, \"count\": 3, \"type\": \"VEC3\"",
                    "\"componentType\": 5122, \"count\": 3, \"type\": \"VEC3\"");
    json = replaced(json, "\"byteLength\": 44}]", "\"byteLength\": 32}]");
    std::string bin(32, '\0');
    const std::int16_t positions[12] = {-1, -1, 0, 0, 1, -1, 0, 0, 0, 1, 0, 0};
    const std::uint16_t indices[3] = {0, 1, 2};
    std::memcpy(bin.data(), positions, sizeof positions);
    std::memcpy(bin.data() + 24, indices, sizeof indices);
    std::unique_ptr<Scene> scene = load(json, bin);
    ASSERT_TRUE(read) << log;
    EXPECT_EQ(errorMessages(log),
              std::vector<std::string>{"glTF " + path + ": textures[0]: holds a KTX2 picture, which the engine "
                                       "cannot decode; the material goes without it"});
    const SubMesh* triangle = firstSubMesh(*scene);
    ASSERT_NE(triangle, nullptr);
    const std::vector<float>& loaded = *triangle->attribute(VertexSemantic::Position)->values;
    EXPECT_EQ(std::vector<float>(loaded.begin(), loaded.begin() + 3), (std::vector<float>{-1, -1, 0}));
}

// A texture's sampler reaches the OpenGL texture the material draws with.
TEST_F(GltfLoaderTest, SamplersSetTheirTexturesWrapModesAndFilters)
{
    std::string png = fileBytes(PELLUX_TEST_DATA_DIR "/collada/red.png");
    std::string json = texturedTriangle("{\"uri\": \"data:image/png;base64," + base64(png) + "\"}", "", 68);
    json = replaced(json, "\"textures\": [{\"source\": 0}]",
                    "\"textures\": [{\"source\": 0, \"sampler\": 0}], \"samplers\": [{\"wrapS\": 33071, "
                    "\"wrapT\": 33648, \"magFilter\": 9728, \"minFilter\": 9728}]");
    std::string bin = bytesOf(trianglePositions, {0, 1, 2}, 68);
    std::unique_ptr<Scene> scene = load(json, bin);
    ASSERT_TRUE(read) << log;
    EXPECT_TRUE(errorMessages(log).empty()) << log;
    auto* material = dynamic_cast<SinglePassAutoMapMaterial*>(
        Tavrin::getInstance().getMaterialManager()->get(path + "#materials[0]"));
    ASSERT_NE(material, nullptr);
    const MaterialValue& value = material->getOpenValues().at("baseColorTexture");
    Texture* texture = GraphicsContext::current()->textureOf(value.image, value.sampling);
    glBindTexture(GL_TEXTURE_2D, texture->getId());
    const std::pair<GLenum, GLint> expected[] = {{GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE},
                                                 {GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT},
                                                 {GL_TEXTURE_MAG_FILTER, GL_NEAREST},
                                                 {GL_TEXTURE_MIN_FILTER, GL_NEAREST}};
    for (const auto& [parameter, setting] : expected)
    {
        GLint held = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, parameter, &held);
        EXPECT_EQ(held, setting) << parameter;
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    drawFrom(*scene, 3);
    EXPECT_EQ(pixelFromMiddle(0, 0), (Rgba{255, 0, 0, 255}));
}
