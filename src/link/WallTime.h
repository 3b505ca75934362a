#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace lettore {

// The wall time every traffic record carries: ISO 8601 in UTC with the
// date, milliseconds and the offset, "2026-12-06T23:16:45.670Z", so logs of
// different programs line up however their machines' time zones are set.
std::string isoTime(std::chrono::system_clock::time_point when);
// isoTime() of `ms` milliseconds since the epoch.
std::string isoTime(long long ms);
// Milliseconds since the epoch of a text isoTime() wrote; nothing for any
// other text.
std::optional<long long> isoMilliseconds(std::string_view text);

}  // namespace lettore
