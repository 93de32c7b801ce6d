#include "gltf/GltfTangents.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using Pellux::Gltf::computeTangents;
using Pellux::Gltf::TangentFrames;

namespace
{
using Point = std::array<float, 3>;
using TexCoord = std::array<float, 2>;
// A tangent and its handedness w.
using Tangent = std::array<float, 4>;

const float nan = std::numeric_limits<float>::quiet_NaN();
const float pi = static_cast<float>(M_PI);

struct Mesh
{
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> texCoords;
    std::vector<unsigned int> indices;

    unsigned int addVertex(Point position, TexCoord texCoord, Point normal = {0, 0, 1})
    {
        positions.insert(positions.end(), position.begin(), position.end());
        normals.insert(normals.end(), normal.begin(), normal.end());
        texCoords.insert(texCoords.end(), texCoord.begin(), texCoord.end());
        return static_cast<unsigned int>(positions.size() / 3 - 1);
    }

    void addTriangle(unsigned int a, unsigned int b, unsigned int c) { indices.insert(indices.end(), {a, b, c}); }

    std::size_t vertexCount() const { return positions.size() / 3; }

    TangentFrames tangents() const { return computeTangents({positions, normals, texCoords, indices}); }
};

// The unit square in z = 0 facing +z, its corners (0, 0), (1, 0), (0, 1) and (1, 1) mapped to `uv`.
Mesh quad(const std::array<TexCoord, 4>& uv)
{
    Mesh mesh;
    for (int corner = 0; corner < 4; ++corner)
        mesh.addVertex({float(corner % 2), float(corner / 2), 0}, uv[corner]);
    mesh.addTriangle(0, 1, 3);
    mesh.addTriangle(0, 3, 2);
    return mesh;
}

// Two unit squares side by side in z = 0 facing +z, sharing the vertices at x = 1; triangles 0 and 1 make
// the left square, 2 and 3 the right one.
Mesh strip(TexCoord (*uvAt)(float x, float y))
{
    Mesh mesh;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column)
            mesh.addVertex({float(column), float(row), 0}, uvAt(float(column), float(row)));
    for (unsigned int column = 0; column < 2; ++column)
    {
        mesh.addTriangle(column, column + 1, column + 4);
        mesh.addTriangle(column, column + 4, column + 3);
    }
    return mesh;
}

// Two triangles sharing the edge from (0, 0, 0) to (0, 1, 0), the second folded back over the first, their
// normals all +z: the second's u runs against the first's, its v along it.
Mesh foldedSheet()
{
    Mesh mesh;
    unsigned int corner = mesh.addVertex({0, 0, 0}, {0, 0});
    unsigned int right = mesh.addVertex({1, 0, 0}, {1, 0});
    unsigned int top = mesh.addVertex({0, 1, 0}, {0, 1});
    unsigned int folded = mesh.addVertex({1, 0, 0.5f}, {-1, 0});
    mesh.addTriangle(corner, right, top);
    mesh.addTriangle(corner, top, folded);
    return mesh;
}

Tangent tangentOf(const TangentFrames& frames, unsigned int copy)
{
    const float* tangent = frames.tangents.data() + 4 * std::size_t(copy);
    return {tangent[0], tangent[1], tangent[2], tangent[3]};
}

void expectTangent(const Tangent& actual, const Tangent& expected, const std::string& where)
{
    for (int component = 0; component < 4; ++component)
        EXPECT_NEAR(actual[component], expected[component], 1e-5f) << where << ", component " << component;
}

Tangent normalized(float x, float y, float w)
{
    float length = std::hypot(x, y);
    return {x / length, y / length, 0, w};
}

