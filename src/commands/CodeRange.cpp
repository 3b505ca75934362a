#include "CodeRange.h"

#include "BadgeCode.h"

#include <string>

namespace lettore {

namespace {

std::optional<std::uint64_t> codeNumber(std::string_view digits)
{
    if (digits.empty() || digits.size() > BadgeCode::Length
        || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return std::stoull(std::string(digits));
}

}  // namespace

std::optional<CodeRange> CodeRange::parse(std::string_view text)
{
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos)
        return std::nullopt;
    const auto first = codeNumber(text.substr(0, dash));
    const auto last = codeNumber(text.substr(dash + 1));
    if (!first || !last || *first > *last || *last - *first >= MaxSize)
        return std::nullopt;
    return CodeRange{*first, *last};
}

}  // namespace lettore
