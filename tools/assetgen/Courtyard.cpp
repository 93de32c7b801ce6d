#include "Courtyard.h"

#include "Flight.h"
#include "Ground.h"
#include "Plan.h"
#include "Props.h"

#include <algorithm>
#include <cmath>

namespace AssetGen
{

namespace
{
// The walls' foot and the relief textures' scale.
const double wallBottom = -0.4;      // below the ground, so no gap shows where it dips
const double wallTile = 2.0;         // metres of wall to one repeat of the relief textures

void addLibrary(Document& d)
{
    d.images = {{"ground015_jpg", "textures/ground015.jpg"}, {"ground015n_jpg", "textures/ground015n.jpg"},
                {"ground015b_jpg", "textures/ground015b.jpg"}, {"stone_jpg", "textures/stone.jpg"},
                {"fen_jpg", "textures/fen.jpg"},             {"bark_jpg", "textures/bark.jpg"},
                {"rock_jpg", "textures/rock.jpg"},           {"water_png", "textures/water.png"},
                {"wood_jpg", "textures/wood.jpg"},           {"sky_png", "textures/sky.png"}};
    Effect wall{"ground015-effect", "ground015_jpg", {}, 20, "ground015n_jpg", "ground015b_jpg"};
    d.effects = {wall,
                 {"paving-effect", "stone_jpg", {}, 10, "", ""},
                 {"fen-effect", "fen_jpg", {}, 5, "", ""},
                 {"bark-effect", "bark_jpg", {}, 5, "", ""},
                 {"rock-effect", "rock_jpg", {}, 10, "", "", Shading::Lambert},
                 {"zarvel-effect", "water_png", {}, 60, "", ""},
                 {"wood-effect", "wood_jpg", {}, 10, "", ""},
                 {"reed-effect", "", {0.44, 0.40, 0.24, 1}, 5, "", ""},
                 {"iron-effect", "", {0.09, 0.08, 0.07, 1}, 30, "", ""},
                 {"glow-effect", "", {1.0, 0.86, 0.58, 1}, 5, "", ""},
                 {"sky-effect", "sky_png", {}, 0, "", "", Shading::Constant}};
    d.materials = {{"ground015-material", "ground015-effect"}, {"paving-material", "paving-effect"},
                   {"fen-material", "fen-effect"},             {"bark-material", "bark-effect"},
                   {"rock-material", "rock-effect"},           {"zarvel-material", "zarvel-effect"},
                   {"wood-material", "wood-effect"},           {"reed-material", "reed-effect"},
                   {"iron-material", "iron-effect"},           {"glow-material", "glow-effect"},
                   {"sky-material", "sky-effect"}};
}

// The pool's surface: an ellipse a little larger than the dip, whose rim hides below the bank.
Geometry poolGeometry()
{
    Geometry g{"Pool", false, {}};
    Part& water = g.part("water");
    const int sides = 48;
    const double tile = 6.0;
    Vec3 middle(0, 0, 0);
    for (int k = 0; k < sides; ++k)
    {
        double a0 = 2 * pi * k / sides, a1 = 2 * pi * (k + 1) / sides;
        Vec3 p0(std::cos(a0) * poolRadiusX * 1.08, std::sin(a0) * poolRadiusY * 1.08, 0);
        Vec3 p1(std::cos(a1) * poolRadiusX * 1.08, std::sin(a1) * poolRadiusY * 1.08, 0);
        water.addFlat(middle, p0, p1, {0, 0}, {p0.x / tile, p0.y / tile}, {p1.x / tile, p1.y / tile});
    }
    return g;
}

// The sky's dome, its faces toward the inside; t climbs from its lowest ring to the zenith and s goes
// once round from +x toward +y, as the sky's picture has it.
Geometry skyGeometry()
{
    Geometry g{"Sky", false, {}};
    Part& sky = g.part("sky");
    const int sides = 48, rings = 14;
    auto corner = [&](int side, int ring) {
        double s = static_cast<double>(side) / sides, t = static_cast<double>(ring) / rings;
        double azimuth = 2 * pi * s, elevation = (skyLowestDegrees + (90 - skyLowestDegrees) * t) * pi / 180;
        Vec3 outward(std::cos(elevation) * std::cos(azimuth), std::cos(elevation) * std::sin(azimuth), std::sin(elevation));
        Corner c;
        c.position = skyCentre + outward * skyRadius;
        c.normal = -outward;
        c.uv = {s, t};
        return c;
    };
    for (int ring = 0; ring < rings; ++ring)
        for (int side = 0; side < sides; ++side)
        {
            Corner a = corner(side, ring), b = corner(side + 1, ring), c = corner(side + 1, ring + 1), d = corner(side, ring + 1);
            // Seen from inside, s grows to the left: round the quad the other way.
            sky.addTriangle(a, c, b);
            if (ring + 1 < rings)
                sky.addTriangle(a, d, c);
        }
    return g;
}

// A stretch of wall of one height, from `from` to `to` along the wall.
struct Stretch
{
    double from, to, height;
};

// A wall along local x, its front (the courtyard side) facing local -y; the tops of neighbouring
// stretches differ, and only the part of a side face that stands free is built.
Geometry wallGeometry(const std::string& name, const std::vector<Stretch>& stretches)
{
    Geometry g{name, true, {}};
    Part& part = g.part("wall");
    const double y0 = -wallThickness / 2, y1 = wallThickness / 2;
    for (std::size_t i = 0; i < stretches.size(); ++i)
    {
        const Stretch& s = stretches[i];
        double x0 = s.from, x1 = s.to, top = s.height;
        part.addProjectedQuad({x0, y0, wallBottom}, {x1, y0, wallBottom}, {x1, y0, top}, {x0, y0, top}, wallTile);
        part.addProjectedQuad({x1, y1, wallBottom}, {x0, y1, wallBottom}, {x0, y1, top}, {x1, y1, top}, wallTile);
        part.addProjectedQuad({x0, y0, top}, {x1, y0, top}, {x1, y1, top}, {x0, y1, top}, wallTile);
        double leftBase = i == 0 ? wallBottom : std::min(stretches[i - 1].height, top);
        double rightBase = i + 1 == stretches.size() ? wallBottom : std::min(stretches[i + 1].height, top);
        if (leftBase < top)
            part.addProjectedQuad({x0, y1, leftBase}, {x0, y0, leftBase}, {x0, y0, top}, {x0, y1, top}, wallTile);
        if (rightBase < top)
            part.addProjectedQuad({x1, y0, rightBase}, {x1, y1, rightBase}, {x1, y1, top}, {x1, y0, top}, wallTile);
    }
    return g;
}

// A ruined wall: stretches about a metre long, their heights broken by time.
std::vector<Stretch> ruinedStretches(double length, double height, std::uint32_t seed, double southDrop)
{
    Random random(seed);
    std::vector<Stretch> stretches;
    double at = -length / 2;
    while (at < length / 2 - 0.01)
    {
        double to = std::min(at + random.range(0.8, 1.4), length / 2);
        if (length / 2 - to < 0.5)
            to = length / 2;
        // Toward the open end the wall has crumbled further.
        double fall = southDrop * smoothstep(length / 2 - 4, -length / 2, (at + to) / 2);
        double h = height + random.range(-0.35, 0.3) - fall - (random.uniform() < 0.15 ? 0.8 : 0);
        stretches.push_back({at, to, h});
        at = to;
    }
    return stretches;
}

Node meshNode(const std::string& name, const Mat4& matrix, const std::map<std::string, std::string>& bind)
{
    Node node;
    node.name = name;
    node.matrix = matrix;
    node.geometry = name;
    node.bind = bind;
    return node;
}

// A wall along local x placed so that its front faces the courtyard: `turn` radians about Z.
Node wallNode(Document& d, const std::string& name, const Vec3& middle, double turn, const std::vector<Stretch>& stretches)
{
    d.geometries.push_back(wallGeometry(name, stretches));
    return meshNode(name, Mat4::translation(middle) * Mat4::rotation({0, 0, 1}, turn), {{"wall", "ground015-material"}});
}

void addWalls(Document& d)
{
    const double middle = innerHalf + wallThickness / 2;
    const double sideLength = innerHalf - pavingSouth + 0.4;
    const double sideMiddle = (innerHalf + pavingSouth - 0.4) / 2;
    const double northLength = 2 * (innerHalf + wallThickness);
    d.nodes.push_back(wallNode(d, "wand", {0, middle, 0}, 0, ruinedStretches(northLength, 3.7, 11, 0)));
    d.nodes.push_back(
        wallNode(d, "wanddingsi", {-middle, sideMiddle, 0}, pi / 2, ruinedStretches(sideLength, 3.5, 12, 1.8)));
    d.nodes.push_back(
        wallNode(d, "Box002", {middle, sideMiddle, 0}, -pi / 2, {{-sideLength / 2, sideLength / 2, 3.2}}));
}

void addTrees(Document& d)
{
    struct Tree
    {
        Vec3 foot;
        double height;
        Vec3 lean;
    };
    const Tree trees[] = {{{-2.6, 0.8, 0}, 6.2, {0.12, -0.05, 0}},  {{-5.5, -13.5, 0}, 7.0, {-0.1, 0.05, 0}},
                          {{9.0, -11.5, 0}, 6.0, {0.15, 0.1, 0}},   {{-1.5, -21.0, 0}, 7.5, {0, -0.1, 0}},
                          {{11.0, -18.5, 0}, 8.0, {0.05, -0.12, 0}}, {{-11.5, -9.5, 0}, 6.5, {-0.15, 0, 0}},
                          {{-14.0, -18.0, 0}, 8.5, {0.1, 0.1, 0}},  {{6.0, -23.0, 0}, 7.0, {-0.05, 0.1, 0}}};
    int number = 1;
    for (const Tree& tree : trees)
    {
        std::string name = "DeadTree0" + std::to_string(number);
        d.geometries.push_back(treeGeometry(name, 1000 + static_cast<std::uint32_t>(number), tree.height, tree.lean));
        Vec3 foot(tree.foot.x, tree.foot.y, groundSurfaceHeight(tree.foot.x, tree.foot.y));
        d.nodes.push_back(meshNode(name, Mat4::translation(foot), {{"bark", "bark-material"}}));
        ++number;
    }
}

void addLights(Document& d)
{
    // Id, spot, colour, multiplier, attenuation (constant, linear, quadratic), falloff and hotspot in
    // degrees, shadow type, shadow density. Highlights take the colour without the multiplier: dim
    // colours, larger multipliers.
    Light dusk{"SunsetLight-light", true, {0.8, 0.56, 0.4, 1}, 1.5, 1, 0, 0, 80, 50, 1, 0.85};
    Light moon{"HarvestMoon-light", true, {0.28, 0.36, 0.6, 1}, 0.85, 1, 0, 0, 110, 70, 0, 1};
    Light lantern{"Lantern-light", false, {1.0, 0.72, 0.38, 1}, 2.2, 1, 0, 0.3, 0, 0, 0, 1};
    d.lights = {dusk, moon, lantern};
    // The engine lists the lights by their nodes' names, last name first, and the shaders light the
    // first two per pixel with their shadows: the sunset's spot and the lantern. The moon's wide, even
    // fill needs no shadow and is worked out per vertex.
    Node duskNode;
    duskNode.name = "SunsetLight";
    duskNode.matrix = Mat4::lookAt(sunsetPlace, {0.5, 1.0, 0});
    duskNode.light = dusk.id;
    Node moonNode;
    moonNode.name = "HarvestMoon";
    moonNode.matrix = Mat4::lookAt({12.0, 15.0, 20.0}, {-3.0, -8.0, 0});
    moonNode.light = moon.id;
    d.nodes.push_back(duskNode);
    d.nodes.push_back(moonNode);
}

void addMovingThings(Document& d)
{
    d.geometries.push_back(puntGeometry());
    d.nodes.push_back(meshNode("Punt", puntPose(0), {{"wood", "wood-material"}}));
    d.geometries.push_back(lanternGeometry());
    Node lantern = meshNode("Lantern", lanternPose(0), {{"iron", "iron-material"}, {"glow", "glow-material"}});
    lantern.light = "Lantern-light";
    d.nodes.push_back(lantern);
    d.cameras = {{"Camera001-camera", 45, 16.0 / 9, 0.1, 120}};
    Node camera;
    camera.name = "Camera001";
    camera.matrix = cameraPose(0);
    camera.camera = "Camera001-camera";
    d.nodes.push_back(camera);
    d.animations = {baked("Camera001", d.keysPerSecond, cameraPose), baked("Lantern", d.keysPerSecond, lanternPose),
                    baked("Punt", d.keysPerSecond, puntPose)};
}
}

double outsideCourtyard(double x, double y)
{
    double half = innerHalf + wallThickness;
    double dx = std::max(std::fabs(x) - half, 0.0);
    double dy = std::max({y - half, pavingSouth - y, 0.0});
    return std::hypot(dx, dy);
}

// An ellipse with a wavering shore.
double poolDistance(double x, double y)
{
    double dx = (x - poolCentre.x) / poolRadiusX, dy = (y - poolCentre.y) / poolRadiusY;
    double angle = std::atan2(dy, dx);
    double shore = 1 + 0.12 * std::sin(3 * angle + 1) + 0.07 * std::sin(5 * angle + 2) + 0.04 * std::sin(9 * angle);
    return std::hypot(dx, dy) / shore;
}

double groundHeight(double x, double y)
{
    double outside = outsideCourtyard(x, y);
    if (outside <= 0)
        return 0;
    double hummocks = 0.22 * std::sin(0.35 * x + 0.6) * std::cos(0.3 * y) + 0.14 * std::sin(0.8 * x - 0.5 * y + 1.3) +
                      0.07 * std::sin(1.7 * x + 1.1 * y);
    double fen = -0.1 + hummocks;
    // A low bank round the pool keeps the water's edge under the ground.
    double pool = poolDistance(x, y);
    double bank = 1 - smoothstep(1.15, 1.8, pool);
    fen += (0.06 - fen) * bank;
    double dip = -1.1 * (1 - smoothstep(0.35, 1.0, pool));
    // Higher ground all round closes the view.
    double rim = 3.2 * smoothstep(18, 27.5, std::hypot(x, y));
    return smoothstep(0, 2.5, outside) * (fen + rim) + dip;
}

Document mirrowfen()
{
    Document d;
    addLibrary(d);
    d.geometries.push_back(groundGeometry());
    d.nodes.push_back(meshNode("Ground", Mat4(), {{"paving", "paving-material"}, {"fen", "fen-material"}}));
    addWalls(d);
    addTrees(d);
    d.geometries.push_back(rocksGeometry());
    d.nodes.push_back(meshNode("Rocks", Mat4(), {{"rock", "rock-material"}}));
    d.geometries.push_back(reedsGeometry());
    d.nodes.push_back(meshNode("Reeds", Mat4(), {{"reed", "reed-material"}}));
    d.geometries.push_back(poolGeometry());
    d.nodes.push_back(meshNode("Pool", Mat4::translation({poolCentre.x, poolCentre.y, waterLevel}),
                               {{"water", "zarvel-material"}}));
    d.geometries.push_back(skyGeometry());
    d.nodes.push_back(meshNode("Sky", Mat4(), {{"sky", "sky-material"}}));
    addMovingThings(d);
    addLights(d);
    return d;
}

}