// Each corner names a copy of its own vertex, every vertex has a copy, and there are no more copies than
// corners and unused vertices.
void expectCopiesOfTheVertices(const Mesh& mesh, const TangentFrames& frames)
{
    ASSERT_EQ(frames.indices.size(), mesh.indices.size());
    ASSERT_EQ(frames.tangents.size(), 4 * frames.sourceVertex.size());
    for (std::size_t corner = 0; corner < mesh.indices.size(); ++corner)
        EXPECT_EQ(frames.sourceVertex.at(frames.indices[corner]), mesh.indices[corner]) << "corner " << corner;
    std::vector<bool> used(mesh.vertexCount(), false), copied(mesh.vertexCount(), false);
    for (unsigned int vertex : mesh.indices)
        used.at(vertex) = true;
    for (unsigned int vertex : frames.sourceVertex)
        copied.at(vertex) = true;
    std::size_t unused = 0;
    for (std::size_t vertex = 0; vertex < mesh.vertexCount(); ++vertex)
    {
        EXPECT_TRUE(copied[vertex]) << "vertex " << vertex;
        unused += used[vertex] ? 0 : 1;
    }
    EXPECT_LE(frames.sourceVertex.size(), mesh.indices.size() + unused);
}

// Unit tangents with w = +1 or -1, perpendicular to their vertex's normal where that is a unit vector.
void expectSoundTangents(const Mesh& mesh, const TangentFrames& frames)
{
    for (std::size_t copy = 0; copy < frames.sourceVertex.size(); ++copy)
    {
        Tangent tangent = tangentOf(frames, static_cast<unsigned int>(copy));
        const float* normal = mesh.normals.data() + 3 * std::size_t(frames.sourceVertex[copy]);
        float length = std::sqrt(tangent[0] * tangent[0] + tangent[1] * tangent[1] + tangent[2] * tangent[2]);
        EXPECT_NEAR(length, 1.0f, 1e-5f) << "copy " << copy;
        EXPECT_TRUE(tangent[3] == 1.0f || tangent[3] == -1.0f) << "copy " << copy << " has w " << tangent[3];
        float normalLength = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
        if (std::fabs(normalLength - 1.0f) < 1e-4f)
        {
            EXPECT_NEAR(tangent[0] * normal[0] + tangent[1] * normal[1] + tangent[2] * normal[2], 0.0f, 1e-5f)
                << "copy " << copy;
        }
    }
}

struct FlatCase
{
    const char* name;
    Mesh mesh;
    std::size_t copies;
    std::vector<Tangent> byTriangle;
};

TEST(GltfTangents, FlatMeshesGetTheirMappingsTangentsAndSplitOnlyWhereCornersDisagree)
{
    const Tangent alongX{1, 0, 0, 1}, mirroredInU{-1, 0, 0, -1}, mirroredInV{1, 0, 0, -1};
    const FlatCase cases[] = {
        {"u along +x", quad({{{0, 0}, {1, 0}, {0, 1}, {1, 1}}}), 4, {alongX, alongX}},
        {"u mirrored", quad({{{1, 0}, {0, 0}, {1, 1}, {0, 1}}}), 4, {mirroredInU, mirroredInU}},
        {"v mirrored", quad({{{0, 1}, {1, 1}, {0, 0}, {1, 0}}}), 4, {mirroredInV, mirroredInV}},
        {"u along +y, v along -x", quad({{{0, 0}, {0, -1}, {1, 0}, {1, -1}}}), 4, {{0, 1, 0, 1}, {0, 1, 0, 1}}},
        {"one mapping across the strip", strip([](float x, float y) { return TexCoord{x / 2, y}; }), 6,
         {alongX, alongX, alongX, alongX}},
        {"the strip mirrored in u at its middle",
         strip([](float x, float y) { return TexCoord{1 - std::fabs(x - 1), y}; }), 8,
         {alongX, alongX, mirroredInU, mirroredInU}},
        {"a sheet folded back with its u turned", foldedSheet(), 6, {alongX, {-1, 0, 0, 1}}},
    };
    for (const FlatCase& flat : cases)
    {
        TangentFrames frames = flat.mesh.tangents();
        expectCopiesOfTheVertices(flat.mesh, frames);
        EXPECT_EQ(frames.sourceVertex.size(), flat.copies) << flat.name;
        for (std::size_t corner = 0; corner < flat.mesh.indices.size(); ++corner)
            expectTangent(tangentOf(frames, frames.indices[corner]), flat.byTriangle[corner / 3],
                          std::string(flat.name) + ", corner " + std::to_string(corner));
    }
}

