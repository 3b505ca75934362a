#include "FieldCodec.h"

#include <gtest/gtest.h>

namespace lettore {
namespace {

TEST(FieldCodecTest, AddressCharactersTakeTheLowByteNibbleByNibble)
{
    const struct {
        int value;
        const char* expected;
    } rows[] = {
        {0, "00"},   {1, "01"},   {15, "0?"},  {16, "10"}, {26, "1:"},
        {31, "1?"},  {255, "??"}, {256, "00"}, {300, "2<"}, {-1, "??"},
        {-32768, "00"}, {32767, "??"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FieldCodec::addressCharacters(row.value), row.expected) << row.value;
}

TEST(FieldCodecTest, ThreeDigitFieldKeepsTheLastThreeOfZeroPaddedText)
{
    const struct {
        const char* text;
        const char* expected;
    } rows[] = {
        {"5", "005"}, {"", "000"}, {"12", "012"}, {"7", "007"},
        {"1234", "234"}, {"0999", "999"}, {"ab", "0ab"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FieldCodec::threeDigitField(row.text), row.expected) << '"' << row.text << '"';
}

TEST(FieldCodecTest, BaudCodeMatchesOnlyTheSixRatesExactly)
{
    const struct {
        const char* text;
        std::optional<char> expected;
    } rows[] = {
        {"1200", '0'},  {"2400", '1'},   {"4800", '2'},   {"9600", '3'},
        {"19200", '4'}, {"38400", '5'},  {"57600", {}},   {"115200", {}},
        {"9600 ", {}},  {" 9600", {}},   {"", {}},        {"09600", {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FieldCodec::baudCode(row.text), row.expected) << '"' << row.text << '"';
}

TEST(FieldCodecTest, FieldYieldsWhatExistsOfTheRange)
{
    EXPECT_EQ(FieldCodec::field("abcdef", 4, 2), "de");
    EXPECT_EQ(FieldCodec::field("abcdef", 5, 10), "ef");
    EXPECT_EQ(FieldCodec::field("abc", 4, 1), "");
    EXPECT_EQ(FieldCodec::field("", 4, 1), "");
}

}  // namespace
}  // namespace lettore
