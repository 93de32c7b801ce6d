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
#include "TemporaryDirectory.h"

#include <GL/glew.h>
#include <draco/compression/encode.h>
#include <draco/mesh/mesh.h>
#include <gtest/gtest.h>
#include <meshoptimizer.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace Pellux;

namespace
{
// A quad in the plane z = 0 around the origin, facing +Z: two triangles over four vertices.
const std::vector<float> quadPositions = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
const std::vector<float> quadNormals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
const std::vector<float> quadTexCoords = {0, 0, 1, 0, 1, 1, 0, 1};
const std::vector<unsigned int> quadIndices = {0, 1, 2, 0, 2, 3};

std::string paddedToFour(std::string bytes, char padding = '\0')
{
    bytes.resize((bytes.size() + 3) / 4 * 4, padding);
    return bytes;
}

void expectNear(const std::vector<float>& loaded, const std::vector<float>& expected, float tolerance,
                const std::string& what)
{
    ASSERT_EQ(loaded.size(), expected.size()) << what;
    for (std::size_t at = 0; at < expected.size(); ++at)
        EXPECT_NEAR(loaded[at], expected[at], tolerance) << what << " [" << at << "]";
}

void addDracoAttribute(draco::PointCloud& geometry, draco::GeometryAttribute::Type type, int components,
                       const std::vector<float>& values)
{
    std::size_t count = values.size() / static_cast<std::size_t>(components);
    draco::GeometryAttribute attribute;
    attribute.Init(type, nullptr, static_cast<std::uint8_t>(components), draco::DT_FLOAT32, false,
                   static_cast<std::int64_t>(sizeof(float)) * components, 0);
    int id = geometry.AddAttribute(attribute, true, static_cast<std::uint32_t>(count));
    for (std::size_t value = 0; value < count; ++value)
        geometry.attribute(id)->SetAttributeValue(draco::AttributeValueIndex(static_cast<std::uint32_t>(value)),
                                                  &values[value * static_cast<std::size_t>(components)]);
}

std::string bytesOf(const draco::EncoderBuffer& encoded)
{
    return std::string(encoded.data(), encoded.size());
}

// The quad compressed with Draco: positions, normals and texture coordinates with the ids 0, 1 and
// 2, encoded sequentially so that its vertices keep their order.
std::string dracoQuad(const std::vector<float>& positions = quadPositions)
{
    draco::Mesh mesh;
    mesh.set_num_points(4);
    addDracoAttribute(mesh, draco::GeometryAttribute::POSITION, 3, positions);
    addDracoAttribute(mesh, draco::GeometryAttribute::NORMAL, 3, quadNormals);
    addDracoAttribute(mesh, draco::GeometryAttribute::TEX_COORD, 2, quadTexCoords);
    for (std::size_t corner = 0; corner < quadIndices.size(); corner += 3)
        mesh.AddFace({draco::PointIndex(quadIndices[corner]), draco::PointIndex(quadIndices[corner + 1]),
                      draco::PointIndex(quadIndices[corner + 2])});
    draco::Encoder encoder;
    encoder.SetEncodingMethod(draco::MESH_SEQUENTIAL_ENCODING);
    encoder.SetAttributeQuantization(draco::GeometryAttribute::POSITION, 14);
    encoder.SetAttributeQuantization(draco::GeometryAttribute::NORMAL, 10);
    encoder.SetAttributeQuantization(draco::GeometryAttribute::TEX_COORD, 12);
    draco::EncoderBuffer encoded;
    EXPECT_TRUE(encoder.EncodeMeshToBuffer(mesh, &encoded).ok());
    return bytesOf(encoded);
}

std::string dracoPointCloud()
{
    draco::PointCloud cloud;
    cloud.set_num_points(4);
    addDracoAttribute(cloud, draco::GeometryAttribute::POSITION, 3, quadPositions);
    draco::Encoder encoder;
    draco::EncoderBuffer encoded;
    EXPECT_TRUE(encoder.EncodePointCloudToBuffer(cloud, &encoded).ok());
    return bytesOf(encoded);
}

// A red unlit primitive of a compressed quad: accessors 0 to 3 are its positions, normals, texture
// coordinates and indices, bufferView 0 its Draco data, the whole of "c.bin".
const char* const dracoJson = R"({
  "asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0]}], "nodes": [{"mesh": 0}],
  "meshes": [{"primitives": [PRIMITIVE]}],
  "materials": [{"pbrMetallicRoughness": {"baseColorFactor": [1, 0, 0, 1]},
                 "extensions": {"KHR_materials_unlit": {}}}],
  "extensionsUsed": ["KHR_materials_unlit", "KHR_draco_mesh_compression"],
  "extensionsRequired": ["KHR_draco_mesh_compression"],
  "buffers": [{"uri": "c.bin", "byteLength": BYTES}],
  "bufferViews": [VIEWS],
  "accessors": [{"componentType": 5126, "count": 4, "type": "VEC3", "min": [-1, -1, 0], "max": [1, 1, 0]},
                {"componentType": 5126, "count": 4, "type": "VEC3"},
                {"componentType": 5126, "count": 4, "type": "VEC2"},
                {"componentType": 5123, "count": 6, "type": "SCALAR"}]
})";

