#include "Collada.h"
#include "Courtyard.h"
#include "Flight.h"
#include "Ground.h"
#include "Plan.h"
#include "Textures.h"

#include "TemporaryDirectory.h"

#include <IL/il.h>
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <sstream>

using namespace AssetGen;

namespace
{
const Document& scene()
{
    static const Document document = mirrowfen();
    return document;
}

const Node* topLevelNode(const std::string& name)
{
    for (const Node& node : scene().nodes)
        if (node.name == name)
            return &node;
    return nullptr;
}

const Geometry* geometry(const std::string& name)
{
    for (const Geometry& g : scene().geometries)
        if (g.name == name)
            return &g;
    return nullptr;
}

// Calls `visit` with each triangle of a top-level node's geometry whose normal points where `localNormal`
// of the node does, placed in the world.
void forEachPlacedTriangle(const std::string& nodeName, const Vec3& localNormal,
                           const std::function<void(const Vec3*, const Vec3&)>& visit)
{
    const Node* node = topLevelNode(nodeName);
    ASSERT_NE(node, nullptr) << nodeName;
    const Geometry* g = geometry(node->geometry);
    ASSERT_NE(g, nullptr) << nodeName;
    for (const Part& part : g->parts)
        for (std::size_t i = 0; i < part.corners.size(); i += 3)
        {
            Vec3 corners[3];
            for (int k = 0; k < 3; ++k)
                corners[k] = node->matrix.transformPoint(part.corners[i + k].position);
            Vec3 normal = cross(corners[1] - corners[0], corners[2] - corners[0]).normalized();
            if (dot(normal, node->matrix.transformDirection(localNormal)) > 0.99)
                visit(corners, normal);
        }
}

Vec3 rgbAt(const Picture& picture, int x, int y)
{
    const unsigned char* p = &picture.pixels[static_cast<std::size_t>((y * picture.width + x) * picture.channels)];
    return {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0};
}
}

// The normal map leans away from rising ground; its green axis points up the picture, where t grows.
TEST(NormalMapTest, LeansAwayFromTheSlope)
{
    struct Case
    {
        const char* slope;
        std::function<double(int, int)> height;
        int redSign, greenSign;
    };
    const Case cases[] = {
        {"flat", [](int, int) { return 0.5; }, 0, 0},
        {"rising to the right", [](int x, int) { return x / 32.0; }, -1, 0},
        {"rising down the picture", [](int, int y) { return y / 32.0; }, 0, 1},
        {"rising up the picture", [](int, int y) { return 1 - y / 32.0; }, 0, -1},
    };
    for (const Case& c : cases)
    {
        Picture height(32, 32, 3);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                height.set(x, y, {c.height(x, y), c.height(x, y), c.height(x, y)});
        // Away from the edges, where the ramps wrap round.
        Vec3 n = rgbAt(normalMapPicture(height, 8), 16, 16) * 2 - Vec3(1, 1, 1);
        auto sign = [](double v) { return v > 0.02 ? 1 : v < -0.02 ? -1 : 0; };
        EXPECT_EQ(sign(n.x), c.redSign) << c.slope;
        EXPECT_EQ(sign(n.y), c.greenSign) << c.slope;
        EXPECT_GT(n.z, 0.5) << c.slope;
    }
}

// DevIL takes new images as bottom-up; the files must still show our first row on top.
TEST(PictureFileTest, KeepsTheTopRowOnTop)
{
    TemporaryDirectory directory;
    ilInit();
    for (const char* name : {"marked.png", "marked.jpg"})
    {
        Picture picture(16, 16, 3);
        for (int x = 0; x < 16; ++x)
            for (int y = 0; y < 16; ++y)
                picture.set(x, y, y < 4 ? Colour{1, 1, 1} : Colour{0, 0, 0});
        std::string path = directory.path() + "/" + name;
        ASSERT_TRUE(savePicture(picture, path)) << name;

        ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
        ilEnable(IL_ORIGIN_SET);
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        ASSERT_TRUE(ilLoadImage(path.c_str())) << name;
        ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
        const unsigned char* pixels = ilGetData();
        EXPECT_GT(pixels[0], 200) << name << ": first row";
        EXPECT_LT(pixels[15 * 16 * 3], 50) << name << ": last row";
        ilDeleteImages(1, &image);
        ilDisable(IL_ORIGIN_SET);
    }
}

