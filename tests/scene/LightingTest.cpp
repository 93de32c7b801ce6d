// Directional and ambient light as the default shaders show them, on scenes built in code.
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "SceneBuilding.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>

using namespace Pellux;

namespace
{
const float alwaysThere = 0.08f;

int brightness(const Rgba& pixel)
{
    return (pixel[0] + pixel[1] + pixel[2]) / 3;
}

// A white plane of the default material below a camera, and the lights a test adds.
class LightingTest : public testing::Test
{
protected:
    void SetUp() override
    {
        engine = openRenderEngine();
        ASSERT_NE(engine, nullptr);
        createLoggerQuietly();
        captureOutput([&] {
            scene = new Scene("lighting");
            camera = new CameraNode("camera");
            auto* ground = new SinglePassAutoMapMaterial("lit-ground", std::make_shared<File>(Pellux::DataDirectories::find("shader/default.vert")),
                                                         nullptr, std::make_shared<File>(Pellux::DataDirectories::find("shader/default.frag")));
            ground->setFloat("specularCoefficient", 0);
            Tavrin::getInstance().getMaterialManager()->add(ground);
        });
        scene->getRoot()->addChild(camera);
        scene->setActiveCamera(camera);
        placeMesh(*scene->getRoot(), "plane", makeQuadMesh("lit-ground", 10), {0, 0, 0});
        lookFrom({0, 20, -15}, {0, 0, 0});
    }