std::string dracoPrimitive(int view)
{
    return R"({"attributes": {"POSITION": 0, "NORMAL": 1, "TEXCOORD_0": 2}, "indices": 3, "material": 0,
               "extensions": {"KHR_draco_mesh_compression": {"bufferView": )" +
           std::to_string(view) + R"(, "attributes": {"POSITION": 0, "NORMAL": 1, "TEXCOORD_0": 2}}}})";
}

std::string dracoDocument(std::size_t bytes)
{
    std::string json = replaced(dracoJson, "PRIMITIVE", dracoPrimitive(0));
    json = replaced(json, "VIEWS", "{\"buffer\": 0, \"byteLength\": " + std::to_string(bytes) + "}");
    return replaced(json, "BYTES", std::to_string(bytes));
}

std::string encodedVertices(const void* vertices, std::size_t count, std::size_t stride)
{
    std::string encoded(meshopt_encodeVertexBufferBound(count, stride), '\0');
    encoded.resize(meshopt_encodeVertexBuffer(reinterpret_cast<unsigned char*>(encoded.data()), encoded.size(),
                                              vertices, count, stride));
    return encoded;
}

std::string encodedTriangles(const std::vector<unsigned int>& indices, std::size_t vertices)
{
    std::string encoded(meshopt_encodeIndexBufferBound(indices.size(), vertices), '\0');
    encoded.resize(meshopt_encodeIndexBuffer(reinterpret_cast<unsigned char*>(encoded.data()), encoded.size(),
                                             indices.data(), indices.size()));
    return encoded;
}

std::string encodedIndexSequence(const std::vector<unsigned int>& indices, std::size_t vertices)
{
    std::string encoded(meshopt_encodeIndexSequenceBound(indices.size(), vertices), '\0');
    encoded.resize(meshopt_encodeIndexSequence(reinterpret_cast<unsigned char*>(encoded.data()), encoded.size(),
                                               indices.data(), indices.size()));
    return encoded;
}

// One bufferView compressed with EXT_meshopt_compression; vertex data has a byteStride of its own.
struct MeshoptView
{
    std::string encoded;
    std::size_t count;
    std::size_t stride;
    std::string mode;
    std::string filter;
    bool vertexData;
};

struct Document
{
    std::string json;
    std::string bin;
};

// The quad with `primitive` and `accessors`, its views' compressed bytes one after another in
// buffers[0] and their decoded bytes in buffers[1], a fallback that holds no data. In a container
// the fallback goes without its flag, as a buffer without a URI past the first.
Document meshoptDocument(const std::vector<MeshoptView>& views, const std::string& primitive,
                         const std::string& accessors, bool container)
{
    Document document;
    std::string viewsJson;
    std::size_t decodedBytes = 0;
    for (const MeshoptView& view : views)
    {
        std::string stride = std::to_string(view.stride);
        viewsJson += std::string(viewsJson.empty() ? "" : ",\n  ") + "{\"buffer\": 1, \"byteOffset\": " +
                     std::to_string(decodedBytes) + ", \"byteLength\": " + std::to_string(view.count * view.stride) +
                     (view.vertexData ? ", \"byteStride\": " + stride : "") +
                     ", \"extensions\": {\"EXT_meshopt_compression\": {\"byteOffset\": " +
                     std::to_string(document.bin.size()) + ", \"byteLength\": " + std::to_string(view.encoded.size()) +
                     ", \"byteStride\": " + stride + ", \"count\": " + std::to_string(view.count) + ", \"mode\": \"" +
                     view.mode + "\", \"filter\": \"" + view.filter + "\", \"buffer\": 0}}}";
        document.bin += paddedToFour(view.encoded);
        decodedBytes += paddedToFour(std::string(view.count * view.stride, '\0')).size();
    }
    std::string fallback = container ? "" : ", \"extensions\": {\"EXT_meshopt_compression\": {\"fallback\": true}}";
    document.json = R"({
  "asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0]}], "nodes": [{"mesh": 0}],
  "meshes": [{"primitives": [)" + primitive + R"(]}],
  "extensionsUsed": ["EXT_meshopt_compression", "KHR_mesh_quantization"],
  "extensionsRequired": ["EXT_meshopt_compression", "KHR_mesh_quantization"],
  "buffers": [{)" + (container ? "" : "\"uri\": \"c.bin\", ") +
                    "\"byteLength\": " + std::to_string(document.bin.size()) + "},\n  {\"byteLength\": " +
                    std::to_string(decodedBytes) + fallback + R"(}],
  "bufferViews": [)" + viewsJson + R"(],
  "accessors": [)" + accessors + "]\n}";
    return document;
}