// Every material's part holds triangles; the engine culls back faces, so every triangle must wind
// counter-clockwise round its normals; the walls' relief needs a right-handed frame whose tangent runs
// where s grows.
TEST(GeometryTest, PartsHoldTrianglesThatWindRoundTheirNormalsAndWallFramesFollowTheTexture)
{
    for (const Geometry& g : scene().geometries)
        for (const Part& part : g.parts)
        {
            EXPECT_FALSE(part.corners.empty()) << g.name << " " << part.symbol;
            for (std::size_t i = 0; i < part.corners.size(); i += 3)
            {
                const Corner* c = &part.corners[i];
                Vec3 winding = cross(c[1].position - c[0].position, c[2].position - c[0].position);
                if (winding.length() < 1e-9)
                    continue;
                for (int k = 0; k < 3; ++k)
                    ASSERT_GT(dot(winding.normalized(), c[k].normal), 0.0) << g.name << " triangle " << i / 3;
                if (!g.withTangents)
                    continue;
                const Corner& a = c[0];
                EXPECT_NEAR(dot(cross(a.tangent, a.binormal), a.normal), 1.0, 1e-6) << g.name;
                Vec3 along = c[1].position - a.position;
                double sGrowth = c[1].uv.s - a.uv.s;
                if (std::fabs(sGrowth) > 1e-6 && std::fabs(c[1].uv.t - a.uv.t) < 1e-9)
                {
                    EXPECT_GT(dot(along, a.tangent) * sGrowth, 0.0) << g.name;
                }
            }
        }
}

// The flight passes close to each wall but never into one, stays in front of the faces toward the
// courtyard (the ones drawn), keeps clear of the lantern and rises at the end.
TEST(FlightTest, StaysInFrontOfTheWallsAndClearOfTheLantern)
{
    for (const char* wall : {"wand", "wanddingsi", "Box002"})
    {
        double closest = 1e9;
        // Each wall's front, toward the courtyard, faces its local -y.
        forEachPlacedTriangle(wall, {0, -1, 0}, [&](const Vec3* corners, const Vec3& normal) {
            for (int key = 0; key <= 84 * 30; ++key)
            {
                double distance = dot(cameraPosition(key / 30.0) - corners[0], normal);
                ASSERT_GT(distance, 0.0) << wall << " at " << key / 30.0 << " s";
                closest = std::min(closest, distance);
            }
        });
        EXPECT_GT(closest, 1.2) << wall;
        EXPECT_LT(closest, 2.5) << wall << ": the flight should pass close to it";
    }
    for (int key = 0; key <= 84 * 30; ++key)
    {
        double t = key / 30.0;
        EXPECT_GT((cameraPosition(t) - lanternPosition(t)).length(), 1.5) << t << " s";
        Vec3 eye = cameraPosition(t);
        EXPECT_GT(eye.z - groundHeight(eye.x, eye.y), 1.0) << t << " s";
    }
    EXPECT_GT(cameraPosition(showLength).z, cameraPosition(79).z + 5);
}

// The height over (x, y) of the triangle of the ground that lies there; false where none does.
bool groundTriangleHeight(double x, double y, double& height)
{
    const Geometry* ground = geometry("Ground");
    for (const Part& part : ground->parts)
        for (std::size_t i = 0; i < part.corners.size(); i += 3)
        {
            Vec3 a = part.corners[i].position, b = part.corners[i + 1].position, c = part.corners[i + 2].position;
            double area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
            double wb = ((x - a.x) * (c.y - a.y) - (c.x - a.x) * (y - a.y)) / area;
            double wc = ((b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y)) / area;
            if (wb >= 0 && wc >= 0 && wb + wc <= 1)
            {
                height = a.z + wb * (b.z - a.z) + wc * (c.z - a.z);
                return true;
            }
        }
    return false;
}

