#include "FrameRateReporter.h"

#include "pellux/foundation/Logger.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <regex>

namespace
{
class FrameRateReporterTest : public testing::Test
{
protected:
    FrameRateReporterTest()
    {
        captureStdout([&] { logger = std::make_unique<Logger>(); });
    }

    std::string addFrame(FrameRateReporter& reporter, float frameTime, float fps)
    {
        return captureStdout([&] { reporter.addFrame(frameTime, fps); });
    }

    std::unique_ptr<Logger> logger;
};

TEST_F(FrameRateReporterTest, LogsOnceMoreThanASecondHasGathered)
{
    FrameRateReporter reporter(*logger);
    EXPECT_EQ(addFrame(reporter, 0.5f, 60.0f), "");
    EXPECT_EQ(addFrame(reporter, 0.5f, 60.0f), "") << "exactly one second is not yet more than one";
    std::string line = addFrame(reporter, 0.1f, 59.83f);
    EXPECT_TRUE(std::regex_match(line, std::regex("INFO:\t\\[ FrameRateReporter\\.cpp \\(\\d+\\)\\]:\tFPS: 59\\.8\n")))
        << line;
    EXPECT_FLOAT_EQ(reporter.getShownFrameRate(), 59.83f);
}

TEST_F(FrameRateReporterTest, StartsCountingAgainAfterEachLine)
{
    FrameRateReporter reporter(*logger);
    EXPECT_NE(addFrame(reporter, 1.5f, 10.0f), "");
    EXPECT_EQ(addFrame(reporter, 0.9f, 20.0f), "");
    std::string line = addFrame(reporter, 0.2f, 100.0f);
    EXPECT_NE(line.find(")]:\tFPS: 100.0\n"), std::string::npos) << line;
}
}
