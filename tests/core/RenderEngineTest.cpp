#include "pellux/core/KeyCodes.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/foundation/Logger.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <array>

using Pellux::Rectangle;
using Pellux::RenderEngine;

namespace
{
struct Pixel
{
    unsigned char red, green, blue, alpha;
};

Pixel readPixel(int x, int y)
{
    Pixel pixel{};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}

struct DesktopSize
{
    int width;
    int height;
};

DesktopSize desktopSize()
{
    const GLFWvidmode* mode = glfwGetVideoMode(glfwGetPrimaryMonitor());
    return {mode->width, mode->height};
}

// One full-screen engine for the whole suite, as the demo opens it.
class RenderEngineTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        engine = new RenderEngine();
        initLog = captureStdout([] { initialised = engine->init(640, 480); });
    }

    void SetUp() override { ASSERT_TRUE(initialised) << initLog; }

    static RenderEngine* engine;
    static bool initialised;
    static std::string initLog;
};

RenderEngine* RenderEngineTest::engine = nullptr;
bool RenderEngineTest::initialised = false;
std::string RenderEngineTest::initLog;

TEST(RenderEngineBeforeInit, ScreenRectangleIsTheDefault800x600)
{
    std::shared_ptr<Rectangle> screen = RenderEngine::getScreenRectangle();
    EXPECT_EQ(screen->x, 0.0f);
    EXPECT_EQ(screen->y, 0.0f);
    EXPECT_EQ(screen->width, 800.0f);
    EXPECT_EQ(screen->height, 600.0f);
    EXPECT_EQ(RenderEngine().getFrameTime(), 0.0f);
}

TEST_F(RenderEngineTest, InitLogsEachStepInOrder)
{
    std::size_t glfw = initLog.find("INFO:\t[ RenderEngine.cpp     (");
    ASSERT_NE(glfw, std::string::npos) << initLog;
    std::size_t glfwLine = initLog.find(")]:\tGLFW initialized\n");
    std::size_t context = initLog.find(")]:\tOpenGL 3.2 core context created\n");
    std::size_t glew = initLog.find(")]:\tGLEW initialized\n");
    EXPECT_NE(glfwLine, std::string::npos) << initLog;
    EXPECT_LT(glfwLine, context) << initLog;
    EXPECT_LT(context, glew) << initLog;
    EXPECT_NE(glew, std::string::npos) << initLog;
    EXPECT_EQ(initLog.find("ERR"), std::string::npos) << initLog;
}

TEST_F(RenderEngineTest, InitGivesACoreContextOf32OrLater)
{
    GLint major = 0;
    GLint minor = 0;
    GLint profile = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_GE(major * 10 + minor, 32);
    EXPECT_TRUE(profile & GL_CONTEXT_CORE_PROFILE_BIT);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderEngineTest, FullScreenWindowHasTheDesktopSizeWhateverWasAsked)
{
    DesktopSize desktop = desktopSize();
    Rectangle viewport = engine->getViewport();
    EXPECT_EQ(viewport.x, 0.0f);
    EXPECT_EQ(viewport.y, 0.0f);
    EXPECT_EQ(viewport.width, static_cast<float>(desktop.width));
    EXPECT_EQ(viewport.height, static_cast<float>(desktop.height));
    std::shared_ptr<Rectangle> screen = RenderEngine::getScreenRectangle();
    EXPECT_EQ(screen->width, static_cast<float>(desktop.width));
    EXPECT_EQ(screen->height, static_cast<float>(desktop.height));
    EXPECT_TRUE(engine->isWindowOpen());
}

TEST_F(RenderEngineTest, EndFrameClearsTheWindowToOpaqueBlack)
{
    DesktopSize desktop = desktopSize();
    glClearColor(1.0f, 0.5f, 0.25f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_EQ(readPixel(0, 0).red, 255);

    engine->endFrame();

    for (std::array<int, 2> corner : {std::array<int, 2>{0, 0}, {desktop.width - 1, desktop.height - 1},
                                      {desktop.width / 2, desktop.height / 2}})
    {
        Pixel pixel = readPixel(corner[0], corner[1]);
        EXPECT_EQ(pixel.red, 0);
        EXPECT_EQ(pixel.green, 0);
        EXPECT_EQ(pixel.blue, 0);
        EXPECT_EQ(pixel.alpha, 255);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderEngineTest, EndFrameMeasuresFrameTimeAndRate)
{
    engine->endFrame();
    engine->endFrame();
    EXPECT_GT(engine->getFrameTime(), 0.0f);
    EXPECT_LT(engine->getFrameTime(), 10.0f);
    EXPECT_GT(engine->getFps(), 0.0f);
}

TEST_F(RenderEngineTest, ResizeSetsViewportAndScreenRectangle)
{
    DesktopSize desktop = desktopSize();
    RenderEngine::onWindowResize(1280, 720);
    Rectangle viewport = engine->getViewport();
    EXPECT_EQ(viewport.width, 1280.0f);
    EXPECT_EQ(viewport.height, 720.0f);
    EXPECT_EQ(RenderEngine::getScreenRectangle()->width, 1280.0f);
    EXPECT_EQ(RenderEngine::getScreenRectangle()->height, 720.0f);
    RenderEngine::onWindowResize(desktop.width, desktop.height);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderEngineTest, KeysWithoutAGlfw3CodeAreNeverPressed)
{
    for (int key : {-1, 0, 200, 1000})
        EXPECT_FALSE(engine->isKeyPressed(key)) << key;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(RenderEngineWindowed, OpensAWindowOfTheAskedSize)
{
    RenderEngine engine;
    bool initialised = false;
    std::string log = captureStdout([&] { initialised = engine.init(640, 480, false); });
    ASSERT_TRUE(initialised) << log;
    Rectangle viewport = engine.getViewport();
    EXPECT_EQ(viewport.width, 640.0f);
    EXPECT_EQ(viewport.height, 480.0f);
    EXPECT_EQ(RenderEngine::getScreenRectangle()->width, 640.0f);
    EXPECT_EQ(RenderEngine::getScreenRectangle()->height, 480.0f);
    engine.endFrame();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
}
