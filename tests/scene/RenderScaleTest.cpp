// The scene drawn at a fraction of the window's size and stretched over the whole window.
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/graphics/Texture.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Image.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "SceneBuilding.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace Pellux;

namespace
{
const int width = 240;
const int height = 160;

// Large squares of two colours, so that a picture drawn at half size looks like the whole one
// except along their edges.
Image* squares()
{
    const int side = 32;
    std::vector<unsigned char> texels;
    for (int row = 0; row < side; ++row)
        for (int column = 0; column < side; ++column)
        {
            bool light = (row / 16 + column / 16) % 2 == 0;
            unsigned char colour[4] = {static_cast<unsigned char>(light ? 230 : 40), 120,
                                       static_cast<unsigned char>(light ? 40 : 220), 255};
            texels.insert(texels.end(), colour, colour + 4);
        }
    Image* image = nullptr;
    captureStdout([&] { image = new Image("render-scale-squares", side, side, std::move(texels)); });
    return image;
}

// A floor of coloured squares under a point light, seen from above at a slant: it fills the lower
// part of the window and leaves the black behind it above.
std::unique_ptr<Scene> floorScene()
{
    std::unique_ptr<Scene> scene;
    captureStdout([&] { scene = std::make_unique<Scene>("render-scale"); });
    SinglePassAutoMapMaterial* material = nullptr;
    captureOutput([&] {
        material = new SinglePassAutoMapMaterial("render-scale-floor",
                                                 std::make_shared<File>(Pellux::DataDirectories::find("shader/default.vert")), nullptr,
                                                 std::make_shared<File>(Pellux::DataDirectories::find("shader/default.frag")));
    });
    material->addTexture(squares());
    Tavrin::getInstance().getMaterialManager()->add(material);
    placeMesh(*scene->getRoot(), "floor", makeQuadMesh("render-scale-floor", 4), {0, 0, 0});
    LightNode* light = nullptr;
    CameraNode* camera = nullptr;
    captureStdout([&] {
        light = new LightNode("light", 2);
        camera = new CameraNode("camera");
    });
    light->setTransform(translation({0, 5, 0}));
    scene->getRoot()->addChild(light);
    camera->setTransform(translation({0, 4, 7}));
    camera->lookAt(0, 0, 0);
    scene->getRoot()->addChild(camera);
    scene->setActiveCamera(camera);
    return scene;
}

class RenderScaleTest : public testing::Test
{
protected:
    void SetUp() override
    {
        engine = openRenderEngine();
        ASSERT_NE(engine, nullptr);
        createLoggerQuietly();
        window = *RenderEngine::getScreenRectangle();
        RenderEngine::onWindowResize(width, height);
        scene = floorScene();
    }

    void TearDown() override
    {
        engine->setRenderScale(1);
        RenderEngine::onWindowResize(static_cast<int>(window.width), static_cast<int>(window.height));
        EXPECT_FALSE(glErrorRaised());
    }

    // The window's pixels after two frames at this scale.
    std::vector<unsigned char> pictureAt(float scale)
    {
        engine->setRenderScale(scale);
        captureOutput([&] {
            for (int frame = 0; frame < 2; ++frame)
            {
                engine->endFrame();
                engine->drawScene(*scene, 1.0f);
            }
        });
        std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    RenderEngine* engine = nullptr;
    Rectangle window{0, 0, 0, 0};
    std::unique_ptr<Scene> scene;
};

// The share of pixels whose colour is off by more than a little in some channel.
double shareDiffering(const std::vector<unsigned char>& first, const std::vector<unsigned char>& second)
{
    int differing = 0;
    for (std::size_t pixel = 0; pixel < first.size(); pixel += 4)
        for (std::size_t channel = 0; channel < 3; ++channel)
            if (std::abs(first[pixel + channel] - second[pixel + channel]) > 24)
            {
                ++differing;
                break;
            }
    return static_cast<double>(differing) / (width * height);
}

int litPixels(const std::vector<unsigned char>& pixels)
{
    int lit = 0;
    for (std::size_t pixel = 0; pixel < pixels.size(); pixel += 4)
        lit += pixels[pixel] + pixels[pixel + 1] + pixels[pixel + 2] > 30 ? 1 : 0;
    return lit;
}
}

TEST_F(RenderScaleTest, AtHalfScaleTheSceneIsDrawnAtHalfSizeAndFillsTheWindow)
{
    std::vector<unsigned char> whole = pictureAt(1.0f);
    Texture* picture = scene->getRenderTarget()->getColorTexture();
    EXPECT_EQ(picture->getWidth(), width);
    EXPECT_EQ(picture->getHeight(), height);

    std::vector<unsigned char> half = pictureAt(0.5f);
    EXPECT_EQ(picture->getWidth(), width / 2);
    EXPECT_EQ(picture->getHeight(), height / 2);
    EXPECT_EQ(RenderEngine::getScreenRectangle()->width, width);
    EXPECT_EQ(RenderEngine::getScreenRectangle()->height, height);
    // The floor covers a good part of the window at both scales, in the same place.
    EXPECT_GT(litPixels(whole), width * height / 4);
    EXPECT_NEAR(litPixels(half), litPixels(whole), width * height / 50);
    EXPECT_LT(shareDiffering(half, whole), 0.1);

    // Back at the whole size the picture is as it was, pixel for pixel.
    EXPECT_EQ(pictureAt(1.0f), whole);
}

TEST_F(RenderScaleTest, ScalesOutsideZeroToOneDrawAtTheWholeSize)
{
    std::vector<unsigned char> whole = pictureAt(1.0f);
    for (float scale : {0.0f, -0.5f, 1.5f, std::nanf("")})
    {
        EXPECT_EQ(pictureAt(scale), whole) << scale;
        EXPECT_EQ(engine->getRenderScale(), 1.0f) << scale;
    }
}

TEST_F(RenderScaleTest, ATinyScaleStillDrawsOnePixel)
{
    pictureAt(0.001f);
    Texture* picture = scene->getRenderTarget()->getColorTexture();
    EXPECT_EQ(picture->getWidth(), 1);
    EXPECT_EQ(picture->getHeight(), 1);
}

TEST_F(RenderScaleTest, TheScaleIsOfTheWindowWhateverViewportWasSetLast)
{
    pictureAt(0.5f);
    std::unique_ptr<RenderTarget> other;
    captureOutput([&] {
        other = std::make_unique<RenderTarget>(64, 64);
        other->bind();
        engine->drawScene(*scene, 1.0f);
    });
    Texture* picture = scene->getRenderTarget()->getColorTexture();
    EXPECT_EQ(picture->getWidth(), width / 2);
    EXPECT_EQ(picture->getHeight(), height / 2);
}
