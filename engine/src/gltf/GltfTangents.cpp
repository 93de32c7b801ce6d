#include "gltf/GltfTangents.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>

namespace Pellux::Gltf
{

namespace
{
constexpr unsigned int none = ~0u;
// Corner tangents this near to opposite directions are not averaged: they would cancel out.
constexpr float opposedCosine = -1.0f + 1e-5f;

struct Vec3
{
    float x = 0, y = 0, z = 0;
};

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(float scale, Vec3 v) { return {scale * v.x, scale * v.y, scale * v.z}; }
bool operator==(Vec3 a, Vec3 b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The length in double, so that coordinates near the largest floats still give a direction; zero when there
// is none (zero, infinite or NaN).
Vec3 unitOrZero(Vec3 v)
{
    double length = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
    if (!(length > 0) || !std::isfinite(length))
        return {};
    double inverse = 1 / length;
    return {float(v.x * inverse), float(v.y * inverse), float(v.z * inverse)};
}

// `v` without its part along the unit, or zero, `normal`.
Vec3 alongSurface(Vec3 v, Vec3 normal)
{
    return v - dot(normal, v) * normal;
}

// A unit vector perpendicular to the unit `normal`, from the axis furthest from it; (1, 0, 0) for a zero normal.
Vec3 perpendicularTo(Vec3 normal)
{
    Vec3 axis = std::fabs(normal.x) < 0.6f ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
    return unitOrZero(alongSurface(axis, normal));
}

unsigned int nextInTriangle(unsigned int corner)
{
    return corner % 3 == 2 ? corner - 2 : corner + 1;
}

unsigned int previousInTriangle(unsigned int corner)
{
    return corner % 3 == 0 ? corner + 2 : corner - 1;
}

// A coordinate's bits, with -0 as 0 since the two compare equal.
std::uint32_t bitsOf(float value)
{
    if (value == 0)
        value = 0;
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// What one triangle's texture mapping says about the surface.
struct TriangleFrame
{
    Vec3 tangent;   // unit, where u grows
    Vec3 bitangent; // unit, where v grows
    bool keepsWinding = true;
    // No usable mapping (zero area in texture space): its corners join their neighbours' and add nothing.
    bool unmapped = false;
    // Two corners at one place: left out of the fans, it takes what its vertices get from other triangles.
    bool degenerate = false;
};

// A corner's part in its vertex's average.
struct CornerFrame
{
    Vec3 tangent;
    Vec3 bitangent;
    float angle;
    unsigned int corner;
};

// Neither the tangents nor the bitangents of the two corners are opposed.
bool averagedTogether(const CornerFrame& a, const CornerFrame& b)
{
    return dot(a.tangent, b.tangent) > opposedCosine && dot(a.bitangent, b.bitangent) > opposedCosine;
}

struct Tangent
{
    Vec3 direction;
    float handedness;
};

// A triangle's edge from `corner` to the next corner, kept with the lower of its welded ends: the higher
// end, and whether the edge runs from it.
struct HalfEdge
{
    unsigned int higherEnd;
    bool backwards;
    unsigned int corner;
};

bool operator<(const HalfEdge& a, const HalfEdge& b)
{
    if (a.higherEnd != b.higherEnd)
        return a.higherEnd < b.higherEnd;
    if (a.backwards != b.backwards)
        return b.backwards;
    return a.corner < b.corner;
}

// One run of the method over a mesh.
class TangentBuilder
{
public:
    explicit TangentBuilder(const TangentInput& mesh);

    TangentFrames build();

private:
    using HalfEdgeIterator = std::vector<HalfEdge>::iterator;

    Vec3 positionOf(unsigned int vertex) const;
    std::uint64_t hashOf(unsigned int vertex) const;
    bool sameVertex(unsigned int a, unsigned int b) const;
    unsigned int weldedAt(unsigned int corner) const { return weldedVertex[mesh.indices[corner]]; }

    void weldVertices();
    void frameTriangles();
    void pairEdges();
    void pairBucket(HalfEdgeIterator first, HalfEdgeIterator end);
    void orientUnmappedTriangles();
    void groupCorners();
    void gatherFan(unsigned int start, bool keepsWinding);
    bool joinsFan(unsigned int corner, bool keepsWinding) const;
    unsigned int acrossOutgoingEdge(unsigned int corner) const;
    unsigned int acrossIncomingEdge(unsigned int corner) const;
    void averageFan(bool keepsWinding);
    CornerFrame cornerFrame(unsigned int corner) const;
    unsigned int addTangent(Vec3 sum, bool keepsWinding, unsigned int vertex);
    void placeDegenerateCorners();
    TangentFrames splitVertices() const;

    const TangentInput& mesh;
    std::size_t vertexCount;
    std::size_t cornerCount;
    std::vector<Vec3> unitNormals;
    // For each vertex, the first vertex with the same position, normal and texture coordinates.
    std::vector<unsigned int> weldedVertex;
    std::vector<TriangleFrame> triangles;
    // For each corner, the edge from it to the next corner, paired with the same edge run the other way in a
    // neighbouring triangle: named by that edge's first corner.
    std::vector<unsigned int> neighbour;
    std::vector<Tangent> tangents;
    std::vector<unsigned int> cornerTangent;
    // For each welded vertex, the first tangent it got.
    std::vector<unsigned int> firstTangentOf;
    // The corners of the fan at hand, and the frames of those with a usable mapping: kept between fans.
    std::vector<unsigned int> fan;
    std::vector<CornerFrame> fanFrames;
};

TangentBuilder::TangentBuilder(const TangentInput& mesh)
    : mesh(mesh),
      vertexCount(std::min({mesh.positions.size() / 3, mesh.normals.size() / 3, mesh.texCoords.size() / 2})),
      cornerCount(mesh.indices.size() / 3 * 3)
{
}

TangentFrames TangentBuilder::build()
{
    unitNormals.resize(vertexCount);
    for (std::size_t vertex = 0; vertex < vertexCount; ++vertex)
    {
        const float* normal = mesh.normals.data() + 3 * vertex;
        unitNormals[vertex] = unitOrZero({normal[0], normal[1], normal[2]});
    }
    weldVertices();
    frameTriangles();
    pairEdges();
    orientUnmappedTriangles();
    groupCorners();
    placeDegenerateCorners();
    return splitVertices();
}

Vec3 TangentBuilder::positionOf(unsigned int vertex) const
{
    const float* position = mesh.positions.data() + 3 * std::size_t(vertex);
    return {position[0], position[1], position[2]};
}

std::uint64_t TangentBuilder::hashOf(unsigned int vertex) const
{
    const float* position = mesh.positions.data() + 3 * std::size_t(vertex);
    const float* normal = mesh.normals.data() + 3 * std::size_t(vertex);
    const float* texCoord = mesh.texCoords.data() + 2 * std::size_t(vertex);
    std::uint64_t hash = 0;
    for (float value : {position[0], position[1], position[2], normal[0], normal[1], normal[2], texCoord[0],
                        texCoord[1]})
        hash = (hash ^ bitsOf(value)) * 0x100000001b3u;
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdu;
    return hash ^ (hash >> 33);
}

// Compared by bits, so that a vertex with a NaN is still the same as its copies.
bool TangentBuilder::sameVertex(unsigned int a, unsigned int b) const
{
    auto sameFloats = [a, b](const std::vector<float>& values, std::size_t width) {
        for (std::size_t component = 0; component < width; ++component)
            if (bitsOf(values[a * width + component]) != bitsOf(values[b * width + component]))
                return false;
        return true;
    };
    return sameFloats(mesh.positions, 3) && sameFloats(mesh.normals, 3) && sameFloats(mesh.texCoords, 2);
}

void TangentBuilder::weldVertices()
{
    std::size_t slotCount = 1;
    while (slotCount < 2 * vertexCount)
        slotCount *= 2;
    std::vector<unsigned int> slots(slotCount, none);
    weldedVertex.resize(vertexCount);
    for (unsigned int vertex = 0; vertex < vertexCount; ++vertex)
    {
        std::size_t slot = hashOf(vertex) & (slotCount - 1);
        while (slots[slot] != none && !sameVertex(slots[slot], vertex))
            slot = (slot + 1) & (slotCount - 1);
        if (slots[slot] == none)
            slots[slot] = vertex;
        weldedVertex[vertex] = slots[slot];
    }
}

void TangentBuilder::frameTriangles()
{
    triangles.resize(cornerCount / 3);
    for (std::size_t triangle = 0; triangle < triangles.size(); ++triangle)
    {
        const unsigned int* corner = mesh.indices.data() + 3 * triangle;
        Vec3 p0 = positionOf(corner[0]), p1 = positionOf(corner[1]), p2 = positionOf(corner[2]);
        const float* uv0 = mesh.texCoords.data() + 2 * std::size_t(corner[0]);
        const float* uv1 = mesh.texCoords.data() + 2 * std::size_t(corner[1]);
        const float* uv2 = mesh.texCoords.data() + 2 * std::size_t(corner[2]);
        unsigned int w0 = weldedVertex[corner[0]], w1 = weldedVertex[corner[1]], w2 = weldedVertex[corner[2]];

        TriangleFrame& frame = triangles[triangle];
        frame.degenerate = w0 == w1 || w1 == w2 || w2 == w0 || p0 == p1 || p1 == p2 || p2 == p0;
        Vec3 edge1 = p1 - p0, edge2 = p2 - p0;
        float du1 = uv1[0] - uv0[0], dv1 = uv1[1] - uv0[1];
        float du2 = uv2[0] - uv0[0], dv2 = uv2[1] - uv0[1];
        // Twice the triangle's signed area in texture space; the growth of u and v across the triangle,
        // scaled by it.
        float area = du1 * dv2 - du2 * dv1;
        float orientation = area > 0 ? 1.0f : -1.0f;
        frame.tangent = unitOrZero(orientation * (dv2 * edge1 - dv1 * edge2));
        frame.bitangent = unitOrZero(orientation * (du1 * edge2 - du2 * edge1));
        frame.unmapped = !(std::fabs(area) > FLT_MIN) || frame.tangent == Vec3{} || frame.bitangent == Vec3{};
        frame.keepsWinding = frame.unmapped || area > 0;
    }
}

// The half-edges are bucketed by their lower end, which keeps the sorting to the few edges of each vertex.
void TangentBuilder::pairEdges()
{
    std::vector<unsigned int> bucketStart(vertexCount + 1, 0);
    for (unsigned int corner = 0; corner < cornerCount; ++corner)
        if (!triangles[corner / 3].degenerate)
            ++bucketStart[std::min(weldedAt(corner), weldedAt(nextInTriangle(corner))) + 1];
    std::partial_sum(bucketStart.begin(), bucketStart.end(), bucketStart.begin());
    std::vector<HalfEdge> halfEdges(bucketStart.back());
    std::vector<unsigned int> bucketEnd(bucketStart.begin(), bucketStart.end() - 1);
    for (unsigned int corner = 0; corner < cornerCount; ++corner)
    {
        if (triangles[corner / 3].degenerate)
            continue;
        unsigned int from = weldedAt(corner), to = weldedAt(nextInTriangle(corner));
        halfEdges[bucketEnd[std::min(from, to)]++] = {std::max(from, to), from > to, corner};
    }

    neighbour.assign(cornerCount, none);
    for (std::size_t vertex = 0; vertex < vertexCount; ++vertex)
    {
        auto bucket = halfEdges.begin() + bucketStart[vertex], end = halfEdges.begin() + bucketStart[vertex + 1];
        std::sort(bucket, end);
        pairBucket(bucket, end);
    }
}

// The sorted edges from one lower end: each run of one higher end holds the edges run forwards, then those
// run backwards. Where more than two triangles meet at an edge, the two kinds are paired in turn.
void TangentBuilder::pairBucket(HalfEdgeIterator first, HalfEdgeIterator end)
{
    while (first != end)
    {
        unsigned int higherEnd = first->higherEnd;
        HalfEdgeIterator backwards = first;
        while (backwards != end && backwards->higherEnd == higherEnd && !backwards->backwards)
            ++backwards;
        HalfEdgeIterator runEnd = backwards;
        while (runEnd != end && runEnd->higherEnd == higherEnd)
            ++runEnd;
        for (HalfEdgeIterator forward = first, backward = backwards; forward != backwards && backward != runEnd;
             ++forward, ++backward)
        {
            neighbour[forward->corner] = backward->corner;
            neighbour[backward->corner] = forward->corner;
        }
        first = runEnd;
    }
}

// Triangles without a usable mapping take the winding of the nearest mapped triangle across shared edges, so
// that they part no fan.
void TangentBuilder::orientUnmappedTriangles()
{
    std::vector<bool> oriented(triangles.size(), false);
    // Mapped triangles first, then unmapped ones as they take a winding.
    std::vector<unsigned int> reached;
    reached.reserve(triangles.size());
    for (unsigned int triangle = 0; triangle < triangles.size(); ++triangle)
        if (!triangles[triangle].unmapped)
        {
            oriented[triangle] = true;
            reached.push_back(triangle);
        }
    for (std::size_t next = 0; next < reached.size(); ++next)
    {
        unsigned int triangle = reached[next];
        for (unsigned int edge = 3 * triangle; edge < 3 * triangle + 3; ++edge)
        {
            unsigned int across = neighbour[edge];
            if (across == none || oriented[across / 3])
                continue;
            triangles[across / 3].keepsWinding = triangles[triangle].keepsWinding;
            oriented[across / 3] = true;
            reached.push_back(across / 3);
        }
    }
}

void TangentBuilder::groupCorners()
{
    cornerTangent.assign(cornerCount, none);
    firstTangentOf.assign(vertexCount, none);
    for (unsigned int corner = 0; corner < cornerCount; ++corner)
    {
        const TriangleFrame& frame = triangles[corner / 3];
        if (frame.degenerate || cornerTangent[corner] != none)
            continue;
        gatherFan(corner, frame.keepsWinding);
        averageFan(frame.keepsWinding);
    }
}

// The corners around `start`'s vertex that are reached across shared edges, one way round and then the
// other, until an edge is open or the winding of the mapping turns over.
void TangentBuilder::gatherFan(unsigned int start, bool keepsWinding)
{
    fan.clear();
    fan.push_back(start);
    unsigned int corner = start;
    while ((corner = acrossOutgoingEdge(corner)) != none && corner != start && joinsFan(corner, keepsWinding))
        fan.push_back(corner);
    if (corner == start)
        return;
    corner = start;
    while ((corner = acrossIncomingEdge(corner)) != none && joinsFan(corner, keepsWinding))
        fan.push_back(corner);
}

bool TangentBuilder::joinsFan(unsigned int corner, bool keepsWinding) const
{
    return cornerTangent[corner] == none && triangles[corner / 3].keepsWinding == keepsWinding;
}

// The same vertex's corner in the triangle across the edge from `corner` to the next one.
unsigned int TangentBuilder::acrossOutgoingEdge(unsigned int corner) const
{
    unsigned int across = neighbour[corner];
    return across == none ? none : nextInTriangle(across);
}

// The same vertex's corner in the triangle across the edge from the previous corner to `corner`.
unsigned int TangentBuilder::acrossIncomingEdge(unsigned int corner) const
{
    return neighbour[previousInTriangle(corner)];
}

// Splits the fan where tangents are opposed: each part averages its mapped corners. Unmapped corners take
// the first part's tangent.
void TangentBuilder::averageFan(bool keepsWinding)
{
    fanFrames.clear();
    for (unsigned int corner : fan)
        if (!triangles[corner / 3].unmapped)
            fanFrames.push_back(cornerFrame(corner));
    unsigned int vertex = mesh.indices[fan.front()];
    unsigned int firstTangent = none;
    // Each part is the first corner still waiting and those not opposed to it, which includes itself: its
    // tangent and bitangent are unit or zero.
    auto waitingEnd = fanFrames.end();
    while (waitingEnd != fanFrames.begin())
    {
        const CornerFrame first = fanFrames.front();
        auto part = std::partition(fanFrames.begin(), waitingEnd,
                                   [&first](const CornerFrame& frame) { return !averagedTogether(first, frame); });
        Vec3 sum;
        for (auto frame = part; frame != waitingEnd; ++frame)
            sum = sum + frame->angle * frame->tangent;
        unsigned int tangent = addTangent(sum, keepsWinding, vertex);
        for (auto frame = part; frame != waitingEnd; ++frame)
            cornerTangent[frame->corner] = tangent;
        if (firstTangent == none)
            firstTangent = tangent;
        waitingEnd = part;
    }
    if (firstTangent == none)
        firstTangent = addTangent({}, keepsWinding, vertex);
    for (unsigned int corner : fan)
        if (triangles[corner / 3].unmapped)
            cornerTangent[corner] = firstTangent;
}

// The triangle's tangent and bitangent made perpendicular to the corner's normal, and the angle between the
// corner's edges seen along the normal.
CornerFrame TangentBuilder::cornerFrame(unsigned int corner) const
{
    const TriangleFrame& triangle = triangles[corner / 3];
    unsigned int vertex = mesh.indices[corner];
    Vec3 normal = unitNormals[vertex];
    Vec3 position = positionOf(vertex);
    Vec3 toNext = unitOrZero(alongSurface(positionOf(mesh.indices[nextInTriangle(corner)]) - position, normal));
    Vec3 toPrevious = unitOrZero(alongSurface(positionOf(mesh.indices[previousInTriangle(corner)]) - position, normal));
    float angle = std::acos(std::clamp(dot(toNext, toPrevious), -1.0f, 1.0f));
    return {unitOrZero(alongSurface(triangle.tangent, normal)), unitOrZero(alongSurface(triangle.bitangent, normal)),
            angle, corner};
}

// A tangent along `sum`, or, when it has no direction, any perpendicular to the vertex's normal with w = +1.
unsigned int TangentBuilder::addTangent(Vec3 sum, bool keepsWinding, unsigned int vertex)
{
    Vec3 direction = unitOrZero(sum);
    if (direction == Vec3{})
        tangents.push_back({perpendicularTo(unitNormals[vertex]), 1.0f});
    else
        tangents.push_back({direction, keepsWinding ? 1.0f : -1.0f});
    unsigned int tangent = unsigned(tangents.size() - 1);
    unsigned int welded = weldedVertex[vertex];
    if (firstTangentOf[welded] == none)
        firstTangentOf[welded] = tangent;
    return tangent;
}

// A degenerate triangle's corner takes the first tangent of its vertex from other triangles.
void TangentBuilder::placeDegenerateCorners()
{
    for (unsigned int corner = 0; corner < cornerCount; ++corner)
    {
        if (!triangles[corner / 3].degenerate)
            continue;
        unsigned int vertex = mesh.indices[corner];
        unsigned int tangent = firstTangentOf[weldedVertex[vertex]];
        cornerTangent[corner] = tangent != none ? tangent : addTangent({}, true, vertex);
    }
}

// One copy of each vertex for each tangent its corners got, in the vertices' order; one for an unused vertex.
TangentFrames TangentBuilder::splitVertices() const
{
    // Each vertex's corners in order, as a list through `nextCorner`.
    std::vector<unsigned int> firstCorner(vertexCount, none);
    std::vector<unsigned int> nextCorner(cornerCount);
    for (unsigned int corner = unsigned(cornerCount); corner-- > 0;)
    {
        unsigned int vertex = mesh.indices[corner];
        nextCorner[corner] = firstCorner[vertex];
        firstCorner[vertex] = corner;
    }

    TangentFrames frames;
    frames.sourceVertex.reserve(vertexCount);
    frames.tangents.reserve(4 * vertexCount);
    frames.indices.resize(cornerCount);
    auto addCopy = [&frames](unsigned int vertex, const Tangent& tangent) {
        frames.sourceVertex.push_back(vertex);
        frames.tangents.insert(frames.tangents.end(),
                               {tangent.direction.x, tangent.direction.y, tangent.direction.z, tangent.handedness});
        return unsigned(frames.sourceVertex.size() - 1);
    };
    // For each tangent, the last vertex that took a copy with it, and that copy.
    std::vector<unsigned int> copiedFor(tangents.size(), none);
    std::vector<unsigned int> copy(tangents.size());
    for (unsigned int vertex = 0; vertex < vertexCount; ++vertex)
    {
        if (firstCorner[vertex] == none)
            addCopy(vertex, {perpendicularTo(unitNormals[vertex]), 1.0f});
        for (unsigned int corner = firstCorner[vertex]; corner != none; corner = nextCorner[corner])
        {
            unsigned int tangent = cornerTangent[corner];
            if (copiedFor[tangent] != vertex)
            {
                copiedFor[tangent] = vertex;
                copy[tangent] = addCopy(vertex, tangents[tangent]);
            }
            frames.indices[corner] = copy[tangent];
        }
    }
    return frames;
}
}

TangentFrames computeTangents(const TangentInput& mesh)
{
    return TangentBuilder(mesh).build();
}

}