    void TearDown() override
    {
        EXPECT_FALSE(glErrorRaised());
        delete scene;
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

    void renderFrames(int frames)
    {
        for (int frame = 0; frame < frames; ++frame)
        {
            captureStdout([&] { engine->drawScene(*scene, 1.0f); });
            EXPECT_FALSE(glErrorRaised()) << "frame " << frame;
        }
    }

    int brightnessAt(const Vector3& point)
    {
        RenderTarget* target = scene->getRenderTarget();
        std::shared_ptr<Rectangle> size = target->getSize();
        Matrix4 toClip = camera->getProjectionMatrix() * camera->getViewMatrix();
        std::array<float, 4> clip{};
        for (int row = 0; row < 4; ++row)
            clip[row] = toClip(row, 0) * point.x + toClip(row, 1) * point.y + toClip(row, 2) * point.z + toClip(row, 3);
        glBindFramebuffer(GL_FRAMEBUFFER, target->getFramebuffer());
        return brightness(readPixel(static_cast<int>((clip[0] / clip[3] * 0.5f + 0.5f) * size->width),
                                    static_cast<int>((clip[1] / clip[3] * 0.5f + 0.5f) * size->height)));
    }

    RenderEngine* engine = nullptr;
    Scene* scene = nullptr;
    CameraNode* camera = nullptr;
};
}

// A directional light shines along its node's -Z axis wherever the node stands, alike on every part
// of the plane whatever its attenuation says, and its shadow map, fitted around the scene, holds the
// box's shadow. The light stands amid the scene, with meshes behind it too.
TEST_F(LightingTest, ADirectionalLightShinesAlongItsAxisAndCastsTheBoxsShadow)
{
    placeMesh(*scene->getRoot(), "box", makeBoxMesh("lit-ground", 0.5f), {0, 1.5f, 0});
    LightNode* sun = light("sun", LightNode::directionalLight, {0, 0.5f, 0}, {1, -1.5f, 0});
    sun->setLinearAttenuation(0.5f);
    sun->setShadowType(1);
    sun->setShadowDensity(1.0f);
    renderFrames(3);

    // Along (1, -2, 0): the plane's normal takes 2 / sqrt(5) of it, and the box's middle falls on (0.75, 0, 0).
    int expected = static_cast<int>(255 * (alwaysThere + 2 / std::sqrt(5.0f)));
    for (const Vector3& lit : {Vector3(-3, 0, 0), Vector3(-8, 0, -8), Vector3(7, 0, 6)})
        EXPECT_NEAR(brightnessAt(lit), expected, 3) << lit.x << ", " << lit.z;
    EXPECT_NEAR(brightnessAt({0.75f, 0, 0}), static_cast<int>(255 * alwaysThere), 3) << "in the box's shadow";
    EXPECT_GT(brightnessAt({-0.6f, 0, 0}), expected - 5) << "beside the shadow, no acne";
}

TEST_F(LightingTest, ADirectionalShadowFollowsWhatMoves)
{
    MeshNode* box = placeMesh(*scene->getRoot(), "box", makeBoxMesh("lit-ground", 0.5f), {0, 1.5f, 0});
    LightNode* sun = light("sun", LightNode::directionalLight, {0, 30, 0}, {0, 0, 0});
    sun->setShadowType(1);
    renderFrames(2);
    EXPECT_LT(brightnessAt({0, 0, 0}), 40);
    // Out past where the scene was when the map was first fitted.
    box->setTransform(translation({12, 1.5f, 0}));
    placeMesh(*scene->getRoot(), "far-plane", makeQuadMesh("lit-ground", 4), {12, 0, 0});
    renderFrames(2);
    EXPECT_GT(brightnessAt({0, 0, 0}), 200);
    EXPECT_LT(brightnessAt({12, 0, 0}), 40);
}

// The shaders receive a light's kind as it is at each frame: a spot light turned into a point light
// after a frame shines outside its old cone.
TEST_F(LightingTest, ALightWhoseKindChangesShinesAsItsNewKind)
{
    LightNode* lamp = light("lamp", LightNode::spotLight, {0, 5, 0}, {0, 0, 0});
    lamp->setHotspotAngle(0.1f);
    lamp->setFalloffAngle(0.2f);
    renderFrames(1);
    EXPECT_NEAR(brightnessAt({4, 0, 4}), static_cast<int>(255 * alwaysThere), 3) << "outside the cone";
    lamp->setLightKind(LightKind::Point);
    renderFrames(1);
    // From (0, 5, 0) the plane's normal takes 5 / sqrt(57) of the light.
    EXPECT_NEAR(brightnessAt({4, 0, 4}), static_cast<int>(255 * (alwaysThere + 5 / std::sqrt(57.0f))), 3);
}

// The always-there light and what the ambient lights add, and nothing else, on a plane no other
// light reaches.
TEST_F(LightingTest, AmbientLightsRaiseEverySurfaceByTheSumOfTheirColours)
{
    struct Ambient
    {
        std::vector<Vector4> colours;
        float multiplier;
        float added;
    };
    const Ambient cases[] = {
        {{}, 1, 0},
        {{{0.3f, 0.3f, 0.3f, 1}}, 1, 0.3f},
        {{{0.1f, 0.2f, 0.3f, 1}, {0.1f, 0.2f, 0.3f, 1}}, 1, 0.4f},
        {{{0.1f, 0.1f, 0.1f, 1}}, 3, 0.3f},
    };
    for (const Ambient& ambient : cases)
    {
        std::vector<LightNode*> made;
        for (const Vector4& colour : ambient.colours)
        {
            made.push_back(light("ambient-" + std::to_string(made.size()), LightNode::ambientLight, {0, 5, 0}, {0, 0, 0}));
            made.back()->setColor(std::make_shared<Vector4>(colour));
            made.back()->setDiffuseCoefficient(ambient.multiplier);
        }
        renderFrames(1);
        EXPECT_NEAR(brightnessAt({0, 0, 0}), 255 * (alwaysThere + ambient.added), 3) << ambient.added;
        EXPECT_NEAR(brightnessAt({6, 0, -6}), 255 * (alwaysThere + ambient.added), 3) << ambient.added;
        EXPECT_TRUE(scene->getLights().empty()) << "ambient lights light no surface from a place";
        for (LightNode* each : made)
        {
            scene->getRoot()->removeChild(each);
            delete each;
        }
    }
}
