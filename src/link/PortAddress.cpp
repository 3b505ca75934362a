#include "PortAddress.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace lettore {

PortAddress PortAddress::parse(const std::string& address)
{
    PortAddress out;
    if (const size_t colon = address.find("://"); colon != std::string::npos && colon > 0) {
        out.kind = Kind::Scheme;
        out.scheme = address.substr(0, colon);
        std::ranges::transform(out.scheme, out.scheme.begin(), [](unsigned char c) { return std::tolower(c); });
        out.rest = address.substr(colon + 3);
        return out;
    }
    const char* first = address.data();
    const char* last = first + address.size();
    const char* digits = first != last && *first == '-' ? first + 1 : first;
    if (digits != last && std::all_of(digits, last, [](unsigned char c) { return std::isdigit(c); })) {
        out.kind = Kind::Number;
        int16_t number = 0;
        if (std::from_chars(first, last, number).ec == std::errc())
            out.number = number;
        return out;
    }
    out.rest = address;
    return out;
}

}  // namespace lettore
