#include "FrameSplitter.h"
#include "Dialect.h"
#include "Framing.h"
#include "Request.h"

#include <gtest/gtest.h>

namespace {

using lettore::Dialect;
using lettore::Frame;
using lettore::Framing;
using lettore::sim::FrameSplitter;
using lettore::sim::Request;

std::string frame(int16_t term, const char* type, const std::string& data)
{
    return Framing::sibrant2Frame(term, type, data);
}

TEST(FrameSplitterTest, FrameSplitAtEveryByteBoundaryComesOutWhole)
{
    const std::string whole = frame(1, "S", "410000000042");
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
        FrameSplitter splitter;
        auto frames = splitter.feed(std::string_view(whole).substr(0, cut));
        const auto rest = splitter.feed(std::string_view(whole).substr(cut));
        frames.insert(frames.end(), rest.begin(), rest.end());
        ASSERT_EQ(frames.size(), 1u) << "cut at " << cut;
        EXPECT_EQ(frames[0], whole);
    }
}

// Noise, and a frame abandoned for the next STX, are dropped.
TEST(FrameSplitterTest, DropsNoiseAndKeepsFramesInOrder)
{
    FrameSplitter splitter;
    const std::string a = frame(1, "P", "2");
    const std::string b = frame(2, "P", "1");
    EXPECT_TRUE(splitter.feed(std::string{'\xFF', '\x7E', Framing::STX, '0', '!', '4'}).empty());
    const auto frames = splitter.feed(a + "zz" + b);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], a);
    EXPECT_EQ(frames[1], b);
}

TEST(FrameSplitterTest, CheckCharacterMayBeAControlByte)
{
    // Frames whose check character is STX or ETX.
    for (const std::string data : {"\x31", "\x30"}) {
        std::string f = std::string{Framing::STX, '0', '!'} + data + Framing::ETX;
        f += Framing::CalcolaBCC(f);
        FrameSplitter splitter;
        const auto frames = splitter.feed(f + frame(1, "P", "2"));
        ASSERT_EQ(frames.size(), 2u) << "check " << int(f.back());
        EXPECT_EQ(frames[0], f);
    }
}

// A start character followed by endless bytes: the unfinished frame never
// holds a whole frame's worth, its bytes are counted as dropped, and the
// next frame comes out whole.
TEST(FrameSplitterTest, UnfinishedFrameStaysBounded)
{
    FrameSplitter splitter;
    const std::string chunk(4096, 'A');  // one read of the line
    EXPECT_TRUE(splitter.feed(std::string(1, Framing::STX)).empty());
    for (int i = 0; i < 50 * 256; ++i) {  // 50 MB
        ASSERT_TRUE(splitter.feed(chunk).empty());
        ASSERT_LT(splitter.pendingBytes(), 1024u);
    }
    EXPECT_EQ(splitter.takeDropped(), 1023u);
    EXPECT_EQ(splitter.takeDropped(), 0u);
    const std::string next = frame(1, "P", "2");
    EXPECT_EQ(splitter.feed(next), std::vector<std::string>{next});
}

// The longest frame passes; one byte more is dropped whole, and so is a
// frame as long that the next STX cuts off.
TEST(FrameSplitterTest, LongestFrameIsOneKilobyte)
{
    const std::string longest = frame(1, "S", std::string(1024 - 5, '9'));
    const std::string tooLong = frame(1, "S", std::string(1024 - 4, '9'));
    const std::string oneShorter = frame(1, "S", std::string(1024 - 6, '9'));
    const std::string cutOff = "\x02" + std::string(1100, '9');
    FrameSplitter splitter;
    EXPECT_EQ(splitter.feed(longest + tooLong + oneShorter + cutOff + longest),
              (std::vector<std::string>{longest, oneShorter, longest}));
    EXPECT_EQ(splitter.takeDropped(), 2 * 1023u);
}

// "S 165 [2]", "broadcast [5] bad check", or "invalid".
std::string decoded(const std::optional<Request>& r)
{
    if (!r)
        return "invalid";
    std::string text = r->kind == Request::Kind::Broadcast ? "broadcast"
                       : r->kind == Request::Kind::Set     ? "S " + std::to_string(r->address)
                                                           : "P " + std::to_string(r->address);
    text += " [" + r->data + "]";
    return r->bccOk ? text : text + " bad check";
}

TEST(RequestTest, DecodesAddressFieldAndData)
{
    std::string badBcc = frame(1, "P", "2");
    badBcc.back() = static_cast<char>(badBcc.back() ^ 1);
    const struct {
        const char* name;
        std::string frame;
        std::string decoded;
    } rows[] = {
        {"poll", frame(1, "P", "2"), "P 1 [2]"},
        {"set", frame(165, "S", "2"), "S 165 [2]"},
        {"broadcast", frame(256, "S", "5"), "broadcast [5]"},
        {"ack as data", frame(1, "P", "\x06"), "P 1 [\x06]"},
        {"bad check character", badBcc, "P 1 [2] bad check"},
        {"single-byte dialect", *Dialect::named("Sibrant").encode(Frame::of(1, "P", "2")), "invalid"},
        {"half broadcast", std::string("\x02`0\x03") + char(0x02 ^ '`' ^ '0' ^ 0x03), "invalid"},
        {"too short", std::string("\x02\x03\x01"), "invalid"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(decoded(Request::parse(row.frame)), row.decoded) << row.name;
}

}  // namespace
