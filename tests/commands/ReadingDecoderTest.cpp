#include "ReadingDecoder.h"

#include <gtest/gtest.h>

namespace lettore {
namespace {

// A reading is 16 characters: its code from the fifth, its address from the
// second and third in the poll form (the address rules are the frame's).
TEST(ReadingDecoderTest, CodeAndAddressOfSixteenCharactersOnly)
{
    const std::string reading = std::string("\x02?/1") + "0000004242" + "\x03" + "X";
    const std::optional<Reading> decoded = ReadingDecoder::decode(reading);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->address, 255);
    EXPECT_EQ(decoded->code, "0000004242");
    EXPECT_EQ(ReadingDecoder::decode("\x02?01" + reading.substr(4))->address, std::nullopt);
    EXPECT_FALSE(ReadingDecoder::decode(reading.substr(0, 15)));
    EXPECT_FALSE(ReadingDecoder::decode(reading + "x"));
}

}  // namespace
}  // namespace lettore
