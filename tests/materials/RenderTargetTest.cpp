#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/core/WindowPicture.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/graphics/Texture.h"
#include "pellux/resources/Image.h"
#include "pellux/resources/ImageManager.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "GlContext.h"
#include "TemporaryDirectory.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

using Pellux::Image;
using Pellux::Rectangle;
using Pellux::RenderEngine;
using Pellux::RenderTarget;
using Pellux::Texture;

namespace
{
const Rgba red = {255, 0, 0, 255};
const Rgba green = {0, 255, 0, 255};
const Rgba blue = {0, 0, 255, 255};
const Rgba yellow = {255, 255, 0, 255};
const Rectangle whole(0, 0, 1, 1);

// An image of four quadrants, in rows as images come: the first row is the top of the file.
Image* quadrantImage(int size, Rgba topLeft, Rgba topRight, Rgba bottomLeft, Rgba bottomRight)
{
    std::vector<unsigned char> pixels;
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < size; ++column)
        {
            bool top = row < size / 2;
            bool left = column < size / 2;
            const Rgba& colour = top ? (left ? topLeft : topRight) : (left ? bottomLeft : bottomRight);
            pixels.insert(pixels.end(), colour.begin(), colour.end());
        }
    Image* image = nullptr;
    captureStdout([&] { image = new Image("quadrants", size, size, std::move(pixels)); });
    return image;
}

Image* solidImage(Rgba colour)
{
    return quadrantImage(4, colour, colour, colour, colour);
}

class RenderTargetTest : public testing::Test
{
protected:
    void SetUp() override
    {
        engine = openRenderEngine();
        ASSERT_NE(engine, nullptr);
        captureStdout([&] { target = std::make_unique<RenderTarget>(64, 64); });
        target->bind();
    }

    void TearDown() override { EXPECT_FALSE(glErrorRaised()); }

    Texture* textureOf(Image* image) { return engine->getTexture(image); }

    void draw(Image* image, Rectangle destination, float opacity = 1.0f)
    {
        lastLog = captureStdout([&] { target->drawTexture(textureOf(image), destination, whole, false, opacity); });
    }

    Rgba pixelOfTarget(int x, int y)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, target->getFramebuffer());
        return readPixel(x, y);
    }

    RenderEngine* engine = nullptr;
    std::unique_ptr<RenderTarget> target;
    std::string lastLog;
};

TEST_F(RenderTargetTest, TheFirstDrawingBuildsTheOverlayProgramOnce)
{
    draw(solidImage(red), whole);
    for (const char* step : {"init shader", "attach shader", "link shader", "Shader-program linked successfully."})
        EXPECT_NE(lastLog.find(std::string(")]:\t") + step), std::string::npos) << step << "\n" << lastLog;
    draw(solidImage(blue), whole);
    EXPECT_EQ(lastLog, "");
}

TEST_F(RenderTargetTest, ATextureDrawnOverTheWholeTargetCoversItExactly)
{
    draw(quadrantImage(64, red, green, blue, yellow), whole);
    // Rows go up the target in the order the image holds them, so the image's first row is at the bottom.
    EXPECT_EQ(pixelOfTarget(0, 0), red);
    EXPECT_EQ(pixelOfTarget(63, 0), green);
    EXPECT_EQ(pixelOfTarget(0, 63), blue);
    EXPECT_EQ(pixelOfTarget(63, 63), yellow);
}

