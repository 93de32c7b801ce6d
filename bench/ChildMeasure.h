#pragma once

#include <functional>

// What one measurement found: its time, and the process's peak resident memory and how much of it
// the measurement added.
struct Result
{
    double seconds = 0;
    long peakKilobytes = 0;
    long addedKilobytes = 0;
};

// Runs `prepare`, then times `measure`, in a child process of its own, so that its peak memory is
// its own, and reads back what it found; a measurement that fails has negative seconds.
Result inChild(const std::function<bool()>& measure, const std::function<bool()>& prepare = [] { return true; });

// The same `runs` times: the median time, and the largest peak and added memory of any run.
Result medianInChildren(int runs, const std::function<bool()>& measure,
                        const std::function<bool()>& prepare = [] { return true; });

// One line: time, throughput over `megabytes`, peak and added memory.
void print(const char* what, double megabytes, const Result& result);
