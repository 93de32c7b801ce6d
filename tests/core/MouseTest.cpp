#include "pellux/core/KeyCodes.h"
#include "pellux/core/RenderEngine.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using Pellux::RenderEngine;
namespace MouseButton = Pellux::MouseButton;

namespace
{
// Moves, clicks and turns the wheel on the X server with xdotool, in a window titled so that
// xdotool finds it; the window must be the only one under the pointer, so these tests run alone.
class MouseTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        engine = new RenderEngine();
        captureStdout([] { initialised = engine->init(640, 480, false); });
        engine->setWindowTitle(title);
    }

    void SetUp() override
    {
        ASSERT_TRUE(initialised);
        if (std::system("command -v xdotool > /dev/null") != 0)
            GTEST_SKIP() << "xdotool is not installed";
        engine->endFrame();
    }

    // xdotool COMMAND with the mouse over the window, then one frame to poll what it did.
    static void onWindow(const std::string& command)
    {
        std::string line = "xdotool search --sync --name '^" + std::string(title) + "$' " + command;
        ASSERT_EQ(std::system(line.c_str()), 0) << line;
        engine->endFrame();
    }

    static constexpr const char* title = "pellux mouse test";
    static RenderEngine* engine;
    static bool initialised;
};

RenderEngine* MouseTest::engine = nullptr;
bool MouseTest::initialised = false;

TEST_F(MouseTest, CursorIsInWindowPixelsFromTheTopLeft)
{
    struct Point { int x; int y; };
    for (Point point : {Point{10, 20}, Point{600, 30}, Point{5, 470}, Point{320, 240}})
    {
        onWindow("mousemove --sync --window %1 " + std::to_string(point.x) + " " + std::to_string(point.y));
        EXPECT_EQ(engine->getCursorPosition().x, point.x);
        EXPECT_EQ(engine->getCursorPosition().y, point.y);
    }
}

TEST_F(MouseTest, ButtonsHaveTheEngineCodesWhileHeldDown)
{
    onWindow("mousemove --sync --window %1 100 100");
    // xdotool counts X's buttons: 1 left, 2 middle, 3 right.
    struct ButtonCase { const char* xButton; int engineButton; };
    for (ButtonCase button : {ButtonCase{"1", MouseButton::Left}, ButtonCase{"3", MouseButton::Right},
                              ButtonCase{"2", MouseButton::Middle}})
    {
        onWindow(std::string("mousedown --window %1 ") + button.xButton);
        for (int frame = 0; frame < 2; ++frame)
        {
            for (int other : {MouseButton::Left, MouseButton::Right, MouseButton::Middle})
                EXPECT_EQ(engine->isMouseButtonPressed(other), other == button.engineButton)
                    << "X button " << button.xButton << ", engine button " << other;
            engine->endFrame();
        }
        onWindow(std::string("mouseup --window %1 ") + button.xButton);
        // A released button is reported once more, so that a click between two polls is never lost.
        EXPECT_TRUE(engine->isMouseButtonPressed(button.engineButton)) << button.xButton;
        engine->endFrame();
        EXPECT_FALSE(engine->isMouseButtonPressed(button.engineButton)) << button.xButton;
    }
}

TEST_F(MouseTest, AClickBetweenTwoFramesIsReportedOnce)
{
    onWindow("mousemove --sync --window %1 200 200 click --window %1 1");
    EXPECT_TRUE(engine->isMouseButtonPressed(MouseButton::Left));
    EXPECT_FALSE(engine->isMouseButtonPressed(MouseButton::Left));
}

TEST_F(MouseTest, ButtonsGlfwDoesNotKnowAreNeverPressed)
{
    CapturedOutput output = captureOutput([] {
        for (int button : {-1, MouseButton::Last + 1, 1000})
            EXPECT_FALSE(engine->isMouseButtonPressed(button)) << button;
    });
    EXPECT_EQ(output.out, "");
}

TEST_F(MouseTest, WheelStepsCountForTheFrameTheyHappenedIn)
{
    onWindow("mousemove --sync --window %1 300 300");
    // X's buttons 4 and 5 are the wheel turned away from and towards the user.
    struct WheelCase { const char* clicks; float offset; };
    for (WheelCase wheel : {WheelCase{"click --window %1 4", 1}, WheelCase{"click --repeat 3 --window %1 4", 3},
                            WheelCase{"click --repeat 2 --window %1 5", -2}})
    {
        onWindow(wheel.clicks);
        EXPECT_EQ(engine->getWheelOffset(), wheel.offset) << wheel.clicks;
        engine->endFrame();
        EXPECT_EQ(engine->getWheelOffset(), 0) << wheel.clicks;
    }
}
}