// One texel per pixel is the render target's own picture drawn onto the window: every texel must
// arrive unmixed with its neighbours, and the texture must keep its own filtering for later draws.
TEST_F(RenderTargetTest, ATextureOfTheTargetsSizeArrivesTexelForTexel)
{
    std::vector<unsigned char> checkerboard;
    for (int texel = 0; texel < 64 * 64; ++texel)
    {
        const Rgba& colour = (texel % 64 + texel / 64) % 2 == 0 ? red : blue;
        checkerboard.insert(checkerboard.end(), colour.begin(), colour.end());
    }
    Image* image = nullptr;
    captureStdout([&] { image = new Image("checkerboard", 64, 64, std::move(checkerboard)); });
    draw(image, whole);

    glBindFramebuffer(GL_FRAMEBUFFER, target->getFramebuffer());
    std::vector<unsigned char> pixels(64 * 64 * 4);
    glReadPixels(0, 0, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    int wrong = 0;
    for (int pixel = 0; pixel < 64 * 64; ++pixel)
    {
        // The image's first row lands at the bottom, so rows keep their parity.
        const Rgba& expected = (pixel % 64 + pixel / 64) % 2 == 0 ? red : blue;
        wrong += !std::equal(expected.begin(), expected.end(), pixels.begin() + pixel * 4);
    }
    EXPECT_EQ(wrong, 0);

    GLint minification = 0;
    GLint magnification = 0;
    glBindTexture(GL_TEXTURE_2D, textureOf(image)->getId());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minification);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magnification);
    EXPECT_EQ(minification, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(magnification, GL_LINEAR);
}

TEST_F(RenderTargetTest, AStretchedTextureIsFilteredLinearly)
{
    draw(quadrantImage(2, red, green, blue, yellow), whole);
    // Halfway across the bottom row the red and green texels meet: both show.
    Rgba middle = pixelOfTarget(31, 0);
    EXPECT_GT(middle[0], 60);
    EXPECT_GT(middle[1], 60);
}