void appendWord(std::string& bytes, std::uint32_t word)
{
    char little[4];
    std::memcpy(little, &word, sizeof little);
    bytes.append(little, sizeof little);
}

// A GLB container of the JSON and the binary chunk.
std::string container(const std::string& json, const std::string& bin)
{
    std::string text = paddedToFour(json, ' ');
    std::string binary = paddedToFour(bin);
    std::string bytes = "glTF";
    appendWord(bytes, 2);
    appendWord(bytes, static_cast<std::uint32_t>(12 + 8 + text.size() + 8 + binary.size()));
    appendWord(bytes, static_cast<std::uint32_t>(text.size()));
    bytes += "JSON" + text;
    appendWord(bytes, static_cast<std::uint32_t>(binary.size()));
    bytes += std::string("BIN\0", 4) + binary;
    return bytes;
}

// The quad's positions through the exponential filter, its normals as bytes through the octahedral
// one, its triangles as 16-bit indices, in "c.gltf" with a flagged fallback buffer.
Document filteredQuad()
{
    std::vector<std::uint32_t> positions(quadPositions.size());
    meshopt_encodeFilterExp(positions.data(), 4, 12, 15, quadPositions.data());
    std::vector<float> normals;
    for (std::size_t at = 0; at < quadNormals.size(); at += 3)
        normals.insert(normals.end(), {quadNormals[at], quadNormals[at + 1], quadNormals[at + 2], 0});
    std::vector<std::int8_t> octahedral(normals.size());
    meshopt_encodeFilterOct(octahedral.data(), 4, 4, 8, normals.data());
    return meshoptDocument(
        {{encodedVertices(positions.data(), 4, 12), 4, 12, "ATTRIBUTES", "EXPONENTIAL", true},
         {encodedVertices(octahedral.data(), 4, 4), 4, 4, "ATTRIBUTES", "OCTAHEDRAL", true},
         {encodedTriangles(quadIndices, 4), 6, 2, "TRIANGLES", "NONE", false}},
        R"({"attributes": {"POSITION": 0, "NORMAL": 1}, "indices": 2})",
        R"({"bufferView": 0, "componentType": 5126, "count": 4, "type": "VEC3", "min": [-1, -1, 0], "max": [1, 1, 0]},
           {"bufferView": 1, "componentType": 5120, "normalized": true, "count": 4, "type": "VEC3"},
           {"bufferView": 2, "componentType": 5123, "count": 6, "type": "SCALAR"})",
        false);
}

