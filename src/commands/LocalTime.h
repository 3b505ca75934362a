#pragma once

#include <ctime>

namespace lettore {

// The calendar time of `seconds` in the local time zone, without the
// shared buffer of std::localtime. The platform's way is in
// LocalTime_unix.cpp or LocalTime_win.cpp.
std::tm localTime(std::time_t seconds);

}  // namespace lettore
