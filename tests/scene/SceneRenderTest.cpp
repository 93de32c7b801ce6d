#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/graphics/GlErrorCheck.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/graphics/Texture.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/MaterialValue.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Image.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/RenderPass.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/Skin.h"
#include "scene/MeshBounds.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "SceneBuilding.h"
#include "TemporaryDirectory.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <algorithm>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

using namespace Pellux;

namespace
{
// Unlit: the colour of the material's first image, alpha included.
const char* const flatVertex = R"(#version 150
uniform mat4 world;
uniform mat4 view;
uniform mat4 proj;
in vec3 position;
void main() { gl_Position = proj * view * world * vec4(position, 1.0); }
)";
const char* const flatFragment = R"(#version 150
uniform sampler2D textures[1];
out vec4 fragColor;
void main() { fragColor = texture(textures[0], vec2(0.5)); }
)";
// The same colour, with the scene's shadow maps bound beside it (and not read).
const char* const flatBesideShadowsFragment = R"(#version 150
uniform sampler2D textures[1];
uniform sampler2D shadowMaps[1];
out vec4 fragColor;
void main() { fragColor = texture(textures[0], vec2(0.5)); }
)";

int brightness(const Rgba& pixel)
{
    return (pixel[0] + pixel[1] + pixel[2]) / 3;
}

class SceneRenderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        engine = openRenderEngine();
        ASSERT_NE(engine, nullptr);
        createLoggerQuietly();
        captureStdout([&] {
            scene = new Scene("test");
            camera = new CameraNode("camera");
        });
        scene->getRoot()->addChild(camera);
        scene->setActiveCamera(camera);
    }

    void TearDown() override
    {
        EXPECT_FALSE(glErrorRaised());
        delete scene;
    }

    SinglePassAutoMapMaterial* material(const std::string& name, std::shared_ptr<File> vertex,
                                        std::shared_ptr<File> fragment)
    {
        SinglePassAutoMapMaterial* made = nullptr;
        captureOutput([&] { made = new SinglePassAutoMapMaterial(name, vertex, nullptr, fragment); });
        EXPECT_TRUE(made->isLinked()) << name;
        made->setFloat("specularCoefficient", 0);
        Tavrin::getInstance().getMaterialManager()->add(made);
        return made;
    }

    SinglePassAutoMapMaterial* defaultMaterial(const std::string& name)
    {
        return material(name, std::make_shared<File>(Pellux::DataDirectories::find("shader/default.vert")),
                        std::make_shared<File>(Pellux::DataDirectories::find("shader/default.frag")));
    }

    SinglePassAutoMapMaterial* flatMaterial(const std::string& name, Rgba colour, const char* fragment = flatFragment)
    {
        auto* made = material(name, std::make_shared<File>(shaders.write("flat.vert", flatVertex)),
                              std::make_shared<File>(shaders.write(name + ".frag", fragment)));
        std::vector<unsigned char> pixel(colour.begin(), colour.end());
        captureStdout([&] { made->addTexture(new Image(name, 1, 1, pixel)); });
        return made;
    }

    LightNode* light(const std::string& name, int type, const Vector3& position, const Vector3& target)
    {
        LightNode* made = nullptr;
        captureStdout([&] { made = new LightNode(name, type); });
        made->setTransform(translation(position));
        made->lookAt(target.x, target.y, target.z);
        scene->getRoot()->addChild(made);
        return made;
    }

    void lookFrom(const Vector3& position, const Vector3& target)
    {
        camera->setTransform(translation(position));
        camera->lookAt(target.x, target.y, target.z);
    }

    // The scene's passes alone, without the overlay, which takes a unit of its own. The camera's
    // aspect follows the viewport, which the last shadow map left at its own size.
    void renderPassesOnly()
    {
        RenderTarget* target = scene->getRenderTarget();
        target->bind();
        output = captureStdout([&] { scene->render(); });
        glViewport(0, 0, static_cast<int>(target->getSize()->width), static_cast<int>(target->getSize()->height));
        EXPECT_FALSE(glErrorRaised());
    }

    void renderFrames(int frames)
    {
        for (int frame = 0; frame < frames; ++frame)
        {
            output = captureStdout([&] { engine->drawScene(*scene, 1.0f); });
            EXPECT_FALSE(glErrorRaised()) << "frame " << frame;
        }
    }

    // The scene target's pixel where the camera sees the world point.
    Rgba pixelAt(const Vector3& point)
    {
        RenderTarget* target = scene->getRenderTarget();
        std::shared_ptr<Rectangle> size = target->getSize();
        Matrix4 toClip = camera->getProjectionMatrix() * camera->getViewMatrix();
        std::array<float, 4> clip{};
        for (int row = 0; row < 4; ++row)
            clip[row] = toClip(row, 0) * point.x + toClip(row, 1) * point.y + toClip(row, 2) * point.z + toClip(row, 3);
        int x = static_cast<int>((clip[0] / clip[3] * 0.5f + 0.5f) * size->width);
        int y = static_cast<int>((clip[1] / clip[3] * 0.5f + 0.5f) * size->height);
        glBindFramebuffer(GL_FRAMEBUFFER, target->getFramebuffer());
        return readPixel(x, y);
    }

    RenderEngine* engine = nullptr;
    Scene* scene = nullptr;
    CameraNode* camera = nullptr;
    TemporaryDirectory shaders;
    std::string output;
};

namespace
{
// The default shader reads four shadow texels in one gather where the driver offers it and texel by
// texel where it does not; both must show the same shadow.
std::string withoutTextureGather(const std::string& path)
{
    std::ifstream file(path);
    std::ostringstream source;
    for (std::string line; std::getline(file, line);)
        if (line != "#define GATHERS_TEXELS")
            source << line << '\n';
    return source.str();
}

class ShadowLookupTest : public SceneRenderTest, public testing::WithParamInterface<bool>
{
};
}

