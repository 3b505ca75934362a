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
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(date.year()), unsigned(date.month()),
                  unsigned(date.day()), int(time.hours().count()), int(time.minutes().count()),
                  int(time.seconds().count()), int(time.subseconds().count()));
    return text;
}

std::string isoTime(long long ms)
{
    return isoTime(std::chrono::system_clock::time_point(std::chrono::milliseconds(ms)));
}

std::optional<long long> isoMilliseconds(std::string_view text)
{
    using namespace std::chrono;
    // 2026-12-06T23:16:45.670Z
    if (text.size() != 24 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':'
        || text[19] != '.' || text[23] != 'Z')
        return std::nullopt;
    const auto number = [&](std::size_t at, std::size_t count) -> std::optional<int> {
        int value = 0;
        for (std::size_t i = at; i < at + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return std::nullopt;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    const auto y = number(0, 4), mo = number(5, 2), d = number(8, 2), h = number(11, 2), mi = number(14, 2),
               s = number(17, 2), ms = number(20, 3);
    if (!y || !mo || !d || !h || !mi || !s || !ms || *h > 23 || *mi > 59 || *s > 59)
        return std::nullopt;
    const year_month_day date{year(*y), month(unsigned(*mo)), day(unsigned(*d))};
    if (!date.ok())
        return std::nullopt;
    const auto days = sys_days(date).time_since_epoch();
    return duration_cast<milliseconds>(days).count() + ((*h * 60LL + *mi) * 60 + *s) * 1000 + *ms;
}

}  // namespace lettore
