#pragma once

#include <ctime>

namespace lettore::test {

// CPU time used so far by the whole process, all threads, in seconds.
inline double processCpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace lettore::test