TEST_P(ShadowLookupTest, ASpotLightCastsTheBoxsShadowOnThePlane)
{
    if (GetParam())
        material("ground", std::make_shared<File>(Pellux::DataDirectories::find("shader/default.vert")),
                 std::make_shared<File>(shaders.write("fetching.frag", withoutTextureGather(Pellux::DataDirectories::find("shader/default.frag").getPath()))));
    else
        defaultMaterial("ground");
    placeMesh(*scene->getRoot(), "plane", makeQuadMesh("ground", 10), {0, 0, 0});
    placeMesh(*scene->getRoot(), "box", makeBoxMesh("ground", 0.5f), {1.5f, 1.5f, 0});
    LightNode* spot = light("spot", 0, {0, 10, 0}, {0, 0, 0});
    spot->setFalloffAngle(1.0472f);
    spot->setHotspotAngle(0.7f);
    spot->setShadowType(1);
    spot->setShadowDensity(0.6f);
    lookFrom({0, 20, -15}, {0, 0, 0});
    renderFrames(3);

    int lit = brightness(pixelAt({-1.8f, 0, -0.4f}));
    int shadowed = brightness(pixelAt({1.8f, 0, -0.4f}));
    int outsideCone = brightness(pixelAt({0, 0, -8}));
    EXPECT_GT(lit, 150);
    EXPECT_LT(shadowed, lit - 60);
    EXPECT_GT(shadowed, outsideCone + 30) << "a density below 1 lets some light through";
    EXPECT_NEAR(outsideCone, static_cast<int>(255 * 0.08f), 3) << "ambient light only";
    EXPECT_GT(brightness(pixelAt({-1.2f, 0, 0.3f})), 150) << "no acne on the lit plane";
}

INSTANTIATE_TEST_SUITE_P(Shaders, ShadowLookupTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "TexelByTexel" : "Gathered"; });

TEST_F(SceneRenderTest, APointLightFallsOffWithDistanceAsItsAttenuationSays)
{
    defaultMaterial("ground");
    placeMesh(*scene->getRoot(), "plane", makeQuadMesh("ground", 10), {0, 0, 0});
    LightNode* point = light("point", 2, {0, 2, 0}, {0, 0, 0});
    point->setLinearAttenuation(0.5f);
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    renderFrames(2);

    struct Expected { Vector3 at; float light; };
    const Expected points[] = {
        {{0, 0, 0}, 1.0f / (1 + 0.5f * 2)},
        {{2, 0, 0}, (2 / std::sqrt(8.0f)) / (1 + 0.5f * std::sqrt(8.0f))},
        {{0, 0, 4}, (2 / std::sqrt(20.0f)) / (1 + 0.5f * std::sqrt(20.0f))},
    };
    for (const Expected& expected : points)
        EXPECT_NEAR(brightness(pixelAt(expected.at)), 255 * (0.08f + expected.light), 4) << expected.at.x << ", " << expected.at.z;
}

// A mirroring transform turns the winding of the faces it places: a quad mirrored once or three times
// still shows its front, lit, and one mirrored twice is an ordinary turn.
TEST_F(SceneRenderTest, AMirroredMeshShowsItsFrontLit)
{
    defaultMaterial("ground");
    light("lamp", 2, {0, 4, 0}, {0, 0, 0});
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    const Vector3 scales[] = {{1, 1, 1}, {-1, 1, 1}, {-1, 1, -1}, {1, 1, -1}, {-1, -1, -1}};
    for (const Vector3& scale : scales)
    {
        MeshNode* quad = placeMesh(*scene->getRoot(), "quad", makeQuadMesh("ground", 1), {0, 0, 0});
        // Mirrored through y too, the quad faces down: turned over, it faces the camera again.
        Matrix4 turnOver = scale.y < 0 ? Matrix4::rotation({1, 0, 0}, 3.14159265f) : Matrix4();
        quad->setTransform(turnOver * Matrix4::scaling(scale));
        renderFrames(2);
        EXPECT_GT(brightness(pixelAt({0.3f, 0, 0.3f})), 60) << scale.x << ", " << scale.y << ", " << scale.z;
        scene->getRoot()->removeChild(quad);
        delete quad;
    }
}

// A quad of the material, every vertex bound fully to one of the joints, which hang below the root,
// all at the origin when the skin was bound.
MeshNode* skinnedQuad(Scene& scene, int joints, std::vector<SceneNode*>& jointNodes, int boundJoint = 0,
                      const std::string& material = "ground")
{
    Mesh* mesh = makeQuadMesh(material, 1);
    SubMesh* quad = mesh->getSubMeshes()[0];
    std::size_t vertices = quad->getVertexCount("position");
    std::vector<float> indices;
    for (std::size_t vertex = 0; vertex < vertices; ++vertex)
        indices.insert(indices.end(), {static_cast<float>(boundJoint), 0, 0, 0});
    quad->setAttribute("jointIndices", indices, 4);
    std::vector<float> weights;
    for (std::size_t vertex = 0; vertex < vertices; ++vertex)
        weights.insert(weights.end(), {1, 0, 0, 0});
    quad->setAttribute("jointWeights", weights, 4);
    for (int joint = 0; joint < joints; ++joint)
    {
        auto* node = new SceneNode("joint-" + std::to_string(joint));
        scene.getRoot()->addChild(node);
        jointNodes.push_back(node);
    }
    MeshNode* node = placeMesh(*scene.getRoot(), "skinned", mesh, {0, 0, 0});
    node->setSkin(std::make_unique<Skin>(std::vector<const SceneNode*>(jointNodes.begin(), jointNodes.end()),
                                         std::vector<Matrix4>(jointNodes.size())));
    return node;
}

// Shaders of one's own that take the joints in a uniform array of 64, unlit white.
const char* const uniformSkinVertex = R"(#version 150
uniform mat4 world;
uniform mat4 view;
uniform mat4 proj;
uniform mat4 jointMatrices[64];
uniform int jointCount;
in vec3 position;
in vec4 jointIndices;
void main()
{
    mat4 skin = jointCount == 0 ? mat4(1.0) : jointMatrices[int(jointIndices.x)];
    gl_Position = proj * view * world * skin * vec4(position, 1.0);
}
)";