TEST_F(RenderTargetTest, APartialDestinationLeavesTheRestClear)
{
    draw(solidImage(green), Rectangle(0.5f, 0.5f, 0.5f, 0.5f));
    EXPECT_EQ(pixelOfTarget(40, 40), green);
    EXPECT_EQ(pixelOfTarget(20, 20), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(pixelOfTarget(40, 20), (Rgba{0, 0, 0, 0}));
}

TEST_F(RenderTargetTest, MirroredDestinationsAreDrawnNotCulled)
{
    struct MirrorCase { Rectangle destination; Rgba bottomLeft; Rgba topRight; };
    const MirrorCase cases[] = {
        {Rectangle(1, 0, -1, 1), green, blue},
        {Rectangle(0, 1, 1, -1), blue, green},
        {Rectangle(1, 1, -1, -1), yellow, red},
    };
    Image* image = quadrantImage(64, red, green, blue, yellow);
    for (const MirrorCase& mirror : cases)
    {
        target->bind();
        draw(image, mirror.destination);
        EXPECT_EQ(pixelOfTarget(0, 0), mirror.bottomLeft) << mirror.destination.width << " " << mirror.destination.height;
        EXPECT_EQ(pixelOfTarget(63, 63), mirror.topRight) << mirror.destination.width << " " << mirror.destination.height;
    }
}

TEST_F(RenderTargetTest, OpacityBlendsWithWhatTheTargetHeld)
{
    draw(solidImage(blue), whole);
    draw(solidImage(red), whole, 0.5f);
    Rgba mixed = pixelOfTarget(32, 32);
    EXPECT_NEAR(mixed[0], 128, 1);
    EXPECT_EQ(mixed[1], 0);
    EXPECT_NEAR(mixed[2], 127, 1);
}

TEST_F(RenderTargetTest, DrawingLeavesDepthTestingOnAndBlendingAsItFoundIt)
{
    for (bool blendingOn : {false, true})
    {
        draw(solidImage(blue), whole);
        blendingOn ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        draw(solidImage(red), whole, 0.5f);
        EXPECT_NEAR(pixelOfTarget(32, 32)[2], 127, 1) << "blended whatever was set before";
        EXPECT_EQ(glIsEnabled(GL_BLEND), blendingOn);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    }
}

// Textures and targets are made while other drawing is under way: a light's shadow map, a texture at
// a material's first draw. Each must leave the framebuffer and the active unit's texture it finds.
TEST_F(RenderTargetTest, MakingTexturesAndTargetsLeavesTheBindingsAsTheyWere)
{
    struct Maker
    {
        const char* what;
        std::function<void()> make;
    };
    Image* unseen = solidImage(green);
    const Maker makers[] = {
        {"texture of an image", [&] { engine->getTexture(unseen); }},
        {"empty texture", [] { Texture(8, 8); }},
        {"colour target", [] { RenderTarget(16, 16); }},
        {"depth map", [] { RenderTarget(std::make_shared<Rectangle>(0.0f, 0.0f, 16.0f, 16.0f), true); }},
        {"light", [] { Pellux::LightNode("lamp", 0); }},
        {"scene", [] { Pellux::Scene("other"); }},
        {"resized target", [&] { target->resize(32, 32); }},
    };
    Texture* held = textureOf(solidImage(red));
    for (const Maker& maker : makers)
    {
        glActiveTexture(GL_TEXTURE3);
        glBindTexture(GL_TEXTURE_2D, held->getId());
        glBindFramebuffer(GL_FRAMEBUFFER, target->getFramebuffer());
        captureStdout(maker.make);
        GLint texture = 0;
        GLint framebuffer = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
        EXPECT_EQ(static_cast<unsigned int>(texture), held->getId()) << maker.what;
        EXPECT_EQ(static_cast<unsigned int>(framebuffer), target->getFramebuffer()) << maker.what;
    }
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(RenderTargetTest, NothingIsDrawnWithoutATexture)
{
    target->drawTexture(nullptr, whole, whole, false, 1);
    EXPECT_EQ(pixelOfTarget(32, 32), (Rgba{0, 0, 0, 0}));
}

TEST_F(RenderTargetTest, AColourTargetIsCompleteBindsAtItsSizeAndClearsToTransparentBlack)
{
    draw(solidImage(red), whole);
    std::unique_ptr<RenderTarget> other;
    captureStdout([&] { other = std::make_unique<RenderTarget>(320, 200); });
    target->bind();
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_EQ(pixelOfTarget(10, 10), (Rgba{0, 0, 0, 0}));
    other->bind();
    Rectangle viewport = engine->getViewport();
    EXPECT_EQ(viewport.width, 320.0f);
    EXPECT_EQ(viewport.height, 200.0f);
    EXPECT_NE(other->getColorTexture(), nullptr);
    EXPECT_NE(other->getDepthTexture(), 0u);
    EXPECT_FALSE(other->isDepthMap());
}

int textureWidth(unsigned int texture)
{
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    return width;
}

TEST_F(RenderTargetTest, ADepthMapKeepsItsSizeThroughBindAndResize)
{
    std::unique_ptr<RenderTarget> depthMap;
    std::string log = captureStdout(
        [&] { depthMap = std::make_unique<RenderTarget>(std::make_shared<Rectangle>(0.0f, 0.0f, 1024.0f, 1024.0f), true); });
    EXPECT_EQ(log, "");
    EXPECT_TRUE(depthMap->isDepthMap());
    EXPECT_EQ(depthMap->getColorTexture(), nullptr);
    depthMap->bind();
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_EQ(engine->getViewport().width, 1024.0f);
    EXPECT_EQ(engine->getViewport().height, 1024.0f);
    float depth = 0;
    glReadPixels(5, 5, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f);
    depthMap->resize(1024, 1024);
    EXPECT_EQ(textureWidth(depthMap->getDepthTexture()), 1024);
    EXPECT_EQ(depthMap->getSize()->width, 1024.0f);
}

TEST_F(RenderTargetTest, ResizeGivesNewStorageOfTheNewSize)
{
    target->resize(100, 50);
    EXPECT_EQ(textureWidth(target->getColorTexture()->getId()), 100);
    EXPECT_EQ(textureWidth(target->getDepthTexture()), 100);
    target->bind();
    EXPECT_EQ(engine->getViewport().width, 100.0f);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
}

TEST_F(RenderTargetTest, SizesThatAreNotPositiveAreReportedOnceAndNeverReachOpenGL)
{
    std::unique_ptr<RenderTarget> empty;
    std::string log = captureStdout([&] { empty = std::make_unique<RenderTarget>(0, 0); });
    EXPECT_NE(log.find(")]:\trender target size 0 x 0 is not valid; its textures stay 1 x 1\n"), std::string::npos)
        << log;
    EXPECT_FALSE(glErrorRaised());

    log = captureStdout([&] {
        target->resize(-5, 10);
        target->bind();
        target->bind();
    });
    EXPECT_NE(log.find(")]:\trender target size -5 x 10 is not valid; its textures stay 64 x 64\n"), std::string::npos)
        << log;
    EXPECT_EQ(log.find("ERR", log.find("ERR") + 1), std::string::npos) << "reported once: " << log;
    EXPECT_EQ(textureWidth(target->getColorTexture()->getId()), 64);
}

TEST_F(RenderTargetTest, TheWindowTargetOnlyChangesItsSizeRectangle)
{
    RenderTarget window(0);
    EXPECT_EQ(window.getSize()->width, 700.0f);
    window.resize(1280, 720);
    EXPECT_EQ(window.getSize()->width, 1280.0f);
    EXPECT_EQ(window.getSize()->height, 720.0f);
    EXPECT_EQ(window.getColorTexture(), nullptr);
    EXPECT_EQ(window.getDepthTexture(), 0u);
}

TEST_F(RenderTargetTest, TargetsSharingARectangleSeeOneSize)
{
    auto shared = std::make_shared<Rectangle>(0.0f, 0.0f, 32.0f, 32.0f);
    RenderTarget window(0);
    window.setSize(shared);
    target->setSize(shared);
    window.resize(48, 16);
    target->bind();
    EXPECT_EQ(engine->getViewport().width, 48.0f);
    EXPECT_EQ(engine->getViewport().height, 16.0f);
}

TEST_F(RenderTargetTest, TheEngineKeepsOneTexturePerImage)
{
    Image* first = solidImage(red);
    Image* second = solidImage(red);
    Texture* texture = engine->getTexture(first);
    EXPECT_EQ(engine->getTexture(first), texture);
    EXPECT_NE(engine->getTexture(second), texture);
    EXPECT_EQ(engine->getTexture(nullptr), nullptr);
}

TEST_F(RenderTargetTest, TheEngineDrawsOntoTheWholeWindow)
{
    engine->endFrame();
    engine->drawTexture(textureOf(solidImage(green)), whole, whole, false, 1);
    std::shared_ptr<Rectangle> screen = RenderEngine::getScreenRectangle();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(readPixel(0, 0), green);
    EXPECT_EQ(readPixel(static_cast<int>(screen->width) - 1, static_cast<int>(screen->height) - 1), green);
    EXPECT_EQ(RenderEngine::getOverlay()->getSize(), screen);
}

TEST_F(RenderTargetTest, TheWindowsPictureIsSavedUpright)
{
    TemporaryDirectory directory;
    engine->endFrame();
    // The window's lowest 32 rows red, the 32 above them blue.
    float band = 32 / RenderEngine::getScreenRectangle()->height;
    engine->drawTexture(textureOf(solidImage(red)), Rectangle(0, 0, 1, band), whole, false, 1);
    engine->drawTexture(textureOf(solidImage(blue)), Rectangle(0, band, 1, band), whole, false, 1);
    directory.write("resources/kept", "");
    std::string path = directory.path() + "/window.png";
    ASSERT_TRUE(Pellux::saveWindowPicture(64, 64, path));
    WorkingDirectory inDirectory(directory.path());
    Image* saved = nullptr;
    captureStdout([&] { saved = Pellux::Tavrin::getInstance().getImageManager()->get("../window.png"); });
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->getWidth(), 64);
    const unsigned char* topLeft = saved->getData();
    const unsigned char* bottomLeft = saved->getData() + 63 * 64 * 4;
    EXPECT_EQ(std::vector<int>(topLeft, topLeft + 4), (std::vector<int>{0, 0, 255, 255})) << "images run top row first";
    EXPECT_EQ(std::vector<int>(bottomLeft, bottomLeft + 4), (std::vector<int>{255, 0, 0, 255}));
}

TEST_F(RenderTargetTest, TheOverlayFollowsWindowResizes)
{
    std::shared_ptr<Rectangle> screen = RenderEngine::getScreenRectangle();
    float width = screen->width;
    float height = screen->height;
    RenderEngine::onWindowResize(1280, 720);
    EXPECT_EQ(RenderEngine::getOverlay()->getSize()->width, 1280.0f);
    EXPECT_EQ(RenderEngine::getOverlay()->getSize()->height, 720.0f);
    RenderEngine::onWindowResize(static_cast<int>(width), static_cast<int>(height));
}
}
