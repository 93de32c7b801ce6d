#pragma once

#include "Noise.h"
#include "Vector.h"

#include <deque>
#include <string>
#include <vector>

// Triangle meshes as an exporter holds them before writing: every triangle has its own three corners.
namespace AssetGen
{

struct TexCoord
{
    double s = 0, t = 0;
};

struct Corner
{
    Vec3 position;
    Vec3 normal;
    Vec3 tangent;   // where s grows
    Vec3 binormal;  // where t grows
    TexCoord uv;
};

// The triangles of one material symbol, counter-clockwise seen from their front.
struct Part
{
    std::string symbol;
    std::vector<Corner> corners;

    void addTriangle(const Corner& a, const Corner& b, const Corner& c) { corners.insert(corners.end(), {a, b, c}); }
    // A flat triangle whose normal and tangent frame follow from its positions and texture coordinates.
    void addFlat(const Vec3& a, const Vec3& b, const Vec3& c, TexCoord ua, TexCoord ub, TexCoord uc);
    // A flat quad a-b-c-d, its texture projected onto the plane (see projectedTexCoord).
    void addProjectedQuad(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, double tile);
    // Both faces of a thin sheet, for blades seen from either side.
    void addTwoSided(const Vec3& a, const Vec3& b, const Vec3& c, TexCoord ua, TexCoord ub, TexCoord uc);
};

struct Geometry
{
    std::string name;
    bool withTangents = false;  // written as TEXTANGENT and TEXBINORMAL inputs
    std::deque<Part> parts;  // a deque, so that the parts handed out stay where they are as others are added

    Part& part(const std::string& symbol);
    std::size_t triangleCount() const;
};

// Texture coordinates of a point on a face with the given normal, `tile` metres to one repeat:
// upright faces read the right way up from outside, level faces are seen from above.
TexCoord projectedTexCoord(const Vec3& point, const Vec3& normal, double tile);

// A box between two corners, all six faces outward, textures projected.
void addBox(Part& part, const Vec3& low, const Vec3& high, double tile);

// One ring of a tube: its centre, the direction the tube runs, its radius and how far along it is.
struct Ring
{
    Vec3 centre;
    Vec3 axis;
    double radius = 0;
    double along = 0;
};

// A closed tube through the rings with smooth normals; s goes `repeats` times round, t grows by one
// every `tileLength` metres along.
void addTube(Part& part, const std::vector<Ring>& rings, int sides, int repeats, double tileLength);

// A rounded boulder about `size` metres across at `centre`, smoothly shaded, its shape from `random`.
void addBoulder(Part& part, Random& random, const Vec3& centre, const Vec3& size, double tile);

}
