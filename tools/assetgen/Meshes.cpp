#include "Meshes.h"

#include <algorithm>
#include <map>
#include <utility>

namespace AssetGen
{

namespace
{
// Any unit vector at right angles to `v`.
Vec3 perpendicular(const Vec3& v)
{
    Vec3 other = std::fabs(v.z) < 0.9 ? Vec3(0, 0, 1) : Vec3(1, 0, 0);
    return cross(v, other).normalized();
}

Corner flatCorner(const Vec3& position, const Vec3& normal, const Vec3& tangent, const Vec3& binormal, TexCoord uv)
{
    return {position, normal, tangent, binormal, uv};
}
}

void Part::addFlat(const Vec3& a, const Vec3& b, const Vec3& c, TexCoord ua, TexCoord ub, TexCoord uc)
{
    Vec3 e1 = b - a, e2 = c - a;
    Vec3 normal = cross(e1, e2).normalized();
    double ds1 = ub.s - ua.s, dt1 = ub.t - ua.t, ds2 = uc.s - ua.s, dt2 = uc.t - ua.t;
    double det = ds1 * dt2 - ds2 * dt1;
    Vec3 tangent = std::fabs(det) > 1e-12 ? (e1 * dt2 - e2 * dt1) * (1 / det) : perpendicular(normal);
    Vec3 binormal = std::fabs(det) > 1e-12 ? (e2 * ds1 - e1 * ds2) * (1 / det) : cross(normal, tangent);
    // Made orthonormal, keeping which way t runs.
    tangent = (tangent - normal * dot(normal, tangent)).normalized();
    Vec3 across = cross(normal, tangent);
    binormal = dot(across, binormal) < 0 ? -across : across;
    addTriangle(flatCorner(a, normal, tangent, binormal, ua), flatCorner(b, normal, tangent, binormal, ub),
                flatCorner(c, normal, tangent, binormal, uc));
}

void Part::addProjectedQuad(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, double tile)
{
    Vec3 normal = cross(b - a, c - a).normalized();
    TexCoord ua = projectedTexCoord(a, normal, tile), ub = projectedTexCoord(b, normal, tile);
    TexCoord uc = projectedTexCoord(c, normal, tile), ud = projectedTexCoord(d, normal, tile);
    addFlat(a, b, c, ua, ub, uc);
    addFlat(a, c, d, ua, uc, ud);
}

void Part::addTwoSided(const Vec3& a, const Vec3& b, const Vec3& c, TexCoord ua, TexCoord ub, TexCoord uc)
{
    addFlat(a, b, c, ua, ub, uc);
    addFlat(a, c, b, ua, uc, ub);
}

Part& Geometry::part(const std::string& symbol)
{
    for (Part& existing : parts)
        if (existing.symbol == symbol)
            return existing;
    parts.push_back({symbol, {}});
    return parts.back();
}

std::size_t Geometry::triangleCount() const
{
    std::size_t count = 0;
    for (const Part& p : parts)
        count += p.corners.size() / 3;
    return count;
}

TexCoord projectedTexCoord(const Vec3& point, const Vec3& normal, double tile)
{
    if (std::fabs(normal.z) > 0.7)
        return {point.x / tile, (normal.z > 0 ? point.y : -point.y) / tile};
    // Seen from outside with Z up, "right" is up x normal.
    Vec3 right = cross(Vec3(0, 0, 1), normal).normalized();
    return {dot(point, right) / tile, point.z / tile};
}

void addBox(Part& part, const Vec3& low, const Vec3& high, double tile)
{
    auto at = [&](int x, int y, int z) {
        return Vec3(x ? high.x : low.x, y ? high.y : low.y, z ? high.z : low.z);
    };
    part.addProjectedQuad(at(0, 0, 0), at(1, 0, 0), at(1, 0, 1), at(0, 0, 1), tile);  // -y
    part.addProjectedQuad(at(1, 1, 0), at(0, 1, 0), at(0, 1, 1), at(1, 1, 1), tile);  // +y
    part.addProjectedQuad(at(0, 1, 0), at(0, 0, 0), at(0, 0, 1), at(0, 1, 1), tile);  // -x
    part.addProjectedQuad(at(1, 0, 0), at(1, 1, 0), at(1, 1, 1), at(1, 0, 1), tile);  // +x
    part.addProjectedQuad(at(0, 0, 1), at(1, 0, 1), at(1, 1, 1), at(0, 1, 1), tile);  // top
    part.addProjectedQuad(at(0, 1, 0), at(1, 1, 0), at(1, 0, 0), at(0, 0, 0), tile);  // bottom
}

void addTube(Part& part, const std::vector<Ring>& rings, int sides, int repeats, double tileLength)
{
    // Each ring's side axes are carried along from the one before, so the tube does not twist.
    std::vector<std::pair<Vec3, Vec3>> axes;
    Vec3 side = perpendicular(rings.front().axis);
    for (const Ring& ring : rings)
    {
        Vec3 axis = ring.axis.normalized();
        side = (side - axis * dot(side, axis)).normalized();
        axes.push_back({side, cross(axis, side)});
    }
    auto corner = [&](std::size_t r, int k) {
        double angle = 2 * pi * k / sides;
        Vec3 radial = axes[r].first * std::cos(angle) + axes[r].second * std::sin(angle);
        Vec3 axis = rings[r].axis.normalized();
        Vec3 tangent = cross(axis, radial);
        return Corner{rings[r].centre + radial * rings[r].radius, radial, tangent, axis,
                      {static_cast<double>(repeats) * k / sides, rings[r].along / tileLength}};
    };
    for (std::size_t r = 0; r + 1 < rings.size(); ++r)
        for (int k = 0; k < sides; ++k)
        {
            Corner a = corner(r, k), b = corner(r, k + 1), c = corner(r + 1, k + 1), d = corner(r + 1, k);
            part.addTriangle(a, b, c);
            part.addTriangle(a, c, d);
        }
}

void addBoulder(Part& part, Random& random, const Vec3& centre, const Vec3& size, double tile)
{
    const double phi = (1 + std::sqrt(5.0)) / 2;
    std::vector<Vec3> points = {{-1, phi, 0}, {1, phi, 0}, {-1, -phi, 0}, {1, -phi, 0}, {0, -1, phi}, {0, 1, phi},
                                {0, -1, -phi}, {0, 1, -phi}, {phi, 0, -1}, {phi, 0, 1}, {-phi, 0, -1}, {-phi, 0, 1}};
    std::vector<std::array<int, 3>> faces = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                             {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                             {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                             {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    // One subdivision: every face into four, the new points shared along each edge.
    std::map<std::pair<int, int>, int> midpoints;
    auto midpoint = [&](int a, int b) {
        auto key = std::minmax(a, b);
        auto found = midpoints.find(key);
        if (found != midpoints.end())
            return found->second;
        points.push_back((points[a] + points[b]) * 0.5);
        return midpoints[key] = static_cast<int>(points.size() - 1);
    };
    std::vector<std::array<int, 3>> finer;
    for (const auto& f : faces)
    {
        int ab = midpoint(f[0], f[1]), bc = midpoint(f[1], f[2]), ca = midpoint(f[2], f[0]);
        finer.insert(finer.end(), {{f[0], ab, ca}, {f[1], bc, ab}, {f[2], ca, bc}, {ab, bc, ca}});
    }
    for (Vec3& p : points)
    {
        Vec3 unit = p.normalized() * random.range(0.82, 1.12);
        p = centre + Vec3(unit.x * size.x, unit.y * size.y, unit.z * size.z) * 0.5;
    }
    // Outward faces, whatever the order of the table; each point's normal the mean of its faces'.
    std::vector<Vec3> normals(points.size());
    for (auto& f : finer)
    {
        Vec3 a = points[f[0]], b = points[f[1]], c = points[f[2]];
        if (dot(cross(b - a, c - a), (a + b + c) * (1.0 / 3) - centre) < 0)
            std::swap(f[1], f[2]);
        Vec3 faceNormal = cross(points[f[1]] - points[f[0]], points[f[2]] - points[f[0]]);
        for (int index : f)
            normals[index] = normals[index] + faceNormal;
    }
    for (const auto& f : finer)
    {
        Vec3 faceNormal = cross(points[f[1]] - points[f[0]], points[f[2]] - points[f[0]]).normalized();
        Corner corners[3];
        for (int k = 0; k < 3; ++k)
        {
            Vec3 normal = normals[f[k]].normalized();
            Vec3 tangent = perpendicular(normal);
            corners[k] = {points[f[k]], normal, tangent, cross(normal, tangent),
                          projectedTexCoord(points[f[k]], faceNormal, tile)};
        }
        part.addTriangle(corners[0], corners[1], corners[2]);
    }
}

}