// Cells of different sizes meet along edges; a point in the middle of one side that the other side
// lacks leaves a crack. Closed, every edge inside the ground belongs to two triangles, once each way.
TEST(GroundTest, IsClosedWhereCellsOfDifferentSizesMeet)
{
    const Geometry* ground = geometry("Ground");
    ASSERT_NE(ground, nullptr);
    using Point = std::pair<double, double>;
    std::map<std::pair<Point, Point>, int> edges;
    double border = 0;
    for (const Part& part : ground->parts)
        for (std::size_t i = 0; i < part.corners.size(); ++i)
        {
            const Vec3& from = part.corners[i].position;
            const Vec3& to = part.corners[i % 3 == 2 ? i - 2 : i + 1].position;
            ++edges[{{from.x, from.y}, {to.x, to.y}}];
            border = std::max({border, std::fabs(from.x), std::fabs(from.y)});
        }
    for (const auto& [edge, count] : edges)
    {
        const auto& [from, to] = edge;
        EXPECT_EQ(count, 1) << from.first << " " << from.second;
        bool onBorder = (from.first == to.first && std::fabs(from.first) == border)
                        || (from.second == to.second && std::fabs(from.second) == border);
        if (!onBorder)
        {
            EXPECT_EQ(edges.count({to, from}), 1u)
                << "open edge from " << from.first << " " << from.second << " to " << to.first << " " << to.second;
        }
    }
}

// The trees stand on the ground's triangles, not on the smooth shape those follow, which lies higher or
// lower inside the larger cells.
TEST(GroundTest, TreesStandOnItsTriangles)
{
    int trees = 0;
    for (const Node& node : scene().nodes)
        if (node.name.rfind("DeadTree", 0) == 0)
        {
            Vec3 foot = node.matrix.transformPoint({0, 0, 0});
            double height = 0;
            ASSERT_TRUE(groundTriangleHeight(foot.x, foot.y, height)) << node.name;
            EXPECT_NEAR(foot.z, height, 1e-9) << node.name;
            ++trees;
        }
    EXPECT_EQ(trees, 8);
}

// Where a triangle seen from above covers (x, y): true with the height of its surface there.
bool heightOver(const Vec3& a, const Vec3& b, const Vec3& c, double x, double y, double& height)
{
    double area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (std::fabs(area) < 1e-12)
        return false;
    double wb = ((x - a.x) * (c.y - a.y) - (c.x - a.x) * (y - a.y)) / area;
    double wc = ((b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y)) / area;
    if (wb < 0 || wc < 0 || wb + wc > 1)
        return false;
    height = a.z + wb * (b.z - a.z) + wc * (c.z - a.z);
    return true;
}

// The pool is drawn after everything else: wherever one looks into the punt from above, a face above
// the water, as the punt bobs and rolls, must hide the water inside the hull.
TEST(PuntTest, BoardsAboveTheWaterHideItsInside)
{
    const Geometry* punt = geometry("Punt");
    ASSERT_NE(punt, nullptr);
    const double spots[][2] = {{0, 0}, {0.8, 0}, {-0.8, 0.2}, {0.4, -0.25}, {-0.3, 0.28}};
    for (const auto& spot : spots)
    {
        double highest = -1e9;
        for (const Part& part : punt->parts)
            for (std::size_t i = 0; i < part.corners.size(); i += 3)
            {
                const Vec3 &a = part.corners[i].position, &b = part.corners[i + 1].position, &c = part.corners[i + 2].position;
                double height = 0;
                if (cross(b - a, c - a).normalized().z > 0.99 && heightOver(a, b, c, spot[0], spot[1], height))
                    highest = std::max(highest, height);
            }
        for (int key = 0; key <= 84 * 10; ++key)
        {
            Vec3 placed = puntPose(key / 10.0).transformPoint({spot[0], spot[1], highest});
            ASSERT_GT(placed.z, waterLevel + 0.01) << "inside the punt at " << spot[0] << " " << spot[1] << ", "
                                                   << key / 10.0 << " s";
        }
    }
}