// A skinned mesh is drawn where its joints hold it: the default shaders hold hundreds of joints, and
// shaders with a uniform array as many as it has. A skin with more joints than the shaders hold
// stands in its bind pose, said once.
TEST_F(SceneRenderTest, ASkinnedMeshIsDrawnWhereItsJointsHoldIt)
{
    struct SkinCase
    {
        int joints;
        int boundJoint;
        const char* material;
        float drawnAt;
        const char* report;
    };
    const SkinCase cases[] = {
        {1, 0, "ground", 3.0f, nullptr},
        {300, 299, "ground", 3.0f, nullptr},
        {64, 63, "uniform-skin", 3.0f, nullptr},
        {65, 0, "uniform-skin", 0.0f, ")]:\tmesh node 'skinned': its skin has 65 joints, more than the 64 the shaders "
                                      "of material 'uniform-skin' hold; it is drawn in its bind pose\n"},
    };
    defaultMaterial("ground");
    auto* uniformSkin = material("uniform-skin", std::make_shared<File>(shaders.write("skin.vert", uniformSkinVertex)),
                                 std::make_shared<File>(shaders.write("flat.frag", flatFragment)));
    std::vector<unsigned char> white(4, 255);
    captureStdout([&] { uniformSkin->addTexture(new Image("white", 1, 1, white)); });
    light("lamp", 2, {0, 4, 0}, {0, 0, 0});
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    for (const SkinCase& skin : cases)
    {
        std::vector<SceneNode*> joints;
        MeshNode* node = skinnedQuad(*scene, skin.joints, joints, skin.boundJoint, skin.material);
        joints[static_cast<std::size_t>(skin.boundJoint)]->setTransform(translation({3, 0, 0}));
        std::string log;
        for (int frame = 0; frame < 2; ++frame)
        {
            renderFrames(1);
            log += output;
        }
        float elsewhere = skin.drawnAt == 0.0f ? 3.0f : 0.0f;
        EXPECT_GT(brightness(pixelAt({skin.drawnAt, 0, 0})), 60) << skin.joints << " joints";
        EXPECT_EQ(brightness(pixelAt({elsewhere, 0, 0})), 0) << skin.joints << " joints";
        std::size_t reported = skin.report != nullptr ? log.find(skin.report) : std::string::npos;
        EXPECT_EQ(reported != std::string::npos, skin.report != nullptr) << log;
        EXPECT_EQ(log.find("its skin has"), log.rfind("its skin has")) << "once";
        joints.push_back(node);
        for (SceneNode* made : joints)
        {
            scene->getRoot()->removeChild(made);
            delete made;
        }
    }
}

// The shadow maps are drawn with the same bending: a skinned quad moved by its joint casts its
// shadow where it is held, not where it was bound.
TEST_F(SceneRenderTest, ASkinnedMeshCastsItsShadowWhereItsJointsHoldIt)
{
    defaultMaterial("ground");
    placeMesh(*scene->getRoot(), "plane", makeQuadMesh("ground", 10), {0, -2, 0});
    std::vector<SceneNode*> joints;
    skinnedQuad(*scene, 1, joints);
    joints[0]->setTransform(translation({2, 0, 0}));
    LightNode* spot = light("spot", 0, {0, 10, 0}, {0, 0, 0});
    spot->setFalloffAngle(1.2f);
    spot->setHotspotAngle(1.0f);
    spot->setShadowType(1);
    spot->setShadowDensity(1.0f);
    lookFrom({0, 20, -15}, {0, 0, 0});
    renderFrames(3);
    // The light at (0, 10, 0) throws the quad at height 0 onto the plane at -2 a fifth wider.
    int underTheQuad = brightness(pixelAt({2.4f, -2, 0}));
    int whereItWasBound = brightness(pixelAt({-0.6f, -2, 0}));
    EXPECT_LT(underTheQuad, whereItWasBound - 60) << "shadowed " << underTheQuad << ", lit " << whereItWasBound;
}

// A directional light's shadow is fitted around the meshes' bounds: a skinned mesh counts where its
// joints hold it, not where it was bound.
TEST_F(SceneRenderTest, TheBoundsOfASkinnedMeshFollowItsJoints)
{
    defaultMaterial("ground");
    std::vector<SceneNode*> joints;
    MeshNode* node = skinnedQuad(*scene, 1, joints);
    joints[0]->setTransform(translation({3, 0, 0}));
    std::vector<SceneNode*> nodes = {node};
    Bounds box = MeshBounds().ofVisibleMeshes(nodes);
    ASSERT_FALSE(box.empty);
    EXPECT_FLOAT_EQ(box.high.x, 4.0f) << "the quad held at x = 3";
    EXPECT_FLOAT_EQ(box.low.x, -1.0f) << "and where it was bound, which a vertex's rest weight keeps";
}

// The default shader lights the first two lights per pixel and the next two together, worked out per
// vertex: under a light high above, a flat plane must look the same whichever of the four it is.
TEST_F(SceneRenderTest, EachOfFourLightsLightsThePlaneAlike)
{
    defaultMaterial("ground");
    placeMesh(*scene->getRoot(), "plane", makeQuadMesh("ground", 10), {0, 0, 0});
    std::vector<LightNode*> lights;
    for (const char* name : {"light-a", "light-b", "light-c", "light-d"})
        lights.push_back(light(name, 2, {0, 50, 0}, {0, 0, 0}));
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    for (LightNode* lit : lights)
    {
        for (LightNode* each : lights)
        {
            float grey = each == lit ? 0.3f : 0.0f;
            each->setColor(std::make_shared<Vector4>(grey, grey, grey, 1.0f));
        }
        renderFrames(2);
        EXPECT_NEAR(brightness(pixelAt({0, 0, 0})), 255 * (0.08f + 0.3f), 3) << lit->getName();
    }
}

