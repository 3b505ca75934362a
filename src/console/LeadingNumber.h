#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lettore {

// The number that leads a text typed into the console: blanks anywhere in
// it are skipped, then an optional sign, digits, an optional decimal
// fraction and an optional exponent ("3abc" is 3, " 2.5" is 2.5, "1e3" is
// 1000); a text that does not begin with a number reads as 0.
class LeadingNumber {
public:
    static double value(std::string_view text);

    // value() rounded to the nearest integer, a tie going to the even one;
    // nothing when that falls outside -32768..32767.
    static std::optional<int16_t> toInt16(std::string_view text);
};

}  // namespace lettore
