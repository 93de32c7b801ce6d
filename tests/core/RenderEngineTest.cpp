#include "pellux/core/KeyCodes.h"
#include "pellux/core/RenderEngine.h"
#include "pellux/foundation/Logger.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

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

// The largest window side the current context allows, as the driver reports its limits.
int largestSideOfThisContext()
{
    GLint viewport[2] = {0, 0};
    GLint texture = 0;
    GLint renderbuffer = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    return std::min({viewport[0], viewport[1], texture, renderbuffer});
}

// The same, read while an engine's window is open: an engine closes its window when it goes.
int largestSideOfAnEnginesContext()
{
    RenderEngine engine;
    captureStdout([&] { engine.init(64, 64, false); });
    return largestSideOfThisContext();
}

struct WindowCase
{
    std::string description;
    int width;
    int height;
    bool fullScreen;
    int expectedWidth;
    int expectedHeight;
    // The ERR line's message, or "" when nothing is wrong.
    std::string message;
};

void expectWindowOfSize(const WindowCase& window)
{
    RenderEngine engine;
    bool initialised = false;
    std::string log = captureStdout([&] {
        initialised = engine.init(window.width, window.height, window.fullScreen, "settings.txt [graphics]");
    });
    ASSERT_TRUE(initialised) << window.description << "\n" << log;
    Rectangle viewport = engine.getViewport();
    EXPECT_EQ(viewport.width, static_cast<float>(window.expectedWidth)) << window.description;
    EXPECT_EQ(viewport.height, static_cast<float>(window.expectedHeight)) << window.description;
    EXPECT_EQ(RenderEngine::getScreenRectangle()->width, static_cast<float>(window.expectedWidth)) << window.description;
    EXPECT_EQ(RenderEngine::getScreenRectangle()->height, static_cast<float>(window.expectedHeight)) << window.description;

    engine.endFrame();
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    Pixel farCorner = readPixel(window.expectedWidth - 1, window.expectedHeight - 1);
    EXPECT_EQ(farCorner.green, 255) << window.description;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << window.description;

    std::size_t error = log.find("ERR:\t[ RenderEngine.cpp     (");
    if (window.message.empty())
    {
        EXPECT_EQ(error, std::string::npos) << window.description << "\n" << log;
        return;
    }
    ASSERT_NE(error, std::string::npos) << window.description << "\n" << log;
    std::string line = log.substr(error, log.find('\n', error) - error);
    EXPECT_EQ(line.substr(line.find(")]:\t") + 4), window.message) << window.description;
    EXPECT_EQ(log.find("ERR", error + 1), std::string::npos) << window.description << "\n" << log;
}

TEST(RenderEngineWindowed, OpensTheAskedSizeOrTheDesktopsWhenTheWindowCannotHaveIt)
{
    createLoggerQuietly();
    expectWindowOfSize({"a size the window can have", 640, 480, false, 640, 480, ""});
    DesktopSize desktop = desktopSize();
    int largest = largestSideOfAnEnginesContext();
    std::string range = " is out of range (1 to " + std::to_string(largest) + " here); ";
    std::string prefix = "settings.txt [graphics]: ";
    const WindowCase cases[] = {
        {"wider than the desktop", desktop.width + 100, 300, false, desktop.width + 100, 300, ""},
        {"no size given", 0, 0, false, desktop.width, desktop.height, ""},
        {"negative sides", -640, -480, false, desktop.width, desktop.height, ""},
        {"X keeps 16 bits of 65536", 65536, 480, false, desktop.width, 480,
         prefix + "width = 65536" + range + std::to_string(desktop.width) + " is used instead"},
        {"X keeps 16 bits of 70000", 70000, 480, false, desktop.width, 480,
         prefix + "width = 70000" + range + std::to_string(desktop.width) + " is used instead"},
        {"beyond OpenGL's limits", 640, largest + 1, false, 640, desktop.height,
         prefix + "height = " + std::to_string(largest + 1) + range + std::to_string(desktop.height) +
             " is used instead"},
        {"full screen takes no size", 70000, 70000, true, desktop.width, desktop.height, ""},
    };
    for (const WindowCase& window : cases)
        expectWindowOfSize(window);
}
}