TEST_F(SceneRenderTest, TheEarlyQueueIsDrawnBeforeTheLateOneWhateverTheDistances)
{
    flatMaterial("near-early", {0, 0, 255, 128});
    flatMaterial("far-late", {255, 0, 0, 255})->drawnEarly = false;
    placeMesh(*scene->getRoot(), "near", makeQuadMesh("near-early", 2), {0, 1, 0});
    placeMesh(*scene->getRoot(), "far", makeQuadMesh("far-late", 2), {0, 0, 0});
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    renderFrames(1);
    // Drawn first, the near half-transparent quad hides the far one from the depth test.
    Rgba seen = pixelAt({0, 1, 0});
    EXPECT_EQ(seen[0], 0) << "the far quad was drawn before the near one";
    EXPECT_NEAR(seen[2], 128, 2);
}

// Whatever depth test the caller left, the scene's geometry is depth-tested.
TEST_F(SceneRenderTest, TheDepthTestHoldsWhateverStateTheFrameStartsWith)
{
    flatMaterial("near-early", {0, 0, 255, 255});
    flatMaterial("far-late", {255, 0, 0, 255})->drawnEarly = false;
    placeMesh(*scene->getRoot(), "near", makeQuadMesh("near-early", 2), {0, 1, 0});
    placeMesh(*scene->getRoot(), "far", makeQuadMesh("far-late", 2), {0, 0, 0});
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    glDisable(GL_DEPTH_TEST);
    renderFrames(1);
    EXPECT_EQ(pixelAt({0, 1, 0}), (Rgba{0, 0, 255, 255})) << "the far quad was drawn over the near one";
}

// The first frame draws with every texture in place, also while the lights' shadow maps are bound
// beside them for the first time.
TEST_F(SceneRenderTest, TheFirstFrameShowsTheTexturesOfALitScene)
{
    flatMaterial("textured", {220, 0, 0, 255}, flatBesideShadowsFragment);
    placeMesh(*scene->getRoot(), "plane", makeQuadMesh("textured", 10), {0, 0, 0});
    light("spot", 0, {0, 10, 0}, {0, 0, 0})->setShadowType(1);
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    for (int frame = 0; frame < 3; ++frame)
    {
        renderFrames(1);
        EXPECT_EQ(pixelAt({0, 0, 0}), (Rgba{220, 0, 0, 255})) << "frame " << frame;
    }
}

TEST_F(SceneRenderTest, WithinAQueueTheFarthestNodeComesFirst)
{
    flatMaterial("half-blue", {0, 0, 255, 128});
    flatMaterial("solid-red", {255, 0, 0, 255});
    placeMesh(*scene->getRoot(), "a-near", makeQuadMesh("half-blue", 2), {0, 1, 0});
    placeMesh(*scene->getRoot(), "b-far", makeQuadMesh("solid-red", 2), {0, 0, 0});
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    renderFrames(1);
    Rgba seen = pixelAt({0, 1, 0});
    EXPECT_NEAR(seen[0], 127, 2) << "the red quad behind shows through";
    EXPECT_NEAR(seen[2], 128, 2);
}

TEST_F(SceneRenderTest, AnInvisibleNodeIsNotDrawn)
{
    flatMaterial("green", {0, 255, 0, 255});
    MeshNode* hidden = placeMesh(*scene->getRoot(), "hidden", makeQuadMesh("green", 2), {0, 0, 0});
    hidden->setVisible(false);
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    renderFrames(1);
    EXPECT_EQ(pixelAt({0, 0, 0}), (Rgba{0, 0, 0, 0}));
}

TEST_F(SceneRenderTest, ASceneWithoutLightsRunsTheMainPassOnly)
{
    defaultMaterial("ground");
    placeMesh(*scene->getRoot(), "plane", makeQuadMesh("ground", 10), {0, 0, 0});
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    renderFrames(3);
    EXPECT_TRUE(scene->getLights().empty());
    EXPECT_NEAR(brightness(pixelAt({0, 0, 0})), static_cast<int>(255 * 0.08f), 3);
    EXPECT_EQ(output, "");
}

TEST_F(SceneRenderTest, NodesAtTheCameraPositionAreAllDrawn)
{
    flatMaterial("red", {255, 0, 0, 255});
    flatMaterial("green", {0, 255, 0, 255});
    Vector3 eye(0, 10, 0.01f);
    lookFrom(eye, {0, 0, 0});
    placeMesh(*scene->getRoot(), "first", makeQuadMesh("red", 1, Vector3(-2, 0, 0) - eye), eye);
    placeMesh(*scene->getRoot(), "second", makeQuadMesh("green", 1, Vector3(2, 0, 0) - eye), eye);
    renderFrames(1);
    EXPECT_EQ(pixelAt({-2, 0, 0}), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt({2, 0, 0}), (Rgba{0, 255, 0, 255}));
}

TEST_F(SceneRenderTest, SubMeshesThatCannotBeDrawnAreSkipped)
{
    flatMaterial("red", {255, 0, 0, 255});
    Mesh* mesh = makeQuadMesh("red", 2);
    auto* empty = new SubMesh();
    empty->setMaterialName("red");
    auto* pastItsVertices = new SubMesh();
    pastItsVertices->setAttribute("position", std::vector<float>{0, 0, 0}, 3);
    pastItsVertices->addIndex(0);
    pastItsVertices->addIndex(1);
    pastItsVertices->addIndex(7);
    pastItsVertices->setMaterialName("red");
    auto* unknownMaterial = new SubMesh();
    unknownMaterial->setMaterialName("nobody-has-this");
    mesh->addSubMesh(empty);
    mesh->addSubMesh(pastItsVertices);
    mesh->addSubMesh(unknownMaterial);
    placeMesh(*scene->getRoot(), "odd", mesh, {0, 0, 0});
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    renderFrames(2);
    EXPECT_EQ(pixelAt({0, 0, 0}), (Rgba{255, 0, 0, 255}));
}

