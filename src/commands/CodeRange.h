#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lettore {

// Badge codes first..last as numbers; each stands for its ten digits.
struct CodeRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::uint64_t size() const { return last - first + 1; }

    // "FIRST-LAST", each 1 to 10 digits, first not above last, at most
    // MaxSize codes.
    static std::optional<CodeRange> parse(std::string_view text);
    static constexpr std::uint64_t MaxSize = 100000;
};

}  // namespace lettore
