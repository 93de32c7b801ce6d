#include "pellux/gltf/GltfSceneloader.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/SceneNode.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace Pellux;

namespace
{
// The floats of "data.bin", which the documents' buffer views pick from: three values from -1 to 2
// (bytes 0 to 11), a NaN (12 to 15) and key times that stop rising (16 to 27).
const std::vector<float> dataFloats = {-1, 0, 2, std::nanf(""), 0, 1, 1};

// A PNG picture cut off inside its first chunk.
const std::string cutPng("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);

std::string document(const std::string& members)
{
    return R"({"asset": {"version": "2.0"}, )" + members + "}";
}

// A buffer of "data.bin" with one view of `bytes` bytes from `offset`, and one float scalar accessor
// of `count` elements on it, with what `bounds` adds.
std::string floatsAt(int offset, int bytes, int count, const std::string& bounds)
{
    return R"("buffers": [{"uri": "data.bin", "byteLength": 28}], "bufferViews": [{"buffer": 0, "byteOffset": )" +
           std::to_string(offset) + R"(, "byteLength": )" + std::to_string(bytes) +
           R"(}], "accessors": [{"bufferView": 0, "componentType": 5126, "count": )" + std::to_string(count) +
           R"(, "type": "SCALAR")" + bounds + "}]";
}

// A GLB container of `json`, padded or not, and chunks of the given types after it, 4 bytes each.
std::string container(std::string json, bool padded, const std::vector<std::uint32_t>& chunkTypes)
{
    if (padded)
        json.append((4 - json.size() % 4) % 4, ' ');
    auto word = [](std::uint32_t value) {
        std::string bytes(4, '\0');
        std::memcpy(bytes.data(), &value, 4);
        return bytes;
    };
    std::string chunks = word(static_cast<std::uint32_t>(json.size())) + word(0x4E4F534A) + json;
    for (std::uint32_t type : chunkTypes)
        chunks += word(4) + word(type) + std::string(4, '\0');
    return "glTF" + word(2) + word(static_cast<std::uint32_t>(12 + chunks.size())) + chunks;
}

const std::uint32_t binChunk = 0x004E4942;

struct Checked
{
    const char* description;
    std::string file;
    std::string content;
    // The line after "glTF <document>: ".
    std::string expected;
};

class GltfChecksTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(openRenderEngine(), nullptr);
        std::string data(dataFloats.size() * sizeof(float), '\0');
        std::memcpy(data.data(), dataFloats.data(), data.size());
        directory.write("data.bin", data);
        directory.write("cut.png", cutPng);
    }

    // The ERR lines of loading the file, each without its log prefix.
    std::vector<std::string> linesOfLoading(const std::string& file, const std::string& content)
    {
        path = directory.write(file, content);
        std::string log = captureStdout([&] { scene.reset(GltfSceneloader::load(File(path), &read)); });
        std::vector<std::string> lines;
        for (std::size_t at = log.find("ERR:\t"); at != std::string::npos; at = log.find("ERR:\t", at + 1))
        {
            std::size_t start = log.find(")]:\t", at) + 4;
            lines.push_back(log.substr(start, log.find('\n', start) - start));
        }
        return lines;
    }

    TemporaryDirectory directory;
    std::string path;
    std::unique_ptr<Scene> scene;
    bool read = false;
};
}

TEST_F(GltfChecksTest, EachProblemGivesItsLine)
{
    // 45 bytes of JSON.
    const std::string oneScene = document(R"("scenes": [{}])");
    const std::string keyTimes = R"("buffers": [{"uri": "data.bin", "byteLength": 28}],
        "bufferViews": [{"buffer": 0, "byteOffset": 16, "byteLength": 12}],
        "accessors": [{"bufferView": 0, "componentType": 5126, "count": 3, "type": "SCALAR", "min": [0], "max": [1]}],
        "nodes": [{}], "animations": [{"samplers": [{"input": 0, "output": 0}],
                                       "channels": [{"sampler": 0, "target": {"node": 0, "path": "translation"}}]}])";
    const Checked cases[] = {
        {"an empty array", "t.gltf", document(R"("nodes": [])"), "nodes: is empty, which glTF does not allow"},
        {"a collection of another type", "t.gltf", document(R"("samplers": {})"),
         "samplers: is no array; the document is read without it"},
        {"an undeclared extension", "t.gltf", document(R"("extensions": {"EXT_unknown": {}})"),
         "extensions.EXT_unknown: is not declared in extensionsUsed"},
        {"an extension out of place", "t.gltf",
         document(R"("extensionsUsed": ["KHR_materials_unlit"],
                     "samplers": [{"extensions": {"KHR_materials_unlit": {}}}])"),
         "samplers[0].extensions.KHR_materials_unlit: stands where KHR_materials_unlit has no meaning; "
         "it is ignored"},
        {"a matrix beside a translation", "t.gltf",
         document(R"("nodes": [{"translation": [1, 0, 0],
                                  "matrix": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1]}])"),
         "nodes[0]: has both a matrix and a translation, rotation or scale; the matrix is used"},
        {"nodes in a loop", "t.gltf", document(R"("nodes": [{"children": [1]}, {"children": [0]}])"),
         "nodes[0]: is among its own descendants"},
        {"a far plane nearer than the near one", "t.gltf",
         document(R"("cameras": [{"type": "perspective", "perspective": {"yfov": 1, "znear": 10, "zfar": 1}}])"),
         "cameras[0].perspective: has a zfar of 1, not beyond its znear of 10"},
        {"a minimum above the least value", "t.gltf", document(floatsAt(0, 12, 3, R"(, "min": [0], "max": [2])")),
         "accessors[0].min: gives 0 where the least value of component 0 is -1"},
        {"a value that is no number", "t.gltf", document(floatsAt(12, 4, 1, "")),
         "accessors[0]: holds a value that is no finite number"},
        {"key times that stop rising", "t.gltf", document(keyTimes),
         "animations[0].samplers[0].input: has the key time 1 after 1; key times must rise"},
        {"a picture file that is not there", "t.gltf", document(R"("images": [{"uri": "missing.png"}])"),
         "images[0].uri: names the file missing.png, which cannot be opened"},
        {"a picture cut short", "t.gltf", document(R"("images": [{"uri": "cut.png"}])"),
         "images[0]: its PNG data ends before its IEND chunk"},
        {"a picture of another type than it says", "t.gltf",
         document(R"("images": [{"uri": "cut.png", "mimeType": "image/jpeg"}])"),
         "images[0]: holds a PNG picture, but its type says image/jpeg"},
        {"a JSON chunk of a length no multiple of 4", "t.glb", container(oneScene, false, {}),
         "its GLB chunk at byte 12 is 45 bytes long, not a multiple of 4"},
        {"two BIN chunks", "t.glb", container(oneScene, true, {binChunk, binChunk}),
         "its GLB chunk at byte 80 is a second BIN chunk, which is not read"},
        {"a byte order mark", "t.glb", container("\xEF\xBB\xBF" + oneScene, true, {}),
         "its JSON begins with a byte order mark, which glTF does not allow"},
        {"a morph target of an attribute the primitive lacks", "t.gltf",
         document(R"("meshes": [{"primitives": [{"attributes": {}, "targets": [{"NORMAL": 0}]}]}])"),
         "meshes[0].primitives[0].targets[0].NORMAL: moves NORMAL, which the primitive does not have"},
        {"joints without a common root", "t.gltf", document(R"("nodes": [{}, {}], "skins": [{"joints": [0, 1]}])"),
         "skins[0].joints: have no common root"},
    };
    for (const Checked& checked : cases)
    {
        std::vector<std::string> lines = linesOfLoading(checked.file, checked.content);
        std::string expected = "glTF " + path + ": " + checked.expected;
        EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end())
            << checked.description << "\n" << testing::PrintToString(lines);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), expected), 1) << checked.description;
    }
}