// A rock's underside above the ground would overhang it, and the lantern, which casts no shadows,
// lights the ground beneath: the rock seems to float.
TEST(RocksTest, NoUndersideOverhangsTheGround)
{
    const Geometry* rocks = geometry("Rocks");
    ASSERT_NE(rocks, nullptr);
    int undersides = 0;
    for (const Part& part : rocks->parts)
        for (std::size_t i = 0; i < part.corners.size(); i += 3)
        {
            const Vec3 &a = part.corners[i].position, &b = part.corners[i + 1].position, &c = part.corners[i + 2].position;
            if (cross(b - a, c - a).normalized().z > -0.2)
                continue;
            ++undersides;
            Vec3 middle = (a + b + c) * (1.0 / 3);
            EXPECT_LT(middle.z, groundSurfaceHeight(middle.x, middle.y))
                << "an underside above the ground at " << middle.x << " " << middle.y;
        }
    EXPECT_GT(undersides, 0);
}

// The dome holds the whole flight inside the camera's far plane, turns its faces toward the camera
// and reaches below the horizon, so that the sky fills every gap.
TEST(SkyTest, SurroundsTheFlightInsideTheFarPlane)
{
    const Geometry* sky = geometry("Sky");
    ASSERT_NE(sky, nullptr);
    ASSERT_EQ(scene().cameras.size(), 1u);
    const double far = scene().cameras[0].zfar;
    double lowest = 1e9;
    for (int key = 0; key <= 84 * 2; ++key)
    {
        Vec3 eye = cameraPosition(key / 2.0);
        for (const Part& part : sky->parts)
            for (std::size_t i = 0; i < part.corners.size(); i += 3)
            {
                const Vec3 &a = part.corners[i].position, &b = part.corners[i + 1].position, &c = part.corners[i + 2].position;
                for (const Vec3* corner : {&a, &b, &c})
                {
                    ASSERT_LT((*corner - eye).length(), far * 0.95) << key / 2.0 << " s";
                    lowest = std::min(lowest, corner->z);
                }
                ASSERT_GT(dot(cross(b - a, c - a), eye - a), 0.0) << "a face turned away at " << key / 2.0 << " s";
            }
    }
    EXPECT_LT(lowest, -10.0);
}

// Dark overhead, the mist's colour at the horizon away from the sunset, warmer toward it.
TEST(SkyTest, PictureDarkensUpwardAndGlowsTowardTheSunset)
{
    const int size = 64;
    const double sunset = 1.0;
    Picture picture = skyPicture(size, -15, sunset);
    int horizon = static_cast<int>(90.0 / 105 * size);
    int sunsetColumn = static_cast<int>(sunset / (2 * pi) * size), oppositeColumn = (sunsetColumn + size / 2) % size;
    Vec3 zenith = rgbAt(picture, oppositeColumn, 0), away = rgbAt(picture, oppositeColumn, horizon);
    Vec3 toward = rgbAt(picture, sunsetColumn, horizon);
    EXPECT_LT(zenith.x + zenith.y + zenith.z, 0.4);
    EXPECT_NEAR(away.x, mistColour.r, 0.03);
    EXPECT_NEAR(away.y, mistColour.g, 0.03);
    EXPECT_NEAR(away.z, mistColour.b, 0.03);
    EXPECT_GT(toward.x - toward.z, away.x - away.z + 0.1);
}

class DocumentTest : public testing::Test
{
protected:
    void SetUp() override
    {
        text = colladaText(scene());
        document.Parse(text.c_str());
        ASSERT_FALSE(document.Error()) << document.ErrorDesc();
        root = document.FirstChildElement("COLLADA");
        ASSERT_NE(root, nullptr);
    }

