#pragma once

#include <ctime>

namespace lettore::test {

// CPU time used so far by the whole process, all threads, in seconds.
inline double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace lettore::test