class GltfCompressionTest : public GltfDocumentTest
{
protected:
    // Loads `content` as the document `name`, with `bin` beside it as "c.bin".
    std::unique_ptr<Scene> load(const std::string& name, const std::string& content, const std::string& bin = "")
    {
        directory.write("c.bin", bin);
        return loadDocument(name, content);
    }

    std::vector<std::string> aboutTheDocument(const std::vector<std::string>& messages) const
    {
        std::vector<std::string> lines;
        for (const std::string& message : messages)
            lines.push_back("glTF " + path + ": " + message);
        return lines;
    }

    static std::vector<SubMesh*> subMeshesOf(Scene& scene)
    {
        const std::vector<MeshNode*>& meshes = scene.getMeshNodes();
        return meshes.empty() ? std::vector<SubMesh*>() : meshes.front()->getMesh()->getSubMeshes();
    }

    static const std::vector<float>& valuesOf(const SubMesh& subMesh, VertexSemantic semantic)
    {
        static const std::vector<float> none;
        const VertexAttribute* attribute = subMesh.attribute(semantic);
        return attribute != nullptr ? *attribute->values : none;
    }
};

TEST_F(GltfCompressionTest, ADracoQuadDecodesToItsPositionsNormalsTexCoordsAndIndices)
{
    std::string draco = dracoQuad();
    std::unique_ptr<Scene> scene = load("c.gltf", dracoDocument(draco.size()), draco);
    ASSERT_TRUE(read) << log;
    EXPECT_TRUE(errorMessages(log).empty()) << log;
    std::vector<SubMesh*> subMeshes = subMeshesOf(*scene);
    ASSERT_EQ(subMeshes.size(), 1u) << log;
    EXPECT_EQ(subMeshes[0]->getIndices(), quadIndices);
    // Within the quantization: 14 bits over the quad's width, 10 for normals, 12 for coordinates.
    expectNear(valuesOf(*subMeshes[0], VertexSemantic::Position), quadPositions, 1e-3f, "positions");
    expectNear(valuesOf(*subMeshes[0], VertexSemantic::Normal), quadNormals, 1e-2f, "normals");
    expectNear(valuesOf(*subMeshes[0], VertexSemantic::TexCoord), quadTexCoords, 1e-3f, "texture coordinates");
}