// Around (0, 0): a right angle mapped with u along +x, and half a right angle whose u runs along (1, 1).
// The two share the vertices at (0, 0) and (0, 1); `copied` gives each triangle vertices of its own, alike.
Mesh twoAnglesAroundTheOrigin(bool copied)
{
    Mesh mesh;
    unsigned int origin = mesh.addVertex({0, 0, 0}, {0, 0});
    unsigned int top = mesh.addVertex({0, 1, 0}, {0, 1});
    mesh.addTriangle(origin, mesh.addVertex({1, 0, 0}, {1, 0}), top);
    if (copied)
    {
        origin = mesh.addVertex({0, 0, 0}, {0, 0});
        top = mesh.addVertex({0, 1, 0}, {0, 1});
    }
    mesh.addTriangle(origin, top, mesh.addVertex({-1, 1, 0}, {-1, 2}));
    return mesh;
}

TEST(GltfTangents, CornersOfOneVertexAverageTheirTangentsWeightedByTheirAngles)
{
    const float halfDiagonal = std::sqrt(0.5f);
    const Tangent atOrigin = normalized(pi / 2 + pi / 4 * halfDiagonal, pi / 4 * halfDiagonal, 1);
    const Tangent atTop = normalized(pi / 4 + pi / 2 * halfDiagonal, pi / 2 * halfDiagonal, 1);
    for (bool copied : {false, true})
    {
        Mesh mesh = twoAnglesAroundTheOrigin(copied);
        TangentFrames frames = mesh.tangents();
        expectCopiesOfTheVertices(mesh, frames);
        EXPECT_EQ(frames.sourceVertex.size(), mesh.vertexCount());
        std::string how = copied ? "copied vertices" : "shared vertices";
        for (unsigned int corner : {0u, 3u})
            expectTangent(tangentOf(frames, frames.indices[corner]), atOrigin, how + ", origin's corner");
        for (unsigned int corner : {2u, 4u})
            expectTangent(tangentOf(frames, frames.indices[corner]), atTop, how + ", top's corner");
        expectTangent(tangentOf(frames, frames.indices[1]), {1, 0, 0, 1}, how + ", the right angle's own corner");
        expectTangent(tangentOf(frames, frames.indices[5]), normalized(1, 1, 1), how + ", the other's own corner");
    }
}

// A sphere of radius 1 mapped with u around +y and v from the south pole up, its seam and its poles
// made of vertices of their own; the triangles at the poles have two corners at the pole.
Mesh uvSphere(int rings, int segments)
{
    Mesh mesh;
    for (int ring = 0; ring <= rings; ++ring)
        for (int segment = 0; segment <= segments; ++segment)
        {
            float polar = pi * float(ring) / float(rings), around = 2 * pi * float(segment) / float(segments);
            float fromAxis = ring == 0 || ring == rings ? 0 : std::sin(polar);
            Point position{fromAxis * std::cos(around), std::cos(polar), -fromAxis * std::sin(around)};
            mesh.addVertex(position, {float(segment) / float(segments), 1 - float(ring) / float(rings)}, position);
        }
    auto vertexAt = [segments](int ring, int segment) { return unsigned(ring * (segments + 1) + segment); };
    for (int ring = 0; ring < rings; ++ring)
        for (int segment = 0; segment < segments; ++segment)
        {
            unsigned int upperLeft = vertexAt(ring, segment), upperRight = vertexAt(ring, segment + 1);
            unsigned int lowerLeft = vertexAt(ring + 1, segment), lowerRight = vertexAt(ring + 1, segment + 1);
            mesh.addTriangle(lowerLeft, lowerRight, upperRight);
            mesh.addTriangle(lowerLeft, upperRight, upperLeft);
        }
    return mesh;
}

TEST(GltfTangents, ASphereGetsUnitTangentsAcrossItsNormalsAlongItsU)
{
    const int rings = 8, segments = 16;
    Mesh sphere = uvSphere(rings, segments);
    TangentFrames frames = sphere.tangents();
    expectCopiesOfTheVertices(sphere, frames);
    expectSoundTangents(sphere, frames);
    EXPECT_EQ(frames.sourceVertex.size(), sphere.vertexCount());
    for (std::size_t copy = 0; copy < frames.sourceVertex.size(); ++copy)
    {
        unsigned int vertex = frames.sourceVertex[copy];
        int ring = int(vertex) / (segments + 1);
        float around = 2 * pi * float(int(vertex) % (segments + 1)) / float(segments);
        Tangent tangent = tangentOf(frames, static_cast<unsigned int>(copy));
        EXPECT_EQ(tangent[3], 1.0f) << "vertex " << vertex;
        // A facet's u runs along a chord, which leans from the tangents at its ends by half a segment (11
        // degrees); at the seam no chord on the other side evens that out.
        if (ring > 0 && ring < rings)
        {
            EXPECT_GT(-tangent[0] * std::sin(around) - tangent[2] * std::cos(around), 0.97f) << "vertex " << vertex;
        }
    }
}