TEST_F(SceneRenderTest, ASubMeshThatCannotBeDrawnLeavesTheDrawsAfterItRight)
{
    // The two quads share one sub-mesh, drawn through one vertex array; the odd sub-mesh comes
    // between their draws.
    flatMaterial("red", {255, 0, 0, 255});
    Mesh* quad = makeQuadMesh("red", 1);
    auto* mesh = new Mesh("odd");
    auto* pastItsVertices = new SubMesh();
    pastItsVertices->setAttribute("position", std::vector<float>{0, 0, 0, 1, 0, 0, 0, 0, 1}, 3);
    pastItsVertices->setAttribute("jointIndices", std::vector<float>{0, 0, 0, 0}, 4);
    for (unsigned int index : {0u, 1u, 2u})
        pastItsVertices->addIndex(index);
    pastItsVertices->setMaterialName("red");
    mesh->addSubMesh(pastItsVertices);
    placeMesh(*scene->getRoot(), "far", quad, {-2, 0, 0});
    placeMesh(*scene->getRoot(), "between", mesh, {0, 1, 0});
    placeMesh(*scene->getRoot(), "near", quad, {2, 2, 0});
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    renderFrames(2);
    EXPECT_EQ(pixelAt({-2, 0, 0}), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt({2, 2, 0}), (Rgba{255, 0, 0, 255}));
}

TEST_F(SceneRenderTest, AMaterialsOwnUniformsTakeItsValuesAndNoOtherMaterialsOfItsProgram)
{
    const char* ownUniforms = R"(#version 150
uniform vec3 tint;
uniform float strength;
uniform int mode;
uniform mat4 shift;
uniform sampler2D detail;
out vec4 fragColor;
void main()
{
    vec3 shifted = (shift * vec4(0.0, 0.0, 0.0, 1.0)).xyz;
    fragColor = vec4((tint * strength * float(mode) + shifted) * texture(detail, vec2(0.5)).rgb, 1.0);
}
)";
    auto vertex = std::make_shared<File>(shaders.write("flat.vert", flatVertex));
    auto fragment = std::make_shared<File>(shaders.write("own.frag", ownUniforms));
    SinglePassAutoMapMaterial* given = material("given", vertex, fragment);
    SinglePassAutoMapMaterial* bare = material("bare", vertex, fragment);
    ASSERT_EQ(given->getProgram(), bare->getProgram()) << "one program for both";
    std::string reports = captureStdout([&] {
        given->setValue("tint", MaterialValue::vector(1, 0, 0));
        given->setFloat("strength", 1);
        given->setInt("mode", 1);
        given->setValue("shift", MaterialValue::matrix4(translation({0, 0.5f, 0})));
        given->setValue("detail", MaterialValue::texture(new Image("half", 1, 1, {128, 128, 128, 255})));
        for (int twice = 0; twice < 2; ++twice)
        {
            given->setValue("nowhere", MaterialValue::number(1));
            given->setValue("tint", MaterialValue::number(1));
        }
        given->setValue("tint", MaterialValue::vector(1, 0, 0));
    });
    placeMesh(*scene->getRoot(), "given", makeQuadMesh("given", 1), {-2, 0, 0});
    placeMesh(*scene->getRoot(), "bare", makeQuadMesh("bare", 1), {2, 0, 0});
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    renderFrames(2);
    Rgba shown = pixelAt({-2, 0, 0});
    EXPECT_NEAR(shown[0], 128, 2);
    EXPECT_NEAR(shown[1], 64, 2);
    EXPECT_EQ(shown[2], 0);
    EXPECT_EQ(pixelAt({2, 0, 0}), (Rgba{0, 0, 0, 255})) << "nothing of the other material's values";
    EXPECT_NE(reports.find(")]:\tmaterial 'given': no shader of it declares the uniform 'nowhere'; its value is kept "
                           "and not sent\n"),
              std::string::npos)
        << reports;
    EXPECT_NE(reports.find(")]:\tmaterial 'given': the uniform 'tint' is a vec3, which the value given does not fit; it "
                           "is not sent\n"),
              std::string::npos)
        << reports;
    EXPECT_EQ(countOf(reports, "ERR:"), 2) << reports;
}

namespace
{
// The colour of the second texture unit's element: the material's second image, or the first
// shadow map where the material has one image.
const char* const secondUnitFragment = R"(#version 150
uniform sampler2D textures[2];
out vec4 fragColor;
void main() { fragColor = texture(textures[1], vec2(0.5)); }
)";
const char* const shadowUnitFragment = R"(#version 150
uniform sampler2D textures[1];
uniform sampler2D shadowMaps[1];
out vec4 fragColor;
void main() { fragColor = vec4(texture(textures[0], vec2(0.5)).rgb, 1.0) * 0.001 + vec4(0.0, 0.0, 0.0, 1.0)
                          + vec4(texture(shadowMaps[0], vec2(0.5)).r * 0.0, 0.0, 0.0, 0.0); }
)";

std::vector<int> unitBindings(int units)
{
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    std::vector<int> bound;
    for (int unit = 0; unit < units; ++unit)
    {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        GLint texture = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
        bound.push_back(texture);
    }
    glActiveTexture(static_cast<GLenum>(active));
    return bound;
}
}