TEST_F(GltfCompressionTest, ADracoQuadDrawsInItsMaterialsColour)
{
    std::string draco = dracoQuad();
    std::unique_ptr<Scene> scene = load("c.gltf", dracoDocument(draco.size()), draco);
    ASSERT_TRUE(errorMessages(log).empty()) << log;
    drawFrom(*scene, 3);
    EXPECT_EQ(pixelFromMiddle(0, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(readPixel(2, 2), (Rgba{0, 0, 0, 255}));
}

// Primitives decoded from the same compressed view share its accessors; one that names the same
// accessors for other compressed data, here the quad mirrored, gets accessors of its own.
TEST_F(GltfCompressionTest, PrimitivesSharingAccessorsKeepTheirOwnDecodedData)
{
    std::vector<float> mirrored = quadPositions;
    for (std::size_t at = 0; at < mirrored.size(); at += 3)
        mirrored[at] = -mirrored[at];
    std::string first = paddedToFour(dracoQuad());
    std::string second = dracoQuad(mirrored);
    std::string json = replaced(dracoJson, "PRIMITIVE",
                                dracoPrimitive(0) + ", " + dracoPrimitive(1) + ", " + dracoPrimitive(0));
    json = replaced(json, "VIEWS",
                    "{\"buffer\": 0, \"byteLength\": " + std::to_string(first.size()) +
                        "}, {\"buffer\": 0, \"byteOffset\": " + std::to_string(first.size()) +
                        ", \"byteLength\": " + std::to_string(second.size()) + "}");
    json = replaced(json, "BYTES", std::to_string(first.size() + second.size()));
    std::unique_ptr<Scene> scene = load("c.gltf", json, first + second);
    EXPECT_TRUE(errorMessages(log).empty()) << log;
    std::vector<SubMesh*> subMeshes = subMeshesOf(*scene);
    ASSERT_EQ(subMeshes.size(), 3u) << log;
    expectNear(valuesOf(*subMeshes[0], VertexSemantic::Position), quadPositions, 1e-3f, "the first");
    expectNear(valuesOf(*subMeshes[1], VertexSemantic::Position), mirrored, 1e-3f, "the second");
    expectNear(valuesOf(*subMeshes[2], VertexSemantic::Position), quadPositions, 1e-3f, "the third");
}

TEST_F(GltfCompressionTest, MeshoptViewsDecodeThroughTheirFiltersToTheOriginalData)
{
    Document document = filteredQuad();
    std::unique_ptr<Scene> scene = load("c.gltf", document.json, document.bin);
    ASSERT_TRUE(read) << log;
    EXPECT_TRUE(errorMessages(log).empty()) << log;
    std::vector<SubMesh*> subMeshes = subMeshesOf(*scene);
    ASSERT_EQ(subMeshes.size(), 1u) << log;
    EXPECT_EQ(subMeshes[0]->getIndices(), quadIndices);
    expectNear(valuesOf(*subMeshes[0], VertexSemantic::Position), quadPositions, 1e-4f, "positions");
    expectNear(valuesOf(*subMeshes[0], VertexSemantic::Normal), quadNormals, 1e-2f, "normals");
}

// Quantized integers of every vertex attribute, indices as a sequence of 32-bit numbers, in a GLB
// container whose fallback buffer has no URI.
TEST_F(GltfCompressionTest, AQuantizedMeshoptContainerLoads)
{
    const std::int16_t positions[16] = {-1, -1, 0, 0, 1, -1, 0, 0, 1, 1, 0, 0, -1, 1, 0, 0};
    const std::int8_t normals[16] = {0, 0, 127, 0, 0, 0, 127, 0, 0, 0, 127, 0, 0, 0, 127, 0};
    const std::uint16_t texCoords[8] = {0, 0, 65535, 0, 65535, 65535, 0, 65535};
    Document document = meshoptDocument(
        {{encodedVertices(positions, 4, 8), 4, 8, "ATTRIBUTES", "NONE", true},
         {encodedVertices(normals, 4, 4), 4, 4, "ATTRIBUTES", "NONE", true},
         {encodedVertices(texCoords, 4, 4), 4, 4, "ATTRIBUTES", "NONE", true},
         {encodedIndexSequence(quadIndices, 4), 6, 4, "INDICES", "NONE", false}},
        R"({"attributes": {"POSITION": 0, "NORMAL": 1, "TEXCOORD_0": 2}, "indices": 3})",
        R"({"bufferView": 0, "componentType": 5122, "count": 4, "type": "VEC3", "min": [-1, -1, 0], "max": [1, 1, 0]},
           {"bufferView": 1, "componentType": 5120, "normalized": true, "count": 4, "type": "VEC3"},
           {"bufferView": 2, "componentType": 5123, "normalized": true, "count": 4, "type": "VEC2"},
           {"bufferView": 3, "componentType": 5125, "count": 6, "type": "SCALAR"})",
        true);
    std::unique_ptr<Scene> scene = load("c.glb", container(document.json, document.bin));
    ASSERT_TRUE(read) << log;
    EXPECT_TRUE(errorMessages(log).empty()) << log;
    std::vector<SubMesh*> subMeshes = subMeshesOf(*scene);
    ASSERT_EQ(subMeshes.size(), 1u) << log;
    EXPECT_EQ(subMeshes[0]->getIndices(), quadIndices);
    EXPECT_EQ(valuesOf(*subMeshes[0], VertexSemantic::Position), quadPositions);
    EXPECT_EQ(valuesOf(*subMeshes[0], VertexSemantic::Normal), quadNormals);
    expectNear(valuesOf(*subMeshes[0], VertexSemantic::TexCoord), quadTexCoords, 1e-6f, "texture coordinates");
}

struct Hostile
{
    std::string description;
    std::string from;
    std::string to;
    // After "glTF <path>: ".
    std::vector<std::string> expected;
    // Whether the primitive is still drawn.
    bool drawn;
};

// Every case ends in its lines and nothing is read from the fallback buffer, which holds no data.
TEST_F(GltfCompressionTest, HostileMeshoptViewsAreReportedAndLeftUndecoded)
{
    Document document = filteredQuad();
    std::string positionsStart = "\"EXT_meshopt_compression\": {\"byteOffset\": 0, \"byteLength\": ";
    std::size_t lengthAt = document.json.find(positionsStart) + positionsStart.size();
    std::string positionsLength = document.json.substr(lengthAt, document.json.find(',', lengthAt) - lengthAt);
    std::string withoutPositions = "meshes[0].primitives[0]: is left out without its positions";
    auto onTheFallback = [](int view) {
        return "bufferViews[" + std::to_string(view) + "]: reaches past the 0 bytes of buffers[1]";
    };
    std::string positionsPastTheirView =
        "meshes[0].primitives[0].attributes.POSITION: accessors[0] bufferViews[0] reaches past the end of its buffer";
    const Hostile cases[] = {
        {"truncated data", positionsStart + positionsLength, positionsStart + "20",
         {"bufferViews[0].extensions.EXT_meshopt_compression: holds data that does not decode as ATTRIBUTES",
          onTheFallback(0), positionsPastTheirView, withoutPositions},
         false},
        {"a range past the buffer", positionsStart,
         "\"EXT_meshopt_compression\": {\"byteOffset\": " + std::to_string(document.bin.size()) + ", \"byteLength\": ",
         {"bufferViews[0].extensions.EXT_meshopt_compression: reaches past the " +
              std::to_string(document.bin.size()) + " bytes of buffers[0]",
          onTheFallback(0), positionsPastTheirView, withoutPositions},
         false},
        {"count times stride past 64 bits", "\"byteStride\": 12, \"count\": 4,",
         "\"byteStride\": 12, \"count\": 4611686018427387904,",
         {"bufferViews[0].extensions.EXT_meshopt_compression: decodes 4611686018427387904 elements of 12 bytes, "
          "past the 268435456 bytes a document may decode to",
          onTheFallback(0), positionsPastTheirView, withoutPositions},
         false},
        {"a stride TRIANGLES does not take", "\"byteStride\": 2, \"count\": 6,", "\"byteStride\": 3, \"count\": 6,",
         {"bufferViews[2].extensions.EXT_meshopt_compression: has the byteStride 3, where TRIANGLES takes 2 or 4",
          onTheFallback(2),
          "meshes[0].primitives[0].indices: accessors[2] bufferViews[2] reaches past the end of its buffer; the "
          "primitive is left out"},
         false},
        {"a filter on indices", "\"mode\": \"TRIANGLES\", \"filter\": \"NONE\"",
         "\"mode\": \"TRIANGLES\", \"filter\": \"OCTAHEDRAL\"",
         {"bufferViews[2].extensions.EXT_meshopt_compression: has the filter OCTAHEDRAL, which only ATTRIBUTES "
          "takes",
          onTheFallback(2),
          "meshes[0].primitives[0].indices: accessors[2] bufferViews[2] reaches past the end of its buffer; the "
          "primitive is left out"},
         false},
        {"a buffer the document does not have", "\"filter\": \"OCTAHEDRAL\", \"buffer\": 0",
         "\"filter\": \"OCTAHEDRAL\", \"buffer\": 7",
         {"bufferViews[1].extensions.EXT_meshopt_compression: names buffers[7], which the document does not have",
          onTheFallback(1),
          "meshes[0].primitives[0].attributes.NORMAL: accessors[1] bufferViews[1] reaches past the end of its "
          "buffer; the primitive goes without it"},
         true},
        {"a negative count", "\"byteStride\": 4, \"count\": 4,", "\"byteStride\": 4, \"count\": -4,",
         {"bufferViews[1].extensions.EXT_meshopt_compression: has no count that is an unsigned integer",
          onTheFallback(1),
          "meshes[0].primitives[0].attributes.NORMAL: accessors[1] bufferViews[1] reaches past the end of its "
          "buffer; the primitive goes without it"},
         true},
    };
    for (const Hostile& hostile : cases)
    {
        std::unique_ptr<Scene> scene = load("c.gltf", replaced(document.json, hostile.from, hostile.to), document.bin);
        EXPECT_TRUE(read) << hostile.description << "\n" << log;
        EXPECT_EQ(errorMessages(log), aboutTheDocument(hostile.expected)) << hostile.description;
        EXPECT_EQ(subMeshesOf(*scene).size(), hostile.drawn ? 1u : 0u) << hostile.description;
    }
}

TEST_F(GltfCompressionTest, HostileDracoPrimitivesAreReportedAndGoWithoutWhatCannotBeDecoded)
{
    std::string quad = dracoQuad();
    std::string cloud = dracoPointCloud();
    std::string view = "\"bufferViews\": [{\"buffer\": 0, \"byteLength\": " + std::to_string(quad.size()) + "}]";
    std::string withoutPositions = "meshes[0].primitives[0]: has no POSITION attribute; it is left out";
    const Hostile cases[] = {
        {"truncated data", view, "\"bufferViews\": [{\"buffer\": 0, \"byteLength\": 20}]",
         {"meshes[0].primitives[0].extensions.KHR_draco_mesh_compression: does not decode as a Draco mesh "
          "(Failed to decode point attributes.)",
          withoutPositions},
         false},
        {"an attribute id the mesh does not have", "\"NORMAL\": 1, \"TEXCOORD_0\": 2}}",
         "\"NORMAL\": 7, \"TEXCOORD_0\": 2}}",
         {"meshes[0].primitives[0].extensions.KHR_draco_mesh_compression.attributes.NORMAL: names the Draco "
          "attribute 7, which the compressed mesh does not have; the primitive goes without it"},
         true},
        {"more positions than the mesh decodes", "\"count\": 4, \"type\": \"VEC3\", \"min\"",
         "\"count\": 5, \"type\": \"VEC3\", \"min\"",
         {"meshes[0].primitives[0].attributes.POSITION: accessors[0] holds 5 elements where the compressed mesh has "
          "4 vertices; the primitive goes without it",
          withoutPositions},
         false},
        {"fewer indices than the mesh decodes", "\"count\": 6, \"type\": \"SCALAR\"",
         "\"count\": 3, \"type\": \"SCALAR\"",
         {"meshes[0].primitives[0].indices: accessors[3] holds 3 indices where the compressed mesh has 6",
          withoutPositions},
         false},
        {"texture coordinates as a vector of three", "\"count\": 4, \"type\": \"VEC2\"",
         "\"count\": 4, \"type\": \"VEC3\"",
         {"meshes[0].primitives[0].attributes.TEXCOORD_0: accessors[2] holds 3 components an element where the "
          "compressed attribute has 2; the primitive goes without it"},
         true},
        {"a bufferView the document does not have", "{\"bufferView\": 0, \"attributes\"",
         "{\"bufferView\": 9, \"attributes\"",
         {"meshes[0].primitives[0].extensions.KHR_draco_mesh_compression: names bufferViews[9], which the document "
          "does not have",
          withoutPositions},
         false},
    };
    for (const Hostile& hostile : cases)
    {
        std::unique_ptr<Scene> scene =
            load("c.gltf", replaced(dracoDocument(quad.size()), hostile.from, hostile.to), quad);
        EXPECT_TRUE(read) << hostile.description << "\n" << log;
        EXPECT_EQ(errorMessages(log), aboutTheDocument(hostile.expected)) << hostile.description;
        EXPECT_EQ(subMeshesOf(*scene).size(), hostile.drawn ? 1u : 0u) << hostile.description;
    }

    std::unique_ptr<Scene> scene = load("c.gltf", dracoDocument(cloud.size()), cloud);
    EXPECT_EQ(errorMessages(log),
              aboutTheDocument({"meshes[0].primitives[0].extensions.KHR_draco_mesh_compression: holds a Draco point "
                                "cloud, where a triangle mesh is expected",
                                withoutPositions}));
    EXPECT_TRUE(subMeshesOf(*scene).empty());
}
}
