#include "CaptureOutput.h"

#include "pellux/foundation/Logger.h"

#include <gtest/gtest.h>

std::string captureStdout(const std::function<void()>& action)
{
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}

CapturedOutput captureOutput(const std::function<void()>& action)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    action();
    CapturedOutput output;
    output.err = testing::internal::GetCapturedStderr();
    output.out = testing::internal::GetCapturedStdout();
    return output;
}

void createLoggerQuietly()
{
    captureStdout([] { Logger::getInstance(); });
}

int countOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::vector<std::string> errorMessages(const std::string& log)
{
    std::vector<std::string> messages;
    std::size_t at = 0;
    while ((at = log.find("ERR:\t", at)) != std::string::npos)
    {
        std::size_t start = log.find(")]:\t", at) + 4;
        std::size_t end = log.find('\n', start);
        messages.push_back(log.substr(start, end - start));
        at = end;
    }
    return messages;
}