// A triangle in z = 0 facing +z, mapped with u along +x, which `spoil` may change.
Mesh triangle(void (*spoil)(Mesh&))
{
    Mesh mesh;
    mesh.addVertex({0, 0, 0}, {0, 0});
    mesh.addVertex({1, 0, 0}, {1, 0});
    mesh.addVertex({0, 1, 0}, {0, 1});
    mesh.addTriangle(0, 1, 2);
    spoil(mesh);
    return mesh;
}

TEST(GltfTangents, DegenerateAndNonFiniteTrianglesGetUnitTangentsAcrossTheirNormals)
{
    struct SpoiltCase
    {
        const char* name;
        void (*spoil)(Mesh&);
    };
    const SpoiltCase cases[] = {
        {"all corners at one place", [](Mesh& mesh) { mesh.positions.assign(9, 0.5f); }},
        {"one texture coordinate at every corner", [](Mesh& mesh) { mesh.texCoords.assign(6, 0.5f); }},
        {"texture coordinates on a line", [](Mesh& mesh) { mesh.texCoords = {0, 0, 1, 1, 2, 2}; }},
        {"corners on a line", [](Mesh& mesh) { mesh.positions = {0, 0, 0, 1, 0, 0, 2, 0, 0}; }},
        {"one index twice", [](Mesh& mesh) { mesh.indices = {0, 0, 1}; }},
        {"three triangles on one edge",
         [](Mesh& mesh) {
             mesh.addTriangle(1, 0, mesh.addVertex({0.5f, -1, 0}, {0.5f, -1}));
             mesh.addTriangle(1, 0, mesh.addVertex({0.5f, -1, 1}, {0.5f, -1}));
         }},
        {"a NaN position", [](Mesh& mesh) { mesh.positions[4] = nan; }},
        {"NaN everywhere",
         [](Mesh& mesh) {
             mesh.positions.assign(9, nan);
             mesh.normals.assign(9, nan);
             mesh.texCoords.assign(6, nan);
         }},
        {"zero normals", [](Mesh& mesh) { mesh.normals.assign(9, 0); }},
        {"a NaN normal", [](Mesh& mesh) { mesh.normals[3] = nan; }},
        {"a NaN texture coordinate", [](Mesh& mesh) { mesh.texCoords[3] = nan; }},
        {"coordinates near the largest float",
         [](Mesh& mesh) { mesh.positions = {-3e38f, -3e38f, 0, 3e38f, -3e38f, 0, -3e38f, 3e38f, 0}; }},
        {"an infinite coordinate",
         [](Mesh& mesh) { mesh.positions[3] = std::numeric_limits<float>::infinity(); }},
    };
    for (const SpoiltCase& spoilt : cases)
    {
        SCOPED_TRACE(spoilt.name);
        Mesh mesh = triangle(spoilt.spoil);
        TangentFrames frames = mesh.tangents();
        expectCopiesOfTheVertices(mesh, frames);
        expectSoundTangents(mesh, frames);
        for (std::size_t copy = 0; copy < frames.sourceVertex.size(); ++copy)
            EXPECT_EQ(tangentOf(frames, static_cast<unsigned int>(copy))[3], 1.0f) << "copy " << copy;
    }
}

TEST(GltfTangents, ADegenerateTriangleOnAMappedVertexTakesItsTangent)
{
    Mesh mesh = quad({{{0, 0}, {1, 0}, {0, 1}, {1, 1}}});
    mesh.addTriangle(1, 3, 3);
    mesh.addTriangle(2, 2, 2);
    TangentFrames frames = mesh.tangents();
    EXPECT_EQ(frames.indices, mesh.indices);
    EXPECT_EQ(frames.sourceVertex, (std::vector<unsigned int>{0, 1, 2, 3}));
    for (unsigned int copy = 0; copy < 4; ++copy)
        expectTangent(tangentOf(frames, copy), {1, 0, 0, 1}, "copy " + std::to_string(copy));
}

