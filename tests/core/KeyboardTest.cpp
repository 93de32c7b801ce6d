#include "pellux/core/KeyCodes.h"
#include "pellux/core/RenderEngine.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <cstdlib>

using Pellux::RenderEngine;

namespace
{
// Presses real keys on the X server with xdotool; the window must be the only one, so these
// tests run alone.
class KeyboardTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        engine = new RenderEngine();
        captureStdout([] { initialised = engine->init(640, 480); });
    }

    void SetUp() override
    {
        ASSERT_TRUE(initialised);
        if (std::system("command -v xdotool > /dev/null") != 0)
            GTEST_SKIP() << "xdotool is not installed";
    }

    static RenderEngine* engine;
    static bool initialised;
};

RenderEngine* KeyboardTest::engine = nullptr;
bool KeyboardTest::initialised = false;

TEST_F(KeyboardTest, EscapeIsPressedWhileHeldDown)
{
    engine->endFrame();
    EXPECT_FALSE(engine->isKeyPressed(Pellux::Key::Escape));

    ASSERT_EQ(std::system("xdotool keydown Escape"), 0);
    for (int frame = 0; frame < 3; ++frame)
    {
        engine->endFrame();
        EXPECT_TRUE(engine->isKeyPressed(257)) << frame;
        EXPECT_FALSE(engine->isKeyPressed('Q')) << frame;
    }
    ASSERT_EQ(std::system("xdotool keyup Escape"), 0);
    engine->endFrame();
    // A released key is reported once more, so that a tap between two polls is never lost.
    EXPECT_TRUE(engine->isKeyPressed(257));
    engine->endFrame();
    EXPECT_FALSE(engine->isKeyPressed(257));
}

TEST_F(KeyboardTest, AKeyTappedBetweenTwoFramesIsReportedOnce)
{
    ASSERT_EQ(std::system("xdotool key q"), 0);
    engine->endFrame();
    EXPECT_TRUE(engine->isKeyPressed('Q'));
    EXPECT_FALSE(engine->isKeyPressed('Q'));
}
}
