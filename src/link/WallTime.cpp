#include "WallTime.h"

#include <cstdio>
#include <ctime>

namespace lettore {

std::string isoTime(std::chrono::system_clock::time_point when)
{
    using namespace std::chrono;
    const auto ms = floor<milliseconds>(when);
    const auto days = floor<std::chrono::days>(ms);
    const year_month_day date(days);
    const hh_mm_ss time(ms - days);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(time.hours().count()),
                  int(time.minutes().count()), int(time.seconds().count()),
                  int(time.subseconds().count()));
    return text;
}

}  // namespace lettore
