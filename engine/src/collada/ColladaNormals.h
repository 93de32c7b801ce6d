#pragma once

#include "pellux/collada/ColladaDocument.h"

#include <vector>

namespace Pellux::Collada
{

// Smooth normals for a primitive whose vertices, three by three, are triangles: the normal of a
// position is the sum of the cross products of the triangles around it, which weighs each by its
// area, made unit length. Vertices with one position index share its normal; a vertex without one
// takes its own triangle's. A sum without direction (no triangle, or only degenerate ones) gives
// (0, 1, 0).
VertexArray smoothNormals(const VertexArray& positions, const std::vector<unsigned int>& positionIndices);

}
