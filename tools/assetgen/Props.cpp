#include "Props.h"

#include "Ground.h"
#include "Plan.h"

#include <algorithm>
#include <cmath>

namespace AssetGen
{

namespace
{
Vec3 tiltedAway(const Vec3& axis, double angle, double azimuth)
{
    Vec3 side = cross(axis, std::fabs(axis.z) < 0.9 ? Vec3(0, 0, 1) : Vec3(1, 0, 0)).normalized();
    Vec3 other = cross(axis, side);
    Vec3 across = side * std::cos(azimuth) + other * std::sin(azimuth);
    return (axis * std::cos(angle) + across * std::sin(angle)).normalized();
}

struct Branch
{
    Vec3 start;
    Vec3 direction;
    double length;
    double radius;
    int depth;  // how many generations may still grow from it
};

// A gnarled branch as a tube, and its children; dead wood bends and splits without leaves.
void growBranch(Part& part, Random& random, const Branch& branch)
{
    const int segments = branch.depth >= 3 ? 5 : 3;
    // Twigs are a pixel or two wide on screen: three sides, and for the finest every other ring, are
    // enough for them.
    const int sides = branch.depth <= 1 ? 3 : 4 + branch.depth;
    std::vector<Ring> rings;
    Vec3 position = branch.start, direction = branch.direction;
    double endRadius = branch.depth == 0 ? 0.0 : branch.radius * 0.55;
    for (int s = 0; s <= segments; ++s)
    {
        double f = static_cast<double>(s) / segments;
        double radius = branch.radius + (endRadius - branch.radius) * f;
        // The foot of a trunk flares out into the roots.
        if (branch.depth >= 4 && s == 0)
            radius *= 1.5;
        rings.push_back({position, direction, radius, branch.length * f});
        direction = tiltedAway(direction, random.range(0.1, 0.35), random.range(0, 2 * pi));
        direction = (direction + Vec3(0, 0, 0.15)).normalized();
        position = position + direction * (branch.length / segments);
    }
    int repeats = std::max(1, static_cast<int>(std::lround(2 * pi * branch.radius / 0.5)));
    if (branch.depth == 0)
        addTube(part, {rings.front(), rings[rings.size() / 2], rings.back()}, sides, repeats, 1.5);
    else
        addTube(part, rings, sides, repeats, 1.5);
    if (branch.depth == 0)
        return;
    int children = branch.depth >= 4 ? 3 : branch.depth >= 2 ? 2 + random.below(2) : 2;
    for (int c = 0; c < children; ++c)
    {
        std::size_t at = rings.size() - 1 - static_cast<std::size_t>(random.below(2));
        const Ring& ring = rings[at];
        double azimuth = 2 * pi * (c + random.range(0.0, 0.6)) / children;
        Vec3 direction = tiltedAway(ring.axis, random.range(0.35, 0.8), azimuth);
        growBranch(part, random, {ring.centre, direction, branch.length * random.range(0.6, 0.78),
                                  std::max(ring.radius * 0.8, 0.015), branch.depth - 1});
    }
}

// Adds both sides of a quad: the outside counter-clockwise as given, the inside reversed.
void addHullPanel(Part& part, const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, double tile)
{
    part.addProjectedQuad(a, b, c, d, tile);
    part.addProjectedQuad(d, c, b, a, tile);
}

}

Geometry treeGeometry(const std::string& name, std::uint32_t seed, double height, const Vec3& lean)
{
    Geometry g{name, false, {}};
    Random random(seed);
    Vec3 up = (Vec3(0, 0, 1) + lean).normalized();
    growBranch(g.part("bark"), random, {{0, 0, -0.3}, up, height * 0.42, height * 0.045, 4});
    return g;
}

Geometry rocksGeometry()
{
    Geometry g{"Rocks", false, {}};
    Part& part = g.part("rock");
    Random random(4242);
    const Vec3 spots[] = {{-6.2, 6.1, 0}, {-5.1, 6.4, 0}, {3.9, 6.3, 0},  {6.2, -2.8, 0},  {-6.3, -5.6, 0},
                          {6.1, 4.8, 0},  {-1.2, 6.5, 0}, {-2.3, -13.0, 0}, {7.5, -12.2, 0}, {5.8, -18.2, 0},
                          {-1.0, -17.4, 0}, {8.6, -15.6, 0}, {-8.5, -12.0, 0}, {12.0, -9.5, 0}, {-12.5, -15.0, 0},
                          {1.5, -22.0, 0}};
    for (const Vec3& spot : spots)
    {
        Vec3 size(random.range(0.5, 1.1), random.range(0.45, 0.9), random.range(0.3, 0.6));
        // Sunk below its widest into the lowest ground under it, so that no underside overhangs ground
        // that the lantern, which casts no shadows, would light: the rock sits settled into it.
        double lowest = groundSurfaceHeight(spot.x, spot.y);
        for (int k = 0; k < 8; ++k)
            lowest = std::min(lowest, groundSurfaceHeight(spot.x + 0.6 * size.x * std::cos(k * pi / 4),
                                                          spot.y + 0.6 * size.y * std::sin(k * pi / 4)));
        Vec3 centre(spot.x, spot.y, lowest - size.z * 0.15);
        addBoulder(part, random, centre, size, 1.2);
    }
    // The foundation of the fallen south wall, a kerb of blocks across the opening.
    double x = -innerHalf - wallThickness;
    while (x < innerHalf + wallThickness - 0.3)
    {
        double length = random.range(0.8, 1.25);
        double to = std::min(x + length, innerHalf + wallThickness);
        addBox(part, {x, pavingSouth - 0.45, -0.2}, {to - 0.05, pavingSouth + 0.05, random.range(0.12, 0.3)}, 1.2);
        x = to;
    }
    return g;
}

// Each blade is a thin bent sheet with a face to either side.
Geometry reedsGeometry()
{
    Geometry g{"Reeds", false, {}};
    Part& part = g.part("reed");
    Random random(777);
    for (int clump = 0; clump < 46; ++clump)
    {
        double angle = random.range(0, 2 * pi);
        double reach = clump < 30 ? random.range(0.85, 1.15) : random.range(1.4, 2.6);
        double cx = poolCentre.x + std::cos(angle) * poolRadiusX * reach;
        double cy = poolCentre.y + std::sin(angle) * poolRadiusY * reach;
        if (outsideCourtyard(cx, cy) < 1.0)
            continue;
        for (int blade = 0; blade < 7; ++blade)
        {
            Vec3 base(cx + random.range(-0.35, 0.35), cy + random.range(-0.35, 0.35), 0);
            base.z = groundSurfaceHeight(base.x, base.y) - 0.05;
            double height = random.range(0.7, 1.5), facing = random.range(0, pi);
            Vec3 across(std::cos(facing) * 0.025, std::sin(facing) * 0.025, 0);
            Vec3 bend(random.range(-0.25, 0.25), random.range(-0.25, 0.25), 0);
            Vec3 middle = base + Vec3(0, 0, height * 0.55) + bend * 0.3;
            Vec3 tip = base + Vec3(0, 0, height) + bend;
            TexCoord none;
            part.addTwoSided(base - across, base + across, middle + across * 0.6, none, none, none);
            part.addTwoSided(base - across, middle + across * 0.6, middle - across * 0.6, none, none, none);
            part.addTwoSided(middle - across * 0.6, middle + across * 0.6, tip, none, none, none);
        }
    }
    return g;
}

Geometry puntGeometry()
{
    Geometry g{"Punt", false, {}};
    Part& wood = g.part("wood");
    const double tile = 1.2;
    auto top = [](double sx, double sy) { return Vec3(1.3 * sx, 0.45 * sy, 0.22); };
    auto bottom = [](double sx, double sy) { return Vec3(1.0 * sx, 0.34 * sy, -0.12); };
    addHullPanel(wood, bottom(-1, -1), bottom(1, -1), top(1, -1), top(-1, -1), tile);  // port side
    addHullPanel(wood, bottom(1, 1), bottom(-1, 1), top(-1, 1), top(1, 1), tile);      // starboard side
    addHullPanel(wood, bottom(1, -1), bottom(1, 1), top(1, 1), top(1, -1), tile);      // bow
    addHullPanel(wood, bottom(-1, 1), bottom(-1, -1), top(-1, -1), top(-1, 1), tile);  // stern
    addHullPanel(wood, bottom(-1, 1), bottom(1, 1), bottom(1, -1), bottom(-1, -1), tile);
    // The bottom lies under the water, which is drawn last and would show through it: boards across
    // the hull above the waterline, however the punt bobs and rolls, hide it from above.
    const double boards = 0.06, up = (boards - bottom(0, 0).z) / (top(0, 0).z - bottom(0, 0).z);
    auto atBoards = [&](double sx, double sy) { return bottom(sx, sy) + (top(sx, sy) - bottom(sx, sy)) * up; };
    wood.addProjectedQuad(atBoards(-1, -1), atBoards(1, -1), atBoards(1, 1), atBoards(-1, 1), tile);
    addBox(wood, {-0.14, -0.42, 0.12}, {0.14, 0.42, 0.16}, tile);
    return g;
}

// Its panes face inward, so from outside one sees through the near pane onto the far ones, which the
// flame lights.
Geometry lanternGeometry()
{
    Geometry g{"Lantern", false, {}};
    Part& iron = g.part("iron");
    Part& glow = g.part("glow");
    const double half = 0.11, low = -0.16, high = 0.14, tile = 0.5;
    addBox(iron, {-half - 0.01, -half - 0.01, low - 0.03}, {half + 0.01, half + 0.01, low}, tile);
    addBox(iron, {-half - 0.01, -half - 0.01, high}, {half + 0.01, half + 0.01, high + 0.03}, tile);
    for (double sx : {-1.0, 1.0})
        for (double sy : {-1.0, 1.0})
            addBox(iron, {sx * half - 0.012, sy * half - 0.012, low}, {sx * half + 0.012, sy * half + 0.012, high}, tile);
    Vec3 apex(0, 0, high + 0.13);
    const Vec3 eaves[4] = {{-half, -half, high + 0.03}, {half, -half, high + 0.03}, {half, half, high + 0.03},
                           {-half, half, high + 0.03}};
    for (int k = 0; k < 4; ++k)
    {
        const Vec3& a = eaves[k];
        const Vec3& b = eaves[(k + 1) % 4];
        iron.addFlat(a, b, apex, {0, 0}, {0.4, 0}, {0.2, 0.3});
    }
    addBox(iron, {-0.012, -0.06, high + 0.12}, {0.012, 0.06, high + 0.2}, tile);
    // A bar across each pane, dark against the glow.
    addBox(iron, {-half, -half - 0.012, -0.012}, {half, -half + 0.004, 0.012}, tile);
    addBox(iron, {-half, half - 0.004, -0.012}, {half, half + 0.012, 0.012}, tile);
    addBox(iron, {-half - 0.012, -half, -0.012}, {-half + 0.004, half, 0.012}, tile);
    addBox(iron, {half - 0.004, -half, -0.012}, {half + 0.012, half, 0.012}, tile);
    const double pane = half - 0.005;
    for (int k = 0; k < 4; ++k)
    {
        const Vec3& a = eaves[k];
        const Vec3& b = eaves[(k + 1) % 4];
        Vec3 a0(a.x * pane / half, a.y * pane / half, low), b0(b.x * pane / half, b.y * pane / half, low);
        Vec3 a1(a0.x, a0.y, high), b1(b0.x, b0.y, high);
        glow.addProjectedQuad(b0, a0, a1, b1, tile);
    }
    return g;
}

}
