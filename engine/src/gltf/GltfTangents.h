#pragma once

#include <vector>

namespace Pellux::Gltf
{

// A triangle list: 3 floats of position and of normal and 2 of texture coordinates per vertex, 3 indices per
// triangle. The vertices are as many as the shortest of the three arrays describes, and every index names one
// of them; indices after the last whole triangle are left out.
struct TangentInput
{
    const std::vector<float>& positions;
    const std::vector<float>& normals;
    const std::vector<float>& texCoords;
    const std::vector<unsigned int>& indices;
};

// The vertices after splitting those whose corners need different tangents: each vertex names the vertex it
// copies, the triangles are re-indexed, and each vertex has a tangent (x, y, z, handedness w). A vertex whose
// corners agree stays one vertex, in the order of the vertices it copies; vertices no triangle uses are kept.
struct TangentFrames
{
    std::vector<unsigned int> sourceVertex;
    std::vector<unsigned int> indices;
    std::vector<float> tangents;
};

// Tangents by the MikkTSpace method, as normal maps are baked with. Each triangle's texture mapping gives the
// directions in which u and v grow, and its handedness: whether the mapping keeps the triangle's winding, so
// that the bitangent is w * cross(normal, tangent). Corners of one vertex (same position, normal and texture
// coordinates) that lie around it across shared edges, with one handedness and tangents not opposed, average
// their tangents, each made perpendicular to the normal and weighted by the corner's angle. A corner without a
// usable mapping takes its neighbours' tangent, or else any unit vector perpendicular to its normal, w = +1.
TangentFrames computeTangents(const TangentInput& mesh);

}
