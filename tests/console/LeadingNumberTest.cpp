#include "LeadingNumber.h"

#include <gtest/gtest.h>

namespace lettore {

// A typed port number or range bound reads as its leading number, rounded half to even; none past 16 bits.
TEST(LeadingNumberTest, TypedTextsReadAsTheirLeadingNumberRoundedHalfToEven)
{
    const std::pair<const char*, std::optional<int16_t>> rows[] = {
        {"3", 3},        {"3abc", 3},      {"2.5", 2},        {"3.5", 4},       {"-2.5", -2},     {"0.5", 0},
        {"", 0},         {"abc", 0},       {" 1 2 ", 12},     {"\t7", 7},       {"012", 12},      {"12ab", 12},
        {"1e3", 1000},   {"1E+2x", 100},   {"3e", 3},         {".5", 0},        {"1.5", 2},       {"-", 0},
        {"+4", 4},       {"-32768", -32768}, {"32767", 32767}, {"32767.4", 32767}, {"32767.5", std::nullopt},
        {"32768", std::nullopt}, {"40000", std::nullopt}, {"-32769", std::nullopt}, {"1e400", std::nullopt},
        {"inf", 0},      {"nan", 0},       {"0x10", 0},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(LeadingNumber::toInt16(text), expected) << '"' << text << '"';
}

}  // namespace lettore
