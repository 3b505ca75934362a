// Frames as values: each dialect's bytes, decoding, answer checks; and the port's settings text.
#include "Dialect.h"
#include "SerialSettings.h"
#include "SimulatedPort.h"

#include <gtest/gtest.h>

using namespace lettore;
using lettore::test::hex;
using lettore::test::unhex;

namespace {

TEST(Frame, EachDialectEncodesBothTypes)
{
    const struct {
        const char* dialect;
        int16_t term;
        const char *tipo, *data, *bytes;  // "-" when nothing may be sent
    } rows[] = {
        {"Sibrant2", 1, "P", "2", "02 30 21 32 03 22"},
        {"Sibrant2", 165, "S", "2", "02 3A 35 32 03 3C"},
        {"Sibrant2", 256, "P", "5", "02 60 60 35 03 34"},
        {"Sibrant2", 31, "S", "", "02 31 3F 03 0F"},
        {"Sibrant2", 31, "P", "", "02 31 2F 03 1F"},
        {"Sibrant2", 300, "S", "", "02 32 3C 03 0F"},
        {"Sibrant2", 1, "s", "", "02 30 21 03 10"},
        {"Sibrant2", -1, "S", "", "02 3F 3F 03 01"},
        {"Sibrant", 1, "P", "X", "02 68 21 58 03 10"},
        {"Sibrant", 191, "S", "X", "02 68 FF 58 03 CE"},
        {"Sibrant", 192, "S", "X", "-"},
        {"Parlow", 2, "P", "\x06", "02 61 22 06 03 44"},
        {"Parlow", 32, "S", "X", "02 61 60 58 03 58"},
        {"Quen", 2, "S", "X", "02 67 42 58 03 7C"},
        {"Quen", 2, "P", "X", "02 67 22 58 03 1C"},
        {"Zem", 1, "S", "\x06", "02 41 41 06 03 07"},
        {"Zem", 32, "P", "X", "02 40 40 58 03 59"},
        {"Zem", -33, "P", "X", "-"},
        {"Tolvane", 1, "S", "X", "04 04 02 31 58 03"},
        {"Tolvane", 1, "P", "\x06", "04 04 31 05"},
        {"Tolvane", 226, "S", "X", "-"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.dialect << " " << row.term << " " << row.tipo);
        const auto bytes = Dialect::find(row.dialect)->encode(Frame::of(row.term, row.tipo, row.data));
        EXPECT_EQ(bytes ? hex(*bytes) : "-", row.bytes);
    }
    EXPECT_EQ(Dialect::find("sibrant2"), nullptr);
}

TEST(Frame, DecodesTheReadersFrames)
{
    const struct {
        const char* bytes;
        const char* decoded;  // term, S or P, data; "-" for none
    } rows[] = {
        {"02 3A 35 32 03 3C", "165 S 2"},
        {"02 3F 2F 03 00", "255 P "},
        {"02 60 60 35 03 34", "256 S 5"},
        {"02 30 21 32 03 00", "1 P 2"},  // the check is not decode's
        // Low in neither form, high below '0', broadcast high with a terminal's low, no STX, too short, ETX misplaced.
        {"02 30 40 32 03 22", "-"},
        {"02 2F 21 32 03 22", "-"},
        {"02 60 21 32 03 22", "-"},
        {"30 30 21 32 03 22", "-"},
        {"02 30 21 03", "-"},
        {"02 30 21 32 22 03", "-"},
    };
    for (const auto& row : rows) {
        const auto frame = Frame::decode(unhex(row.bytes));
        const std::string text = frame ? std::to_string(frame->term) + (frame->set ? " S " : " P ") + frame->data : "-";
        EXPECT_EQ(text, row.decoded) << row.bytes;
    }
}

// Address characters: (high - 0x30) * 16 + (low - 0x20 poll, - 0x30 set).
TEST(Frame, AddressCharacters)
{
    const struct {
        char high, low;
        bool set;
        std::optional<uint8_t> address;
    } rows[] = {
        {'0', ' ', false, 0},  {'?', '/', false, 255}, {'1', '?', false, 47},    {'1', '\x1F', false, 15},
        {'/', '%', false, {}}, {'@', '%', false, {}},  {'0', '\x1F', false, {}}, {'?', '0', false, {}},
        {'1', '?', true, 31},  {'?', '?', true, 255},  {'0', '/', true, {}},     {'?', '@', true, {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Frame::address(row.high, row.low, row.set), row.address) << row.high << row.low << row.set;
}

TEST(Frame, AnswerChecks)
{
    constexpr auto Stx = Frame::Rule::Stx, Tolvane = Frame::Rule::Tolvane;
    const struct {
        const char* answer;
        Frame::Rule rule;
        bool accepted;
    } rows[] = {
        {"06", Stx, true},
        {"15", Stx, true},
        {"41", Stx, false},
        {"", Stx, false},
        {"02 02", Stx, false},
        {"02 30 21 41 03 51", Stx, true},
        {"02 30 21 41 03 52", Stx, false},
        {"02 31 32 03 02", Stx, true},
        {"02 30 21 41 54 06", Stx, true},  // an ACK that is the check stands in for ETX
        {"06", Tolvane, true},
        {"3C 49 34 39 3E", Tolvane, true},
        {"3C 49 34 38 3E", Tolvane, false},
        {"3C 00 00 00 00 3E", Tolvane, true},
        {"41", Tolvane, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Frame::accepted(unhex(row.answer), row.rule), row.accepted) << row.answer;
}

TEST(SerialSettingsTest, ParsesValidatesAndSpellsSettings)
{
    using P = SerialSettings::Parity;
    using S = SerialSettings::StopBits;
    const std::tuple<const char*, SerialSettings, const char*> rows[] = {
        {"9600,N,8,1", {9600, P::None, 8, S::One}, "9600,N,8,1"},
        {"19200,e,7,2", {19200, P::Even, 7, S::Two}, "19200,E,7,2"},
        {" 1200 , O , 5 , 1 ", {1200, P::Odd, 5, S::One}, "1200,O,5,1"},
        {"1,m,6,1.5", {1, P::Mark, 6, S::OneAndHalf}, "1,M,6,1.5"},
        {"2147483647,s,8,2", {2147483647, P::Space, 8, S::Two}, "2147483647,S,8,2"},
    };
    for (const auto& [text, settings, spelled] : rows) {
        EXPECT_EQ(SerialSettings::parse(text), settings) << text;
        EXPECT_EQ(settings.text(), spelled);
    }
    for (const char* text : {"", "9600,N,8", "9600,N,8,1,1", "abc,N,8,1", "9600x,N,8,1", "-9600,N,8,1", "+9600,N,8,1",
                             "0,N,8,1", "2147483648,N,8,1", "9600,X,8,1", "9600,NN,8,1", "9600,,8,1", "9600,N,9,1",
                             "9600,N,4,1", "9600,N,8,3", "9600,N,8,1.0", "9600,N,8,0"})
        EXPECT_EQ(SerialSettings::parse(text), std::nullopt) << text;
}

}  // namespace
