#include "ByteText.h"

#include <gtest/gtest.h>

namespace lettore {
namespace {

// Control characters, DEL, bytes above 127 and the backslash itself are
// escaped; the printable rest stays as it is.
TEST(ByteTextTest, EscapesRoundTrip)
{
    const std::string bytes("\x02\x30\x21\x00\x7F\xFF\\", 7);
    EXPECT_EQ(ByteText::escape(bytes), "\\x020!\\x00\\x7F\\xFF\\x5C");
    EXPECT_EQ(ByteText::unescape(ByteText::escape(bytes)), bytes);
    EXPECT_EQ(ByteText::unescape("\\\\x41\\x4a"), "\\x41J");
    for (const char* bad : {"\\", "\\x", "\\x4", "\\xG1", "\\n"})
        EXPECT_FALSE(ByteText::unescape(bad)) << bad;
}

// The two hex forms side by side: two digits between blanks, and the
// monitor's blank before each byte with no leading zero.
TEST(ByteTextTest, HexForms)
{
    const struct {
        const char* name;
        std::string bytes;
        const char* hex;
        const char* monitorHex;
    } rows[] = {
        {"empty", "", "", ""},
        {"STX A CR", "\x02\x41\x0D", "02 41 0D", " 2 41 D"},
        {"zero byte", std::string(1, '\0'), "00", " 0"},
        {"nibble boundary", "\x0F\x10", "0F 10", " F 10"},
        {"top bit", "\x80\xFF", "80 FF", " 80 FF"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ByteText::hex(row.bytes), row.hex) << row.name;
        EXPECT_EQ(ByteText::monitorHex(row.bytes), row.monitorHex) << row.name;
    }
}

}  // namespace
}  // namespace lettore
