#pragma once

#include <string>

namespace lettore {

// Badge codes as the white list holds them: ten characters.
class BadgeCode {
public:
    static constexpr size_t Length = 10;

    // `number` as ten decimal digits with leading zeros: 5 gives
    // "0000000005". `number` must not be negative.
    static std::string fromNumber(int number);
    // `digits` (at most Length of them) behind as many zeros as make ten:
    // "42" gives "0000000042".
    static std::string padded(const std::string& digits);
};

}  // namespace lettore
