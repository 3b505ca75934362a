#include "NumberText.h"

#include <gtest/gtest.h>

#include <limits>

namespace lettore {
namespace {

// The whole text, digits and a minus sign only, within the bounds.
TEST(NumberTextTest, WholeNumbersAreTheWholeTextWithinBounds)
{
    constexpr long long Most = std::numeric_limits<long long>::max();
    const std::tuple<const char*, long long, long long, std::optional<long long>> rows[] = {
        // text, low, high, read
        {"0", 0, 255, 0},
        {"255", 0, 255, 255},
        {"256", 0, 255, std::nullopt},
        {"-1", 0, 255, std::nullopt},
        {"-32768", -32768, 32767, -32768},
        {"007", 0, 255, 7},
        {"", 0, 255, std::nullopt},
        {"+5", 0, 255, std::nullopt},
        {" 5", 0, 255, std::nullopt},
        {"5 ", 0, 255, std::nullopt},
        {"1.0", 0, 255, std::nullopt},
        {"0x10", 0, 255, std::nullopt},
        {"99999999999999999999", 0, Most, std::nullopt},
    };
    for (const auto& [text, low, high, read] : rows)
        EXPECT_EQ(NumberText::whole(text, low, high), read) << '"' << text << '"';
}

// A typed number reads as its leading number, rounded half to even; none past 16 bits.
TEST(NumberTextTest, TypedTextsReadAsTheirLeadingNumberRoundedHalfToEven)
{
    const std::pair<const char*, std::optional<int16_t>> rows[] = {
        {"3", 3},
        {"3abc", 3},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"0.5", 0},
        {"", 0},
        {"abc", 0},
        {" 1 2 ", 12},
        {"\t7", 7},
        {"012", 12},
        {"1e3", 1000},
        {"1E+2x", 100},
        {"3e", 3},
        {".5", 0},
        {"-", 0},
        {"+4", 4},
        {"-32768", -32768},
        {"32767", 32767},
        {"32767.4", 32767},
        {"32767.5", std::nullopt},
        {"32768", std::nullopt},
        {"-32769", std::nullopt},
        {"1e400", std::nullopt},
        {"inf", 0},
        {"nan", 0},
        {"0x10", 0},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(NumberText::leadingInt16(text), expected) << '"' << text << '"';
}

}  // namespace
}  // namespace lettore