TEST_F(SceneRenderTest, TwoDrawsOfAPassWhoseSecondUnitsDifferEachShowTheirOwn)
{
    auto vertex = std::make_shared<File>(shaders.write("flat.vert", flatVertex));
    auto secondUnit = std::make_shared<File>(shaders.write("second.frag", secondUnitFragment));
    SinglePassAutoMapMaterial* greenOnTwo = material("green-on-two", vertex, secondUnit);
    SinglePassAutoMapMaterial* blueOnTwo = material("blue-on-two", vertex, secondUnit);
    Image* red = nullptr;
    Image* green = nullptr;
    Image* blue = nullptr;
    captureStdout([&] {
        red = new Image("red", 1, 1, {255, 0, 0, 255});
        green = new Image("green", 1, 1, {0, 255, 0, 255});
        blue = new Image("blue", 1, 1, {0, 0, 255, 255});
    });
    for (auto [made, second] : {std::pair{greenOnTwo, green}, std::pair{blueOnTwo, blue}})
    {
        made->addTexture(red);
        made->addTexture(second);
    }
    placeMesh(*scene->getRoot(), "far", makeQuadMesh("green-on-two", 1), {-2, 0, 0});
    placeMesh(*scene->getRoot(), "near", makeQuadMesh("blue-on-two", 1), {2, 1, 0});
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    renderFrames(1);
    renderPassesOnly();
    EXPECT_EQ(pixelAt({-2, 0, 0}), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(pixelAt({2, 1, 0}), (Rgba{0, 0, 255, 255}));
    std::vector<int> bound = unitBindings(2);
    EXPECT_EQ(bound[0], static_cast<int>(engine->getTexture(red)->getId()));
    EXPECT_EQ(bound[1], static_cast<int>(engine->getTexture(blue)->getId())) << "the last draw's second image";
}

TEST_F(SceneRenderTest, AUnitThatHeldAShadowMapTakesTheNextDrawsImage)
{
    auto vertex = std::make_shared<File>(shaders.write("flat.vert", flatVertex));
    SinglePassAutoMapMaterial* shadowed =
        material("shadowed", vertex, std::make_shared<File>(shaders.write("shadow-unit.frag", shadowUnitFragment)));
    SinglePassAutoMapMaterial* blueOnTwo =
        material("blue-on-two", vertex, std::make_shared<File>(shaders.write("second.frag", secondUnitFragment)));
    Image* red = nullptr;
    Image* blue = nullptr;
    captureStdout([&] {
        red = new Image("red", 1, 1, {255, 0, 0, 255});
        blue = new Image("blue", 1, 1, {0, 0, 255, 255});
    });
    shadowed->addTexture(red);
    blueOnTwo->addTexture(red);
    blueOnTwo->addTexture(blue);
    LightNode* spot = light("spot", 0, {0, 8, 0}, {0, 0, 0});
    spot->setShadowType(1);
    placeMesh(*scene->getRoot(), "far", makeQuadMesh("shadowed", 1), {-2, 0, 0});
    placeMesh(*scene->getRoot(), "near", makeQuadMesh("blue-on-two", 1), {2, 1, 0});
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    renderFrames(1);
    renderPassesOnly();
    EXPECT_EQ(pixelAt({2, 1, 0}), (Rgba{0, 0, 255, 255})) << "unit 1 holds the image, not the shadow map";
    std::vector<int> bound = unitBindings(2);
    EXPECT_EQ(bound[1], static_cast<int>(engine->getTexture(blue)->getId()));
}

namespace
{
// A node that draws nothing and notes, in each shadow pass, the polygon offset the draws before it
// in the pass left.
class PolygonOffsetProbe : public SceneNode
{
public:
    PolygonOffsetProbe() : SceneNode("probe") {}

    void render(Scene* scene, RenderTarget*) override
    {
        if (!scene->getPass().isShadow())
            return;
        enabled = glIsEnabled(GL_POLYGON_OFFSET_FILL) == GL_TRUE;
        glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &factor);
        glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
    }

    bool enabled = false;
    float factor = 0;
    float units = 0;
};
}

TEST_F(SceneRenderTest, ShadowMapsAreDrawnWithTheirDepthPushedBack)
{
    defaultMaterial("ground");
    placeMesh(*scene->getRoot(), "plane", makeQuadMesh("ground", 10), {0, 0, 0});
    LightNode* spot = light("spot", 0, {0, 10, 0}, {0, 0, 0});
    spot->setShadowType(1);
    // Right before the camera: the last node of each pass.
    auto* probe = new PolygonOffsetProbe();
    probe->setTransform(translation({0, 19, -14}));
    scene->getRoot()->addChild(probe);
    lookFrom({0, 20, -15}, {0, 0, 0});
    renderFrames(1);
    EXPECT_TRUE(probe->enabled);
    EXPECT_FLOAT_EQ(probe->factor, 1.1f);
    EXPECT_FLOAT_EQ(probe->units, 4.0f);
}

TEST_F(SceneRenderTest, TheWindowShowsTheScenesPictureWithTheFade)
{
    flatMaterial("white", {255, 255, 255, 255});
    placeMesh(*scene->getRoot(), "plane", makeQuadMesh("white", 100), {0, 0, 0});
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    engine->endFrame();
    captureStdout([&] { engine->drawScene(*scene, 0.5f); });
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    std::shared_ptr<Rectangle> screen = RenderEngine::getScreenRectangle();
    Rgba centre = readPixel(static_cast<int>(screen->width) / 2, static_cast<int>(screen->height) / 2);
    EXPECT_NEAR(centre[0], 128, 2);
    EXPECT_NEAR(centre[1], 128, 2);
}
// Raises GL_INVALID_ENUM whenever it draws in the chosen pass.
class FaultyMaterial : public Material
{
public:
    FaultyMaterial(const std::string& name, bool inShadowPass) : Material(name), inShadowPass(inShadowPass) {}

    void draw(Scene* scene, MeshNode*, SubMesh*, RenderTarget*) override
    {
        if (scene->getPass().isShadow() == inShadowPass)
            glEnable(0x0B42);
    }
    void drawNode(Scene*, MeshNode*, RenderTarget*) override {}

private:
    bool inShadowPass;
};

