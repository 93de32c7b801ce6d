#include "CaptureOutput.h"

#include "pellux/foundation/Logger.h"

#include <gtest/gtest.h>

std::string captureStdout(const std::function<void()>& action)
{
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}

void createLoggerQuietly()
{
    captureStdout([] { Logger::getInstance(); });
}
