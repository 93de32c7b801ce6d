#include "pellux/core/RenderEngine.h"
#include "pellux/gltf/GltfSceneloader.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "GltfDocumentTest.h"
#include "SceneBuilding.h"
#include "ScenePixels.h"
#include "TemporaryDirectory.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace Pellux;

namespace
{
// A document written by the test: its arrays one after the other in one buffer, a view and an
// accessor for each, and the rest of its JSON as given.
class Document
{
public:
    int floats(const std::vector<float>& values, const char* type, bool withBounds = false)
    {
        std::size_t width = std::string(type) == "SCALAR" ? 1 : std::string(type) == "VEC2" ? 2
                            : std::string(type) == "VEC3" ? 3 : 4;
        std::string bounds;
        if (withBounds)
            bounds = ", \"min\": " + boundOf(values, width, false) + ", \"max\": " + boundOf(values, width, true);
        return add(values.data(), values.size() * sizeof(float), 5126, values.size() / width, type, bounds);
    }

    int shorts(const std::vector<std::uint16_t>& values, const char* type, std::size_t width)
    {
        return add(values.data(), values.size() * sizeof(std::uint16_t), 5123, values.size() / width, type, "");
    }

    std::string json(const std::string& rest) const
    {
        return "{\"asset\": {\"version\": \"2.0\"}, \"buffers\": [{\"uri\": \"d.bin\", \"byteLength\": " +
               std::to_string(bin.size()) + "}], \"bufferViews\": [" + views + "], \"accessors\": [" + accessors +
               "], " + rest + "}";
    }

    const std::string& bytes() const { return bin; }

private:
    // The least or greatest value of each component, as a JSON array.
    static std::string boundOf(const std::vector<float>& values, std::size_t width, bool greatest)
    {
        std::string bound = "[";
        for (std::size_t component = 0; component < width; ++component)
        {
            float extreme = values[component];
            for (std::size_t at = component; at < values.size(); at += width)
                extreme = greatest ? std::max(extreme, values[at]) : std::min(extreme, values[at]);
            bound += (component == 0 ? "" : ", ") + std::to_string(extreme);
        }
        return bound + "]";
    }

    int add(const void* data, std::size_t size, int componentType, std::size_t count, const char* type,
            const std::string& bounds)
    {
        std::string separator = count_ == 0 ? "" : ", ";
        views += separator + "{\"buffer\": 0, \"byteOffset\": " + std::to_string(bin.size()) +
                 ", \"byteLength\": " + std::to_string(size) + "}";
        accessors += separator + "{\"bufferView\": " + std::to_string(count_) + ", \"componentType\": " +
                     std::to_string(componentType) + ", \"count\": " + std::to_string(count) + ", \"type\": \"" +
                     type + "\"" + bounds + "}";
        bin.append(static_cast<const char*>(data), size);
        bin.append((4 - bin.size() % 4) % 4, '\0');
        return count_++;
    }

    std::string bin;
    std::string views;
    std::string accessors;
    int count_ = 0;
};

const char* const unlitRed = R"("materials": [{"pbrMetallicRoughness": {"baseColorFactor": [1, 0, 0, 1]},
                                  "extensions": {"KHR_materials_unlit": {}}}],
   "extensionsUsed": ["KHR_materials_unlit"])";

// A unit square around the origin in the plane z = 0, as two triangles.
const std::vector<float> squarePositions = {-0.5f, -0.5f, 0, 0.5f, -0.5f, 0, 0.5f, 0.5f, 0, -0.5f, 0.5f, 0};
const std::vector<std::uint16_t> squareIndices = {0, 1, 2, 0, 2, 3};

class GltfDrawingTest : public GltfDocumentTest
{
protected:
    std::unique_ptr<Scene> load(const Document& document, const std::string& rest)
    {
        directory.write("d.bin", document.bytes());
        return loadDocument("d.gltf", document.json(rest));
    }

    // One frame seen from (0, 0, 6) towards the origin; the window is left bound for reading.
    void draw(Scene& scene) { drawFrom(scene, 6); }

    // Whether the scene's target shows the world point red.
    static bool redAt(Scene& scene, const Vector3& point)
    {
        Rgba pixel = seenAt(scene, point);
        return pixel[0] > 200 && pixel[1] < 50;
    }
};