    const TiXmlElement* byId(const char* library, const char* tag, const std::string& id) const
    {
        for (const TiXmlElement* e = root->FirstChildElement(library)->FirstChildElement(tag); e != nullptr;
             e = e->NextSiblingElement(tag))
            if (e->Attribute("id") != nullptr && id == e->Attribute("id"))
                return e;
        return nullptr;
    }

    std::string text;
    TiXmlDocument document;
    const TiXmlElement* root = nullptr;
};

TEST_F(DocumentTest, IsTheSameOnEveryRun)
{
    EXPECT_EQ(colladaText(mirrowfen()), text);
}

TEST_F(DocumentTest, WallsAreTopLevelNodesWithTangentsAndTheReliefEffect)
{
    EXPECT_STREQ(root->FirstChildElement("asset")->FirstChildElement("up_axis")->GetText(), "Z_UP");
    const TiXmlElement* visualScene = root->FirstChildElement("library_visual_scenes")->FirstChildElement("visual_scene");
    for (const std::string wall : {"wand", "wanddingsi", "Box002"})
    {
        const TiXmlElement* node = visualScene->FirstChildElement("node");
        while (node != nullptr && "node-" + wall != node->Attribute("id"))
            node = node->NextSiblingElement("node");
        ASSERT_NE(node, nullptr) << wall;
        const TiXmlElement* instance = node->FirstChildElement("instance_geometry");
        ASSERT_NE(instance, nullptr) << wall;
        const TiXmlElement* geometry = byId("library_geometries", "geometry", std::string(instance->Attribute("url")).substr(1));
        ASSERT_NE(geometry, nullptr) << wall;
        std::set<std::string> semantics;
        const TiXmlElement* triangles = geometry->FirstChildElement("mesh")->FirstChildElement("triangles");
        for (const TiXmlElement* input = triangles->FirstChildElement("input"); input; input = input->NextSiblingElement("input"))
            semantics.insert(input->Attribute("semantic"));
        EXPECT_EQ(semantics, (std::set<std::string>{"VERTEX", "NORMAL", "TEXCOORD", "TEXTANGENT", "TEXBINORMAL"})) << wall;

        const TiXmlElement* binding = instance->FirstChildElement("bind_material")->FirstChildElement("technique_common")
                                          ->FirstChildElement("instance_material");
        const TiXmlElement* material = byId("library_materials", "material", std::string(binding->Attribute("target")).substr(1));
        ASSERT_NE(material, nullptr) << wall;
        std::string effectId = std::string(material->FirstChildElement("instance_effect")->Attribute("url")).substr(1);
        const TiXmlElement* technique =
            byId("library_effects", "effect", effectId)->FirstChildElement("profile_COMMON")->FirstChildElement("technique");
        EXPECT_NE(technique->FirstChildElement("phong"), nullptr) << wall;
        const TiXmlElement* parallax = technique->FirstChildElement("parallax");
        ASSERT_NE(parallax, nullptr) << wall;
        const std::pair<const char*, const char*> maps[] = {
            {"diffuseMap", "textures/ground015.jpg"}, {"normalMap", "textures/ground015n.jpg"}, {"heightMap", "textures/ground015b.jpg"}};
        for (const auto& [map, file] : maps)
        {
            const TiXmlElement* image = byId("library_images", "image", parallax->FirstChildElement(map)->Attribute("value"));
            ASSERT_NE(image, nullptr) << map;
            EXPECT_STREQ(image->FirstChildElement("init_from")->GetText(), file);
        }
    }
    EXPECT_NE(byId("library_materials", "material", "zarvel-material"), nullptr);
}

