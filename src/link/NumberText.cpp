#include "NumberText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace lettore {

namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::optional<long long> NumberText::whole(std::string_view text, long long low, long long high)
{
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < low || value > high)
        return std::nullopt;
    return value;
}

double NumberText::leading(std::string_view text)
{
    std::string compact;
    for (const char c : text)
        if (c != ' ' && c != '\t')
            compact += c;

    // The longest prefix of the form [sign] digits [. digits] [e [sign] digits].
    size_t end = 0;
    auto digits = [&] {
        const size_t from = end;
        while (end < compact.size() && isDigit(compact[end]))
            ++end;
        return end > from;
    };
    if (end < compact.size() && (compact[end] == '+' || compact[end] == '-'))
        ++end;
    bool any = digits();
    if (end < compact.size() && compact[end] == '.') {
        ++end;
        any = digits() || any;
    }
    if (!any)
        return 0;
    const size_t mantissaEnd = end;
    if (end < compact.size() && (compact[end] == 'e' || compact[end] == 'E')) {
        ++end;
        if (end < compact.size() && (compact[end] == '+' || compact[end] == '-'))
            ++end;
        if (!digits())
            end = mantissaEnd;  // "3e" or "3e+" is just 3
    }
    return std::strtod(compact.substr(0, end).c_str(), nullptr);
}

std::optional<int16_t> NumberText::leadingInt16(std::string_view text)
{
    const double rounded = std::nearbyint(leading(text));  // the default mode rounds half to even
    if (!(rounded >= std::numeric_limits<int16_t>::min() && rounded <= std::numeric_limits<int16_t>::max()))
        return std::nullopt;
    return static_cast<int16_t>(rounded);
}

}  // namespace lettore
