#include "pellux/core/FrameTimer.h"

#include <gtest/gtest.h>

#include <cmath>

using Pellux::FrameTimer;

namespace
{
TEST(FrameTimer, FirstFrameMeasuresNothingAndEstimatesAnInfiniteRate)
{
    FrameTimer timer;
    timer.endFrame(12.5);
    EXPECT_EQ(timer.getFrameTime(), 0.0f);
    EXPECT_TRUE(std::isinf(timer.getFps()));
}

TEST(FrameTimer, EstimateWeighsThePreviousFrameAt99Percent)
{
    struct Step { double now; float frameTime; float fps; };
    const Step steps[] = {
        {100.00, 0.0f, INFINITY},
        {100.01, 0.01f, 1.0f / 0.0001f},
        {100.03, 0.02f, 1.0f / (0.0099f + 0.0002f)},
        {100.04, 0.01f, 1.0f / (0.0198f + 0.0001f)},
        {100.04, 0.0f, 1.0f / 0.0099f},
    };
    FrameTimer timer;
    for (const Step& step : steps)
    {
        timer.endFrame(step.now);
        EXPECT_NEAR(timer.getFrameTime(), step.frameTime, 1e-5f) << step.now;
        if (std::isinf(step.fps))
            EXPECT_TRUE(std::isinf(timer.getFps()));
        else
            EXPECT_NEAR(timer.getFps(), step.fps, step.fps * 1e-3f) << step.now;
    }
}

TEST(FrameTimer, KeepsMillisecondsAfterHoursOfRunning)
{
    FrameTimer timer;
    timer.endFrame(36000.0);
    timer.endFrame(36000.016);
    EXPECT_NEAR(timer.getFrameTime(), 0.016f, 1e-6f);
}
}