// Beside a square mirrored in u, a square whose texture coordinates lie on a line, listed first; only
// one of its triangles shares an edge with the mirrored square.
TEST(GltfTangents, TrianglesWithoutAMappingTakeTheirNeighboursTangentsWhereTheyMeetThem)
{
    Mesh mirrored = quad({{{1, 0}, {0, 0}, {1, 1}, {0, 1}}});
    std::vector<unsigned int> squareIndices = mirrored.indices;
    unsigned int lowerRight = mirrored.addVertex({2, 0, 0}, {0, 0}), upperRight = mirrored.addVertex({2, 1, 0}, {0, 1});
    mirrored.indices = {1, lowerRight, upperRight, 1, upperRight, 3};
    mirrored.indices.insert(mirrored.indices.end(), squareIndices.begin(), squareIndices.end());
    TangentFrames frames = mirrored.tangents();
    EXPECT_EQ(frames.indices, mirrored.indices);
    for (unsigned int copy = 0; copy < 4; ++copy)
        expectTangent(tangentOf(frames, copy), {-1, 0, 0, -1}, "copy " + std::to_string(copy));
    for (unsigned int copy : {lowerRight, upperRight})
        expectTangent(tangentOf(frames, copy), {1, 0, 0, 1}, "copy " + std::to_string(copy) + ", no mapped corner");
}

TEST(GltfTangents, VerticesNoTriangleUsesAreKeptWithATangentAcrossTheirNormal)
{
    Mesh mapped = quad({{{0, 0}, {1, 0}, {0, 1}, {1, 1}}});
    mapped.addVertex({5, 5, 5}, {0, 0}, {1, 0, 0});
    Mesh withoutTriangles = mapped;
    withoutTriangles.indices.clear();
    for (const Mesh& mesh : {mapped, withoutTriangles})
    {
        TangentFrames frames = mesh.tangents();
        expectCopiesOfTheVertices(mesh, frames);
        expectSoundTangents(mesh, frames);
        EXPECT_EQ(frames.sourceVertex, (std::vector<unsigned int>{0, 1, 2, 3, 4}));
    }
}

TEST(GltfTangents, AnEmptyMeshHasNoTangents)
{
    TangentFrames frames = Mesh().tangents();
    EXPECT_TRUE(frames.sourceVertex.empty());
    EXPECT_TRUE(frames.indices.empty());
    EXPECT_TRUE(frames.tangents.empty());
}

// `count` triangles around the origin, each with its own rim vertex; `alternating` mirrors every other one,
// so that each corner at the origin stands alone.
Mesh fan(unsigned int count, bool alternating)
{
    Mesh mesh;
    unsigned int centre = mesh.addVertex({0, 0, 0}, {0, 0});
    for (unsigned int rim = 0; rim < count; ++rim)
    {
        float angle = 2 * pi * float(rim) / float(count);
        Point position{std::cos(angle), std::sin(angle), 0};
        TexCoord mirrored{float(rim % 2), float(1 - rim % 2)};
        mesh.addVertex(position, alternating ? mirrored : TexCoord{position[0], position[1]});
    }
    for (unsigned int rim = 0; rim < count; ++rim)
        mesh.addTriangle(centre, 1 + rim, 1 + (rim + 1) % count);
    return mesh;
}

TEST(GltfTangents, AVertexOfAHundredThousandTrianglesIsAveragedOrSplitAsOneVertex)
{
    const unsigned int count = 100000;
    Mesh smooth = fan(count, false);
    TangentFrames frames = smooth.tangents();
    expectCopiesOfTheVertices(smooth, frames);
    EXPECT_EQ(frames.sourceVertex.size(), smooth.vertexCount());
    expectTangent(tangentOf(frames, 0), {1, 0, 0, 1}, "the centre");

    Mesh alternating = fan(count, true);
    frames = alternating.tangents();
    expectCopiesOfTheVertices(alternating, frames);
    expectSoundTangents(alternating, frames);
    EXPECT_EQ(frames.sourceVertex.size(), alternating.indices.size());
}
}