// Eight targets, each moving the square 0.25 to the right, shown at once with weight 1 each, move it
// 2 to the right; a ninth, weighted less, is left out as the shaders show eight.
TEST_F(GltfDrawingTest, EightMorphTargetsMoveAMeshAtOnce)
{
    Document document;
    int positions = document.floats(squarePositions, "VEC3", true);
    int indices = document.shorts(squareIndices, "SCALAR", 1);
    std::vector<float> quarterRight = {0.25f, 0, 0, 0.25f, 0, 0, 0.25f, 0, 0, 0.25f, 0, 0};
    std::string targets;
    for (int target = 0; target < 9; ++target)
        targets += std::string(target == 0 ? "" : ", ") + "{\"POSITION\": " +
                   std::to_string(document.floats(quarterRight, "VEC3", true)) + "}";
    std::unique_ptr<Scene> scene = load(document, R"("scenes": [{"nodes": [0]}], "nodes": [{"mesh": 0}],
        "meshes": [{"primitives": [{"attributes": {"POSITION": )" + std::to_string(positions) +
        R"(}, "indices": )" + std::to_string(indices) + R"(, "material": 0, "targets": [)" + targets + R"(]}],
                    "weights": [1, 1, 1, 0.5, 1, 1, 1, 1, 1]}], )" + unlitRed);
    EXPECT_TRUE(errorMessages(log).empty()) << log;
    const SubMesh* square = scene->getMeshNodes().front()->getMesh()->getSubMeshes().front();
    EXPECT_EQ(square->getMorphTargetCount(), 9u);

    draw(*scene);
    // Moved by eight quarters, it spans 1.5 to 2.5; with the half-weighted one in place of a whole one
    // it would span 1.375 to 2.375.
    EXPECT_TRUE(redAt(*scene, {2.45f, 0, 0}));
    EXPECT_FALSE(redAt(*scene, {1.43f, 0, 0}));
    EXPECT_FALSE(redAt(*scene, {0, 0, 0}));
}

// A node's weights animation moves its mesh between its keys, and the node's own weights win over
// the mesh's.
TEST_F(GltfDrawingTest, AnimatedWeightsMorphTheMeshOverTime)
{
    struct Keyed
    {
        const char* interpolation;
        std::vector<float> weights;
        float time;
        float expectedWeight;
    };
    const Keyed cases[] = {
        {"LINEAR", {0, 1}, 0.5f, 0.5f},
        {"LINEAR", {0, 1}, 2.0f, 1.0f},
        {"STEP", {0, 1}, 0.9f, 0.0f},
        // In tangent, value, out tangent at each key; flat tangents ease in and out to half way.
        {"CUBICSPLINE", {0, 0, 0, 0, 1, 0}, 0.5f, 0.5f},
    };
    for (const Keyed& keyed : cases)
    {
        Document document;
        int positions = document.floats(squarePositions, "VEC3", true);
        int indices = document.shorts(squareIndices, "SCALAR", 1);
        int twoRight = document.floats({2, 0, 0, 2, 0, 0, 2, 0, 0, 2, 0, 0}, "VEC3", true);
        int times = document.floats({0, 1}, "SCALAR", true);
        int weights = document.floats(keyed.weights, "SCALAR");
        std::unique_ptr<Scene> scene = load(document, R"("scenes": [{"nodes": [0]}], "nodes": [{"mesh": 0, "weights": [0]}],
            "meshes": [{"primitives": [{"attributes": {"POSITION": )" + std::to_string(positions) +
            R"(}, "indices": )" + std::to_string(indices) + R"(, "material": 0, "targets": [{"POSITION": )" +
            std::to_string(twoRight) + R"(}]}], "weights": [1]}],
            "animations": [{"channels": [{"sampler": 0, "target": {"node": 0, "path": "weights"}}],
                            "samplers": [{"input": )" + std::to_string(times) + R"(, "output": )" +
            std::to_string(weights) + R"(, "interpolation": ")" + keyed.interpolation + R"("}]}], )" + unlitRed);
        EXPECT_TRUE(errorMessages(log).empty()) << keyed.interpolation << "\n" << log;
        MeshNode* node = scene->getMeshNodes().front();
        scene->setTime(keyed.time);
        ASSERT_EQ(node->getMorphWeights().size(), 1u) << keyed.interpolation;
        EXPECT_NEAR(node->getMorphWeights()[0], keyed.expectedWeight, 1e-5f) << keyed.interpolation << " at "
                                                                              << keyed.time;
        draw(*scene);
        EXPECT_TRUE(redAt(*scene, {2 * keyed.expectedWeight, 0, 0})) << keyed.interpolation;
        EXPECT_EQ(redAt(*scene, {-0.4f, 0, 0}), keyed.expectedWeight < 0.2f) << keyed.interpolation;
    }
}

std::string skinnedPrimitive(int position, int joint, int weight, int indices)
{
    return R"({"attributes": {"POSITION": )" + std::to_string(position) + R"(, "JOINTS_0": )" +
           std::to_string(joint) + R"(, "WEIGHTS_0": )" + std::to_string(weight) + R"(}, "indices": )" +
           std::to_string(indices) + R"(, "material": 0})";
}

// A strip of four squares, each bound to a joint far along a skin of 200: the bound joints lift
// their squares, every other joint would sink them. The joints reach the shaders beyond any uniform
// array's room, each at its own place, for both of the strip's primitives.
TEST_F(GltfDrawingTest, ASkinOfTwoHundredJointsBendsItsStrip)
{
    const int jointCount = 200;
    std::vector<float> positions;
    std::vector<std::uint16_t> joints;
    std::vector<float> weights;
    std::vector<std::uint16_t> indices;
    for (int square = 0; square < 4; ++square)
    {
        float left = -2.0f + static_cast<float>(square);
        std::uint16_t bound = static_cast<std::uint16_t>(50 * square + 49);
        positions.insert(positions.end(), {left, -0.5f, 0, left + 1, -0.5f, 0, left + 1, 0.5f, 0, left, 0.5f, 0});
        for (int corner = 0; corner < 4; ++corner)
        {
            joints.insert(joints.end(), {bound, 0, 0, 0});
            weights.insert(weights.end(), {1, 0, 0, 0});
        }
        std::uint16_t first = static_cast<std::uint16_t>(square * 4);
        indices.insert(indices.end(), {first, static_cast<std::uint16_t>(first + 1), static_cast<std::uint16_t>(first + 2),
                                       first, static_cast<std::uint16_t>(first + 2), static_cast<std::uint16_t>(first + 3)});
    }
    Document document;
    int position = document.floats(positions, "VEC3", true);
    // Two primitives, of two squares each: sub-meshes of one skinned node.
    std::vector<std::uint16_t> leftHalf(indices.begin(), indices.begin() + 12);
    std::vector<std::uint16_t> rightHalf(indices.begin() + 12, indices.end());
    int left = document.shorts(leftHalf, "SCALAR", 1);
    int right = document.shorts(rightHalf, "SCALAR", 1);
    int joint = document.shorts(joints, "VEC4", 4);
    int weight = document.floats(weights, "VEC4");
    // The joints hang below one skeleton node.
    std::string jointList;
    std::string jointNodes;
    for (int node = 2; node < jointCount + 2; ++node)
    {
        bool lifts = (node - 2) % 50 == 49;
        jointNodes += std::string(", {\"translation\": [0, ") + (lifts ? "1" : "-3") + ", 0]}";
        jointList += (node == 2 ? "" : ", ") + std::to_string(node);
    }
    std::string nodes = R"({"mesh": 0, "skin": 0}, {"children": [)" + jointList + "]}" + jointNodes;
    std::unique_ptr<Scene> scene = load(document, R"("scenes": [{"nodes": [0, 1]}], "nodes": [)" + nodes +
        R"(], "skins": [{"joints": [)" + jointList + R"(]}],
        "meshes": [{"primitives": [)" + skinnedPrimitive(position, joint, weight, left) + ", " +
        skinnedPrimitive(position, joint, weight, right) + "]}], " + unlitRed);
    EXPECT_TRUE(errorMessages(log).empty()) << log;

    draw(*scene);
    for (float x : {-1.5f, -0.5f, 0.5f, 1.5f})
    {
        EXPECT_TRUE(redAt(*scene, {x, 1, 0})) << "the square at " << x << " is lifted";
        EXPECT_FALSE(redAt(*scene, {x, 0, 0})) << "nothing stays at " << x;
    }
}
}

// An orthographic camera sees a square as large at any distance: with ymag 1, a unit square fills the
// middle half of the window's height, wherever it stands before the camera.
TEST_F(GltfDrawingTest, AnOrthographicCameraSeesWithoutPerspective)
{
    for (float distance : {2.0f, 40.0f})
    {
        Document document;
        int positions = document.floats(squarePositions, "VEC3", true);
        int indices = document.shorts(squareIndices, "SCALAR", 1);
        std::unique_ptr<Scene> scene = load(document, R"("scenes": [{"nodes": [0, 1]}],
            "nodes": [{"mesh": 0}, {"camera": 0, "translation": [0, 0, )" + std::to_string(distance) + R"(]}],
            "cameras": [{"type": "orthographic", "orthographic": {"xmag": 1, "ymag": 1, "znear": 0.1, "zfar": 100}}],
            "meshes": [{"primitives": [{"attributes": {"POSITION": )" + std::to_string(positions) +
            R"(}, "indices": )" + std::to_string(indices) + R"(, "material": 0}]}], )" + unlitRed);
        EXPECT_TRUE(errorMessages(log).empty()) << log;
        ASSERT_TRUE(scene->getActiveCamera()->isOrthographic());
        drawFrame(*scene);
        int quarterHeight = static_cast<int>(RenderEngine::getScreenRectangle()->height) / 4;
        EXPECT_EQ(pixelFromMiddle(0, quarterHeight * 9 / 10)[0], 255) << "at " << distance;
        EXPECT_EQ(pixelFromMiddle(0, quarterHeight * 11 / 10)[0], 0) << "at " << distance;
    }
}

namespace
{
// An uncompressed true-colour TGA of one row of RGB pixels.
std::string tgaRow(const std::vector<std::array<unsigned char, 3>>& pixels)
{
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = static_cast<char>(pixels.size());
    bytes[14] = 1;
    bytes[16] = 24;
    for (const auto& pixel : pixels)
        bytes += {static_cast<char>(pixel[2]), static_cast<char>(pixel[1]), static_cast<char>(pixel[0])};
    return bytes;
}

const std::vector<float> squareNormals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
const std::vector<float> squareUvs = {0, 1, 1, 1, 1, 0, 0, 0};
}

// A light from +x grazes the square, which faces +z: its normal picture, leaning every normal towards
// the tangent, the direction in which u grows, lights it, or darkens it where u grows the other way.
TEST_F(GltfDrawingTest, NormalPicturesTurnTheNormalInTheTangentFrame)
{
    struct Framed
    {
        const char* description;
        std::vector<float> uvs;
        // Whether the primitive gives tangents along -x.
        bool givenTangentsLeft;
        bool normalPicture;
        bool lit;
    };
    const Framed cases[] = {
        {"tangents worked out, u along +x", squareUvs, false, true, true},
        {"tangents worked out, u along -x", {1, 1, 0, 1, 0, 0, 1, 0}, false, true, false},
        {"given tangents along -x", squareUvs, true, true, false},
        {"no normal picture", squareUvs, false, false, false},
    };
    // A normal leaning halfway to the tangent: (0.7, 0, 0.7) encoded.
    directory.write("normal.tga", tgaRow({{{217, 128, 217}}}));
    for (const Framed& framed : cases)
    {
        Document document;
        int positions = document.floats(squarePositions, "VEC3", true);
        int normals = document.floats(squareNormals, "VEC3");
        int uvs = document.floats(framed.uvs, "VEC2");
        int tangents = document.floats({-1, 0, 0, 1, -1, 0, 0, 1, -1, 0, 0, 1, -1, 0, 0, 1}, "VEC4");
        int indices = document.shorts(squareIndices, "SCALAR", 1);
        std::string attributes = "\"POSITION\": " + std::to_string(positions) + ", \"NORMAL\": " +
                                 std::to_string(normals) + ", \"TEXCOORD_0\": " + std::to_string(uvs) +
                                 (framed.givenTangentsLeft ? ", \"TANGENT\": " + std::to_string(tangents) : "");
        std::string normalPicture = framed.normalPicture ? R"(, "normalTexture": {"index": 0})" : "";
        std::unique_ptr<Scene> scene = load(document, R"("scenes": [{"nodes": [0, 1]}],
            "nodes": [{"mesh": 0}, {"rotation": [0, 0.7071068, 0, 0.7071068],
                                    "extensions": {"KHR_lights_punctual": {"light": 0}}}],
            "extensions": {"KHR_lights_punctual": {"lights": [{"type": "directional", "intensity": 1}]}},
            "extensionsUsed": ["KHR_lights_punctual"],
            "images": [{"uri": "normal.tga"}], "textures": [{"source": 0}],
            "materials": [{"pbrMetallicRoughness": {"metallicFactor": 0, "roughnessFactor": 1})" + normalPicture + R"(}],
            "meshes": [{"primitives": [{"attributes": {)" + attributes + R"(}, "indices": )" +
            std::to_string(indices) + R"(, "material": 0}]}])");
        EXPECT_TRUE(errorMessages(log).empty()) << framed.description << "\n" << log;
        draw(*scene);
        Rgba seen = seenAt(*scene, {0, 0, 0});
        if (framed.lit)
            EXPECT_GT(seen[0], 170) << framed.description;
        else
            EXPECT_LT(seen[0], 120) << framed.description;
    }
}

// A picture red on its left half and green on its right, read through each case's transform and set.
TEST_F(GltfDrawingTest, TextureTransformsMoveAPicturesCoordinates)
{
    struct Transformed
    {
        const char* description;
        std::string textureInfo;
        bool leftRed;
        bool rightRed;
    };
    const Transformed cases[] = {
        {"untransformed", R"({"index": 0})", true, false},
        {"offset and scaled onto the right half",
         R"({"index": 0, "extensions": {"KHR_texture_transform": {"offset": [0.5, 0], "scale": [0.5, 1]}}})", false,
         false},
        {"turned half a circle about the origin and moved back",
         R"({"index": 0, "extensions": {"KHR_texture_transform": {"offset": [1, 1], "rotation": 3.14159265}}})", false,
         true},
        {"reading set 1, which stands on the left half",
         R"({"index": 0, "extensions": {"KHR_texture_transform": {"texCoord": 1}}})", true, true},
    };
    directory.write("halves.tga", tgaRow({{{255, 0, 0}}, {{0, 255, 0}}}));
    for (const Transformed& transformed : cases)
    {
        Document document;
        int positions = document.floats(squarePositions, "VEC3", true);
        int uvs = document.floats(squareUvs, "VEC2");
        int leftHalf = document.floats({0.25f, 0.5f, 0.25f, 0.5f, 0.25f, 0.5f, 0.25f, 0.5f}, "VEC2");
        int indices = document.shorts(squareIndices, "SCALAR", 1);
        std::unique_ptr<Scene> scene = load(document, R"("scenes": [{"nodes": [0]}], "nodes": [{"mesh": 0}],
            "images": [{"uri": "halves.tga"}], "samplers": [{"magFilter": 9728, "minFilter": 9728}],
            "textures": [{"source": 0, "sampler": 0}],
            "materials": [{"pbrMetallicRoughness": {"baseColorTexture": )" + transformed.textureInfo + R"(},
                           "extensions": {"KHR_materials_unlit": {}}}],
            "extensionsUsed": ["KHR_materials_unlit", "KHR_texture_transform"],
            "meshes": [{"primitives": [{"attributes": {"POSITION": )" + std::to_string(positions) +
            R"(, "TEXCOORD_0": )" + std::to_string(uvs) + R"(, "TEXCOORD_1": )" + std::to_string(leftHalf) +
            R"(}, "indices": )" + std::to_string(indices) + R"(, "material": 0}]}])");
        EXPECT_TRUE(errorMessages(log).empty()) << transformed.description << "\n" << log;
        draw(*scene);
        EXPECT_EQ(redAt(*scene, {-0.3f, 0, 0}), transformed.leftRed) << transformed.description;
        EXPECT_EQ(redAt(*scene, {0.3f, 0, 0}), transformed.rightRed) << transformed.description;
        EXPECT_EQ(seenAt(*scene, {0.3f, 0, 0})[1] > 200, !transformed.rightRed) << transformed.description;
    }
}

// Buffers in data URIs of glTF's own media type load as those of the octet-stream type do.
TEST_F(GltfDrawingTest, ABufferInADataUriOfGltfsMediaTypeLoads)
{
    Document document;
    int positions = document.floats(squarePositions, "VEC3", true);
    int indices = document.shorts(squareIndices, "SCALAR", 1);
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    const std::string& bytes = document.bytes();
    for (std::size_t at = 0; at < bytes.size(); at += 3)
    {
        // One byte gives two digits, two give three, three give four; '=' fills the group.
        std::size_t given = std::min<std::size_t>(bytes.size() - at, 3);
        std::uint32_t group = 0;
        for (std::size_t byte = 0; byte < 3; ++byte)
            group = group << 8 | (byte < given ? static_cast<unsigned char>(bytes[at + byte]) : 0u);
        for (std::size_t digit = 0; digit < 4; ++digit)
            encoded += digit <= given ? digits[(group >> (18 - 6 * digit)) & 63] : '=';
    }
    std::string json = document.json(R"("scenes": [{"nodes": [0]}], "nodes": [{"mesh": 0}],
        "meshes": [{"primitives": [{"attributes": {"POSITION": )" + std::to_string(positions) + R"(}, "indices": )" +
                                     std::to_string(indices) + R"(, "material": 0}]}], )" + unlitRed);
    json.replace(json.find("\"d.bin\""), 7, "\"data:application/gltf-buffer;base64," + encoded + "\"");
    std::unique_ptr<Scene> scene = loadDocument("uri.gltf", json);
    EXPECT_TRUE(errorMessages(log).empty()) << log;
    draw(*scene);
    EXPECT_TRUE(redAt(*scene, {0, 0, 0}));
}
