#include "collada/ColladaNormals.h"

#include <cmath>

namespace Pellux::Collada
{

namespace
{
// Sums in double: coordinates near the largest floats still give a finite direction.
struct Sum
{
    double x = 0, y = 0, z = 0;
};

// For each vertex the accumulator it adds to: one per position index used, one of its own for a
// vertex without a position index.
std::vector<std::size_t> accumulatorsOf(const std::vector<unsigned int>& positionIndices, std::size_t& count)
{
    unsigned int largest = 0;
    for (unsigned int index : positionIndices)
        if (index != noPosition && index > largest)
            largest = index;
    const std::size_t none = ~std::size_t(0);
    std::vector<std::size_t> byPosition(positionIndices.empty() ? 0 : std::size_t(largest) + 1, none);
    std::vector<std::size_t> accumulators(positionIndices.size());
    count = 0;
    for (std::size_t vertex = 0; vertex < positionIndices.size(); ++vertex)
    {
        unsigned int index = positionIndices[vertex];
        if (index == noPosition)
            accumulators[vertex] = count++;
        else
        {
            if (byPosition[index] == none)
                byPosition[index] = count++;
            accumulators[vertex] = byPosition[index];
        }
    }
    return accumulators;
}

Sum crossOfTriangle(const float* a, const float* b, const float* c)
{
    double u[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
    double v[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
    return {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
}
}

VertexArray smoothNormals(const VertexArray& positions, const std::vector<unsigned int>& positionIndices)
{
    VertexArray normals;
    normals.semantic = VertexSemantic::Normal;
    normals.components = componentCount(normals.semantic);
    std::size_t vertices = positionIndices.size();
    if (positions.components != 3 || positions.values.size() < vertices * 3)
        return normals;
    std::size_t count = 0;
    std::vector<std::size_t> accumulators = accumulatorsOf(positionIndices, count);
    std::vector<Sum> sums(count);
    for (std::size_t first = 0; first + 3 <= vertices; first += 3)
    {
        const float* corner = positions.values.data() + first * 3;
        Sum cross = crossOfTriangle(corner, corner + 3, corner + 6);
        for (std::size_t vertex = first; vertex < first + 3; ++vertex)
        {
            Sum& sum = sums[accumulators[vertex]];
            sum.x += cross.x;
            sum.y += cross.y;
            sum.z += cross.z;
        }
    }
    normals.values.reserve(vertices * 3);
    for (std::size_t vertex = 0; vertex < vertices; ++vertex)
    {
        const Sum& sum = sums[accumulators[vertex]];
        double length = std::sqrt(sum.x * sum.x + sum.y * sum.y + sum.z * sum.z);
        if (length > 0 && std::isfinite(length))
            normals.values.insert(normals.values.end(), {float(sum.x / length), float(sum.y / length), float(sum.z / length)});
        else
            normals.values.insert(normals.values.end(), {0.0f, 1.0f, 0.0f});
    }
    return normals;
}

}
