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
};

}  // namespace lettore
