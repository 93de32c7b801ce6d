#include "ProcessMemory.h"

#include <fstream>
#include <unistd.h>

long long residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    long long resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}
