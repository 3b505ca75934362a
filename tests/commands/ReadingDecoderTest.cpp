#include "ReadingDecoder.h"

#include <gtest/gtest.h>

namespace lettore {
namespace {

// A 16-character reading whose address characters are `high` and `low`.
std::string reading(char high, char low)
{
    return std::string{'\x02', high, low, '1'} + "0000004242" + "\x03" + "X";
}

// Readings carry the address in the poll form: (high - 48) * 16 + (low - 32).
TEST(ReadingDecoderTest, AddressAndCodeOfAReading)
{
    const struct {
        const char* name;
        std::string text;
        bool isReading;
        std::optional<uint8_t> address;
    } rows[] = {
        {"address 0", reading('0', ' '), true, 0},
        {"address 5", reading('0', '%'), true, 5},
        {"address 255", reading('?', '/'), true, 255},
        {"low part past a nibble adds on", reading('1', '?'), true, 47},
        {"low part below 32 borrows", reading('1', '\x1F'), true, 15},
        {"high character below '0'", reading('/', '%'), true, std::nullopt},
        {"high character past '?'", reading('@', '%'), true, std::nullopt},
        {"sum below 0", reading('0', '\x1F'), true, std::nullopt},
        {"sum past 255", reading('?', '0'), true, std::nullopt},
        {"15 characters", reading('0', '%').substr(0, 15), false, std::nullopt},
        {"17 characters", reading('0', '%') + "x", false, std::nullopt},
        {"empty", "", false, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<Reading> decoded = ReadingDecoder::decode(row.text);
        ASSERT_EQ(decoded.has_value(), row.isReading);
        if (!decoded)
            continue;
        EXPECT_EQ(decoded->address, row.address);
        EXPECT_EQ(decoded->code, "0000004242");
    }
}

// Frames of type "S" and addresses inside data fields carry the low four
// bits + 48.
TEST(ReadingDecoderTest, SetFormAddress)
{
    EXPECT_EQ(ReadingDecoder::address('1', '?', ReadingDecoder::Form::Set), 31);
    EXPECT_EQ(ReadingDecoder::address('?', '?', ReadingDecoder::Form::Set), 255);
    EXPECT_EQ(ReadingDecoder::address('0', '/', ReadingDecoder::Form::Set), std::nullopt);
    EXPECT_EQ(ReadingDecoder::address('?', '@', ReadingDecoder::Form::Set), std::nullopt);
}

}  // namespace
}  // namespace lettore
