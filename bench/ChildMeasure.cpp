#include "ChildMeasure.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long residentKilobytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}

Result inChild(const std::function<bool()>& measure, const std::function<bool()>& prepare)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        std::exit(1);
    pid_t child = fork();
    if (child == 0)
    {
        close(pipeEnds[0]);
        bool ok = prepare();
        long before = residentKilobytes();
        auto start = std::chrono::steady_clock::now();
        ok = ok && measure();
        Result result;
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        result.peakKilobytes = peakKilobytes();
        result.addedKilobytes = result.peakKilobytes - before;
        if (!ok)
            result.seconds = -1;
        if (write(pipeEnds[1], &result, sizeof result) != sizeof result)
            std::_Exit(1);
        std::_Exit(0);
    }
    close(pipeEnds[1]);
    Result result;
    if (read(pipeEnds[0], &result, sizeof result) != sizeof result)
        result.seconds = -1;
    close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    return result;
}

Result medianInChildren(int runs, const std::function<bool()>& measure, const std::function<bool()>& prepare)
{
    std::vector<Result> results;
    for (int run = 0; run < runs; ++run)
        results.push_back(inChild(measure, prepare));
    auto middle = results.begin() + static_cast<std::ptrdiff_t>(results.size() / 2);
    std::nth_element(results.begin(), middle, results.end(),
                     [](const Result& a, const Result& b) { return a.seconds < b.seconds; });
    Result median = *middle;
    for (const Result& result : results)
    {
        median.peakKilobytes = std::max(median.peakKilobytes, result.peakKilobytes);
        median.addedKilobytes = std::max(median.addedKilobytes, result.addedKilobytes);
        if (result.seconds < 0)
            median.seconds = -1;
    }
    return median;
}

void print(const char* what, double megabytes, const Result& result)
{
    if (result.seconds < 0)
    {
        std::printf("  %-22s failed\n", what);
        return;
    }
    std::printf("  %-22s %8.3f s %8.1f MB/s %10.1f MiB peak %10.1f MiB added\n", what, result.seconds,
                megabytes / result.seconds, result.peakKilobytes / 1024.0, result.addedKilobytes / 1024.0);
    std::fflush(stdout);
}
