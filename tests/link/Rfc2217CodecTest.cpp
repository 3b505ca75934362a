// The RFC 2217 client as bytes: what it sends, what it makes of the server's bytes, and when it tells a refusal.
#include "Rfc2217Codec.h"
#include "SimulatedPort.h"

#include <gtest/gtest.h>

using namespace lettore;
using lettore::test::hex;
using lettore::test::unhex;

namespace {

TEST(Rfc2217Codec, RequestsOnTheWire)
{
    Rfc2217Codec codec;
    EXPECT_EQ(hex(codec.start()), "FF FB 2C FF FB 00 FF FB 03 FF FD 00 FF FD 03");
    EXPECT_EQ(hex(codec.setSettings(*SerialSettings::parse("230400,O,5,1.5"))),
              "FF FA 2C 01 00 03 84 00 FF F0 FF FA 2C 02 05 FF F0 FF FA 2C 03 02 FF F0 FF FA 2C 04 03 FF F0");
    EXPECT_EQ(hex(codec.setSettings(*SerialSettings::parse("255,M,6,1"))),
              "FF FA 2C 01 00 00 00 FF FF FF F0 FF FA 2C 02 06 FF F0 FF FA 2C 03 04 FF F0 FF FA 2C 04 01 FF F0");
    EXPECT_EQ(hex(codec.setDtr(true)), "FF FA 2C 05 08 FF F0");
    EXPECT_EQ(hex(codec.setDtr(false)), "FF FA 2C 05 09 FF F0");
    EXPECT_EQ(hex(Rfc2217Codec::escaped(unhex("02 FF 03 FF FF"))), "02 FF FF 03 FF FF FF FF");
    EXPECT_EQ(codec.pendingSettings(), 8u);
}

// The server's bytes cut at every point: the data comes out whole and undoubled, the negotiation answered once.
TEST(Rfc2217Codec, ServerBytesSplitAnywhere)
{
    // WILL ECHO, DONT ECHO, a modem-state notice, data with a doubled 255, DO BINARY (asked), DO TERMINAL-TYPE,
    // WILL SGA (asked), WILL STATUS, a notice holding a doubled 255, then data.
    const std::string server = unhex("FF FB 01 FF FE 01 FF FA 2C 6B 30 FF F0 02 FF FF 03 FF FD 00 FF FD 18 FF FB 03 "
                                     "FF FB 05 FF FA 2C 6A FF FF FF F0 41 FF F1 42");
    for (size_t cut = 0; cut <= server.size(); ++cut) {
        SCOPED_TRACE(cut);
        Rfc2217Codec codec;
        codec.start();
        std::string data = codec.feed(server.substr(0, cut));
        data += codec.feed(server.substr(cut));
        EXPECT_EQ(hex(data), "02 FF 03 41 42");
        EXPECT_EQ(hex(codec.takeReplies()), "FF FE 01 FF FC 18 FF FE 05");
    }
}

// Each answer settles its request; one with another value, or a refused option, is told in words once.
TEST(Rfc2217Codec, AnswersChecked)
{
    const struct {
        const char* name;
        const char* answers;
        size_t pending;
        const char* refusal;  // "" for none
    } rows[] = {
        {"all agree",
         "FF FA 2C 65 00 00 4B 00 FF F0 FF FA 2C 66 08 FF F0 FF FA 2C 67 01 FF F0 FF FA 2C 68 01 FF F0 "
         "FF FA 2C 69 08 FF F0",
         0, ""},
        {"rate still pending", "FF FA 2C 66 08 FF F0 FF FA 2C 67 01 FF F0", 2, ""},
        {"another rate", "FF FA 2C 65 00 00 25 80 FF F0", 3,
         "the device server set rate 9600 when asked for rate 19200"},
        {"another parity", "FF FA 2C 67 03 FF F0", 3, "the device server set parity E when asked for parity N"},
        {"DTR left off", "FF FA 2C 69 09 FF F0", 4, "the device server set DTR off when asked for DTR on"},
        {"option refused", "FF FE 2C", 4, "the device server refuses to control the serial port (RFC 2217)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Rfc2217Codec codec;
        codec.start();
        codec.setSettings(*SerialSettings::parse("19200,N,8,1"));
        codec.setDtr(false);
        codec.setDtr(true);  // only the latest DTR change is checked
        EXPECT_EQ(codec.feed(unhex(row.answers)), "");
        EXPECT_EQ(codec.pendingSettings(), row.pending);
        EXPECT_EQ(codec.takeRefusal().value_or(""), row.refusal);
        EXPECT_EQ(codec.takeRefusal(), std::nullopt);
    }
}

}  // namespace
