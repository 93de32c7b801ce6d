#pragma once

#include <functional>
#include <string>
#include <vector>

// What `action` writes to standard output.
std::string captureStdout(const std::function<void()>& action);

struct CapturedOutput
{
    std::string out;
    std::string err;
};

// What `action` writes to standard output and to standard error.
CapturedOutput captureOutput(const std::function<void()>& action);

// The messages of the ERR lines of a log, without their prefixes.
std::vector<std::string> errorMessages(const std::string& log);

// How often `part` occurs in `text`, such as "ERR:" in a log.
int countOf(const std::string& text, const std::string& part);

// Creates the process's logger, leaving its opening empty lines out of the test's output.
void createLoggerQuietly();
