#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lettore {

// Numbers in text, read by one set of rules wherever the suite takes them:
// options and arguments of the command line, the virtual reader's options
// and commands, boxes of the console, Seriale.cfg.
class NumberText {
public:
    // The whole text as a decimal integer within [low, high]: digits, a
    // minus sign before them at most; no blank, plus sign or fraction.
    // Nothing otherwise, a number too large for any integer included.
    static std::optional<long long> whole(std::string_view text, long long low, long long high);

    // The number that leads a text typed by hand: blanks anywhere in it
    // are skipped, then an optional sign, digits, an optional decimal
    // fraction and an optional exponent ("3abc" is 3, " 2.5" is 2.5, "1e3"
    // is 1000); a text that does not begin with a number reads as 0.
    static double leading(std::string_view text);
    // leading() rounded to the nearest integer, a tie going to the even
    // one; nothing when that falls outside -32768..32767.
    static std::optional<int16_t> leadingInt16(std::string_view text);
};

}  // namespace lettore