TEST_F(SceneRenderTest, TheErrorCheckNamesThePassOfEachErrorOnce)
{
    struct FaultCase
    {
        bool inShadowPass;
        const char* line;
    };
    const FaultCase cases[] = {
        {false, ")]:\tOpenGL error GL_INVALID_ENUM in the main pass\n"},
        {true, ")]:\tOpenGL error GL_INVALID_ENUM in the shadow pass of light 'lamp'\n"},
    };
    GlErrorCheck& check = engine->getGlErrorCheck();
    light("lamp", 0, {0, 10, 0}, {0, 0, 0})->setShadowType(1);
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    for (const FaultCase& fault : cases)
    {
        std::string name = fault.inShadowPass ? "faulty-in-shadow" : "faulty-in-main";
        captureStdout([&] { Tavrin::getInstance().getMaterialManager()->add(new FaultyMaterial(name, fault.inShadowPass)); });
        MeshNode* faulty = placeMesh(*scene->getRoot(), "faulty", makeQuadMesh(name, 1), {0, 0, 0});
        check.setEnabled(true);
        std::string log;
        for (int frame = 0; frame < 2; ++frame)
            log += captureStdout([&] { engine->drawScene(*scene, 1.0f); });
        check.setEnabled(false);
        std::size_t first = log.find(fault.line);
        EXPECT_NE(first, std::string::npos) << log;
        EXPECT_EQ(log.find("OpenGL error"), log.rfind("OpenGL error")) << "once, in that pass only: " << log;
        scene->getRoot()->removeChild(faulty);
        delete faulty;
    }
}
// Counts the nodes of its kind that are alive.
class CountedNode : public SceneNode
{
public:
    explicit CountedNode(const std::string& name) : SceneNode(name) { ++alive; }
    ~CountedNode() override { --alive; }

    static int alive;
};

int CountedNode::alive = 0;

TEST_F(SceneRenderTest, ASceneTakesItsNodesWithItWhenItGoes)
{
    Scene* other = nullptr;
    captureStdout([&] { other = new Scene("other"); });
    SceneNode* parent = other->getRoot();
    for (int depth = 0; depth < 1000; ++depth)
    {
        auto* node = new CountedNode("level");
        parent->addChild(node);
        parent = node;
    }
    parent->addChild(new CountedNode("leaf"));
    other->getRoot()->addChild(new CountedNode("sibling"));
    other->setActiveCamera(nullptr);
    captureStdout([&] { delete other; });
    EXPECT_EQ(CountedNode::alive, 0);
}

// Draws with raw OpenGL, as code outside the engine may: a program and vertex array of its own, the
// lower left quarter of the target as viewport, a quad filling it blue; and leaves all that behind.
class RawQuad
{
public:
    RawQuad()
    {
        const char* vertexSource = "#version 150\nin vec2 corner;\nvoid main() { gl_Position = vec4(corner, 0.0, 1.0); }\n";
        const char* fragmentSource = "#version 150\nout vec4 fragColor;\nvoid main() { fragColor = vec4(0.0, 0.0, 1.0, 1.0); }\n";
        program = glCreateProgram();
        for (auto [stage, source] : {std::pair{GL_VERTEX_SHADER, vertexSource}, std::pair{GL_FRAGMENT_SHADER, fragmentSource}})
        {
            GLuint shader = glCreateShader(stage);
            glShaderSource(shader, 1, &source, nullptr);
            glCompileShader(shader);
            glAttachShader(program, shader);
            glDeleteShader(shader);
        }
        glLinkProgram(program);
        const float corners[] = {-1, -1, 1, -1, 1, 1, -1, -1, 1, 1, -1, 1};
        glGenVertexArrays(1, &vertexArray);
        glBindVertexArray(vertexArray);
        glGenBuffers(1, &buffer);
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
        GLuint corner = static_cast<GLuint>(glGetAttribLocation(program, "corner"));
        glEnableVertexAttribArray(corner);
        glVertexAttribPointer(corner, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        glBindVertexArray(0);
    }

    ~RawQuad()
    {
        glDeleteBuffers(1, &buffer);
        glDeleteVertexArrays(1, &vertexArray);
        glDeleteProgram(program);
    }

    void draw(const RenderTarget& target)
    {
        glUseProgram(program);
        glBindVertexArray(vertexArray);
        glViewport(0, 0, static_cast<int>(target.getSize()->width / 2), static_cast<int>(target.getSize()->height / 2));
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDrawArrays(GL_TRIANGLES, 0, 6);
        ++draws;
    }

    int draws = 0;

private:
    GLuint program = 0;
    GLuint vertexArray = 0;
    GLuint buffer = 0;
};

class RawQuadMaterial : public Material
{
public:
    RawQuadMaterial(const std::string& name, RawQuad& quad) : Material(name), quad(quad) {}

    void draw(Scene*, MeshNode*, SubMesh*, RenderTarget* target) override { quad.draw(*target); }
    void drawNode(Scene*, MeshNode*, RenderTarget*) override {}

private:
    RawQuad& quad;
};

class RawQuadNode : public SceneNode
{
public:
    RawQuadNode(const std::string& name, RawQuad& quad) : SceneNode(name), quad(quad) {}

