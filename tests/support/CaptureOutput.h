#pragma once

#include <functional>
#include <string>

// What `action` writes to standard output.
std::string captureStdout(const std::function<void()>& action);

// Creates the process's logger, leaving its opening empty lines out of the test's output.
void createLoggerQuietly();