TEST_F(DocumentTest, AnimationsHoldThirtyKeysASecondOverTheWholeShow)
{
    std::set<std::string> targets;
    for (const TiXmlElement* animation = root->FirstChildElement("library_animations")->FirstChildElement("animation");
         animation != nullptr; animation = animation->NextSiblingElement("animation"))
    {
        std::string target = animation->FirstChildElement("channel")->Attribute("target");
        targets.insert(target);
        const TiXmlElement* times = animation->FirstChildElement("source")->FirstChildElement("float_array");
        const TiXmlElement* matrices = animation->FirstChildElement("source")->NextSiblingElement("source")->FirstChildElement("float_array");
        EXPECT_STREQ(times->Attribute("count"), "2521") << target;
        EXPECT_STREQ(matrices->Attribute("count"), std::to_string(2521 * 16).c_str()) << target;
        std::istringstream values(times->GetText());
        double first = -1, second = -1, last = -1, value;
        values >> first >> second;
        while (values >> value)
            last = value;
        EXPECT_DOUBLE_EQ(first, 0) << target;
        EXPECT_NEAR(second, 1 / 30.0, 1e-6) << target;
        EXPECT_DOUBLE_EQ(last, showLength) << target;
    }
    EXPECT_EQ(targets, (std::set<std::string>{"node-Camera001/transform", "node-Lantern/transform", "node-Punt/transform"}));
}

TEST_F(DocumentTest, LightsCarryTheEngineTechnique)
{
    bool shadowedSpot = false, movingPoint = false;
    for (const TiXmlElement* light = root->FirstChildElement("library_lights")->FirstChildElement("light"); light != nullptr;
         light = light->NextSiblingElement("light"))
    {
        const TiXmlElement* common = light->FirstChildElement("technique_common");
        const TiXmlElement* kind = common->FirstChildElement("spot") ? common->FirstChildElement("spot") : common->FirstChildElement("point");
        ASSERT_NE(kind, nullptr) << light->Attribute("id");
        const TiXmlElement* extra = light->FirstChildElement("extra")->FirstChildElement("technique")->FirstChildElement("light");
        ASSERT_NE(extra, nullptr) << light->Attribute("id");
        EXPECT_NE(extra->FirstChildElement("multiplier"), nullptr) << light->Attribute("id");
        std::string shadowType = kind->FirstChildElement("shadow_type")->GetText();
        if (kind->ValueStr() == "spot")
        {
            EXPECT_NE(extra->FirstChildElement("falloff"), nullptr);
            EXPECT_NE(extra->FirstChildElement("hotspot_beam"), nullptr);
            shadowedSpot = shadowedSpot || shadowType == "1";
        }
        else
            movingPoint = movingPoint || std::string(light->Attribute("id")) == "Lantern-light";
    }
    EXPECT_TRUE(shadowedSpot);
    EXPECT_TRUE(movingPoint);
}

// Rocks are matte: a lambert effect, which the engine draws without highlights. The sky is a constant
// effect, its picture drawn unlit as its emission. The others keep their highlights.
TEST_F(DocumentTest, EffectsCarryTheirShading)
{
    struct Case
    {
        const char* effect;
        const char* shading;
        const char* pictureIn;
    };
    const Case cases[] = {{"rock-effect", "lambert", "diffuse"},
                          {"sky-effect", "constant", "emission"},
                          {"wood-effect", "phong", "diffuse"},
                          {"ground015-effect", "phong", "diffuse"}};
    for (const Case& c : cases)
    {
        const TiXmlElement* effect = byId("library_effects", "effect", c.effect);
        ASSERT_NE(effect, nullptr) << c.effect;
        const TiXmlElement* technique = effect->FirstChildElement("profile_COMMON")->FirstChildElement("technique");
        const TiXmlElement* shading = technique->FirstChildElement(c.shading);
        ASSERT_NE(shading, nullptr) << c.effect;
        EXPECT_NE(shading->FirstChildElement(c.pictureIn)->FirstChildElement("texture"), nullptr) << c.effect;
        EXPECT_EQ(shading->FirstChildElement("specular") != nullptr, std::string(c.shading) == "phong") << c.effect;
    }
}