    void render(Scene*, RenderTarget* target) override { quad.draw(*target); }

private:
    RawQuad& quad;
};

// Between two draws of one material the pass draws something of its own; the second draw must not
// take what it left behind for the engine's state.
TEST_F(SceneRenderTest, ADrawOutsideTheEnginesMaterialsMidPassLeavesTheNextDrawRight)
{
    enum class Drawer
    {
        Material,
        Node
    };
    flatMaterial("red", {255, 0, 0, 255});
    RawQuad quad;
    captureStdout([&] { Tavrin::getInstance().getMaterialManager()->add(new RawQuadMaterial("raw-quad", quad)); });
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    const Vector3 farther{3, 0, -3};
    const Vector3 nearer{1.5f, 5, 1};
    const Vector3 between{0, 1, 0};
    for (Drawer drawer : {Drawer::Material, Drawer::Node})
    {
        SCOPED_TRACE(drawer == Drawer::Material ? "a material of its own" : "a node of its own");
        SceneNode* raw = nullptr;
        if (drawer == Drawer::Material)
            raw = placeMesh(*scene->getRoot(), "raw", makeQuadMesh("raw-quad", 1), between);
        else
        {
            raw = new RawQuadNode("raw", quad);
            raw->setTransform(translation(between));
            scene->getRoot()->addChild(raw);
        }
        MeshNode* first = placeMesh(*scene->getRoot(), "first", makeQuadMesh("red", 0.5f), farther);
        MeshNode* second = placeMesh(*scene->getRoot(), "second", first->getMesh(), nearer);
        quad.draws = 0;
        renderFrames(2);
        EXPECT_EQ(quad.draws, 2) << "once in each frame, between the two";
        EXPECT_EQ(pixelAt(farther), (Rgba{255, 0, 0, 255}));
        EXPECT_EQ(pixelAt(nearer), (Rgba{255, 0, 0, 255}));
        std::shared_ptr<Rectangle> size = scene->getRenderTarget()->getSize();
        EXPECT_EQ(readPixel(static_cast<int>(size->width) / 4, static_cast<int>(size->height) / 4), (Rgba{0, 0, 255, 255}));
        for (SceneNode* node : {raw, static_cast<SceneNode*>(first), static_cast<SceneNode*>(second)})
        {
            scene->getRoot()->removeChild(node);
            delete node;
        }
    }
}

// Notes its name each time the main pass draws it.
class RecordingNode : public SceneNode
{
public:
    RecordingNode(const std::string& name, std::vector<std::string>& drawn) : SceneNode(name), drawn(drawn) {}

    void render(Scene* scene, RenderTarget*) override
    {
        if (!scene->getPass().isShadow())
            drawn.push_back(getName());
    }

private:
    std::vector<std::string>& drawn;
};

// The order kept from frame to frame must be the one a full sort would give: by distance from the
// camera, farthest first, nodes at the camera's position before all, ties in the tree's order.
TEST_F(SceneRenderTest, TheDrawingOrderFollowsNodesAndCameraAsTheyMove)
{
    std::vector<std::string> drawn;
    std::vector<SceneNode*> nodes;
    std::mt19937 random(17);
    std::uniform_real_distribution<float> coordinate(-20, 20);
    auto somewhere = [&] { return Vector3(coordinate(random), coordinate(random), coordinate(random)); };
    for (int index = 0; index < 120; ++index)
    {
        char name[8];
        std::snprintf(name, sizeof name, "n%03d", index);
        auto* node = new RecordingNode(name, drawn);
        // Every tenth node shares its place with the one before it, so that distances tie.
        node->setTransform(translation(index % 10 == 9 ? nodes.back()->getPosition() : somewhere()));
        scene->getRoot()->addChild(node);
        nodes.push_back(node);
    }
    auto expectedOrder = [&] {
        Vector3 eye = camera->getWorldPosition();
        std::vector<std::pair<float, std::string>> byNearness;
        for (SceneNode* node : nodes)
        {
            float distance = (node->getWorldPosition() - eye).length();
            byNearness.emplace_back(distance != 0 ? 1 / distance : 0.0f, node->getName());
        }
        std::stable_sort(byNearness.begin(), byNearness.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<std::string> names;
        for (const auto& placed : byNearness)
            names.push_back(placed.second);
        return names;
    };
    std::uniform_int_distribution<std::size_t> anyNode(0, nodes.size() - 1);
    std::uniform_real_distribution<float> nudge(-0.5f, 0.5f);
    for (int frame = 0; frame < 12; ++frame)
    {
        if (frame == 4)
            nodes[anyNode(random)]->setTransform(camera->getTransform());
        if (frame == 6)
            lookFrom(somewhere(), {0, 0, 0});
        if (frame == 9)
            for (SceneNode* node : nodes)
                node->setTransform(translation(somewhere()));
        for (int moved = 0; moved < 10; ++moved)
        {
            SceneNode* node = nodes[anyNode(random)];
            node->setTransform(translation(node->getPosition() + Vector3(nudge(random), nudge(random), nudge(random))));
        }
        drawn.clear();
        renderFrames(1);
        ASSERT_EQ(drawn, expectedOrder()) << "frame " << frame;
    }
}

// What changed in a sub-mesh between frames shows in the next frame.
TEST_F(SceneRenderTest, ASubMeshChangedBetweenFramesIsDrawnAsItIsNow)
{
    const Rgba red{255, 0, 0, 255};
    const Rgba blue{0, 0, 255, 255};
    const Rgba background{0, 0, 0, 0};
    flatMaterial("red", red);
    flatMaterial("blue", blue);
    lookFrom({0, 10, 0.01f}, {0, 0, 0});
    auto moveAlongX = [](SubMesh& subMesh) {
        std::vector<float> positions = *subMesh.getAttributes().at("position").values;
        for (std::size_t coordinate = 0; coordinate < positions.size(); coordinate += 3)
            positions[coordinate] += 3;
        subMesh.setAttribute("position", positions, 3);
    };
    struct Change
    {
        const char* what;
        std::function<void(SubMesh&)> change;
        std::vector<std::pair<Vector3, Rgba>> seen;
    };
    const Change changes[] = {
        {"its positions moved", moveAlongX, {{{3, 0, 0}, red}, {{0, 0, 0}, background}}},
        {"another material named", [](SubMesh& subMesh) { subMesh.setMaterialName("blue"); }, {{{0, 0, 0}, blue}}},
    };
    for (const Change& change : changes)
    {
        SCOPED_TRACE(change.what);
        MeshNode* node = placeMesh(*scene->getRoot(), "quad", makeQuadMesh("red", 1), {0, 0, 0});
        renderFrames(1);
        EXPECT_EQ(pixelAt({0, 0, 0}), red);
        change.change(*node->getMesh()->getSubMeshes().front());
        renderFrames(1);
        for (const auto& [point, colour] : change.seen)
            EXPECT_EQ(pixelAt(point), colour);
        scene->getRoot()->removeChild(node);
        delete node;
    }
}
}
