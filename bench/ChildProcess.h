#pragma once

#include <cstdlib>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

// Runs `work` in a process of its own, so that each measurement opens its own window and its
// peak memory is its own; false when the process failed.
inline bool runInChildProcess(const std::function<void()>& work)
{
    pid_t child = fork();
    if (child == 0)
    {
        work();
        std::_Exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