// A document of another major version means other things by its objects, and one that asks for a
// later minor version than 2.0 needs what the engine does not know: neither is built.
TEST_F(GltfChecksTest, AnotherMajorVersionOrALaterLeastVersionIsNotBuilt)
{
    struct Versioned
    {
        const char* asset;
        std::vector<std::string> expected;
    };
    const Versioned cases[] = {
        {R"({"version": "1.0"})", {"asset.version: is 1.0, and the engine reads glTF 2 only; nothing is loaded"}},
        {R"({"version": "2.1", "minVersion": "2.1"})",
         {"asset.minVersion: asks for glTF 2.1 at least, and the engine reads 2.0; nothing is loaded"}},
    };
    for (const Versioned& versioned : cases)
    {
        std::vector<std::string> lines = linesOfLoading(
            "t.gltf", std::string(R"({"asset": )") + versioned.asset + R"(, "scenes": [{"nodes": [0]}], "nodes": [{}]})");
        EXPECT_TRUE(read);
        std::vector<std::string> expected;
        for (const std::string& line : versioned.expected)
            expected.push_back("glTF " + path + ": " + line);
        EXPECT_EQ(lines, expected) << versioned.asset;
        EXPECT_TRUE(scene->getRoot()->getChildren().empty()) << versioned.asset;
    }
}

TEST_F(GltfChecksTest, ASoundDocumentGivesNoLine)
{
    // A whole PNG picture of one pixel.
    const std::string pixel = "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR4nGP438AAAAQB"
                              "AYDFKhhdAAAAAElFTkSuQmCC";
    std::string sound = document(R"("scene": 0, "scenes": [{"nodes": [0]}], "nodes": [{"rotation": [0, 0, 0, 1]}],
        "extensionsUsed": ["KHR_lights_punctual"],
        "extensions": {"KHR_lights_punctual": {"lights": [{"type": "point"}]}},
        "images": [{"uri": "data:image/png;base64,)" + pixel + R"("}], )" +
                                 floatsAt(0, 12, 3, R"(, "min": [-1], "max": [2])"));
    EXPECT_EQ(linesOfLoading("t.gltf", sound), std::vector<std::string>{});
}

// Nesting far deeper than any glTF object is walked only so deep, without recursion; nesting that
// would exhaust the stack of the reader, which descends recursively, is refused in one line.
TEST_F(GltfChecksTest, DeepNestingIsWalkedWithoutRecursionOrRefusedInOneLine)
{
    struct Nesting
    {
        std::size_t depth;
        std::vector<std::string> expected;
    };
    const Nesting cases[] = {
        {990, {}},
        {100000, {"could not be read (its JSON nests deeper than 1000 levels)"}},
    };
    for (const Nesting& nesting : cases)
    {
        std::string nested = std::string(nesting.depth, '[') + "1" + std::string(nesting.depth, ']');
        // With a buffer in a file, whose stand-in makes the document be written out again.
        std::vector<std::string> lines = linesOfLoading(
            "t.gltf", document(floatsAt(0, 12, 3, "") + R"(, "nodes": [{"extras": )" + nested + "}]"));
        std::vector<std::string> expected;
        for (const std::string& line : nesting.expected)
            expected.push_back("glTF " + path + ": " + line);
        EXPECT_EQ(lines, expected) << nesting.depth;
        EXPECT_EQ(read, nesting.expected.empty()) << nesting.depth;
    }
}
