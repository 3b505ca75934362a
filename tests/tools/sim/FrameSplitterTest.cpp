#include "FrameSplitter.h"
#include "Framing.h"
#include "Request.h"

#include <gtest/gtest.h>

namespace {

// Test rows are named after their first field.
const auto rowName = [](const auto& info) { return std::string(info.param.name); };

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

TEST(FrameSplitterTest, DropsNoiseAndKeepsFramesInOrder)
{
    FrameSplitter splitter;
    const std::string a = frame(1, "P", "2");
    const std::string b = frame(2, "P", "1");
    const auto frames = splitter.feed("\xFF\x7E" + a + "zz" + b);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], a);
    EXPECT_EQ(frames[1], b);
    EXPECT_EQ(splitter.droppedBytes(), 4u);
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

TEST(FrameSplitterTest, AbandonedFrameGivesWayToTheNextStx)
{
    FrameSplitter splitter;
    EXPECT_TRUE(splitter.feed(std::string{Framing::STX, '0', '!', '4'}).empty());
    EXPECT_TRUE(splitter.inFrame());
    const auto frames = splitter.feed(frame(1, "P", "2"));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], frame(1, "P", "2"));
    EXPECT_EQ(splitter.droppedBytes(), 4u);
}

struct ParseCase {
    const char* name;
    std::string frame;
    bool valid;
    Request::Kind kind;
    int address;
    std::string data;
    bool bccOk;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class RequestParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(RequestParseTest, DecodesAddressFieldAndData)
{
    const auto& c = GetParam();
    const auto request = Request::parse(c.frame);
    ASSERT_EQ(request.has_value(), c.valid);
    if (!request)
        return;
    EXPECT_EQ(request->kind, c.kind);
    if (c.kind != Request::Kind::Broadcast)
        EXPECT_EQ(request->address, c.address);
    EXPECT_EQ(request->data, c.data);
    EXPECT_EQ(request->bccOk, c.bccOk);
}

std::string badBcc(std::string f)
{
    f.back() = static_cast<char>(f.back() ^ 1);
    return f;
}

using K = Request::Kind;
INSTANTIATE_TEST_SUITE_P(
    Frames, RequestParseTest,
    testing::Values(
        ParseCase{"poll_1", frame(1, "P", "2"), true, K::Poll, 1, "2", true},
        ParseCase{"set_165", frame(165, "S", "2"), true, K::Set, 165, "2", true},
        ParseCase{"broadcast", frame(256, "S", "5"), true, K::Broadcast, 0, "5", true},
        ParseCase{"ack_data", frame(1, "P", "\x06"), true, K::Poll, 1, "\x06", true},
        ParseCase{"bad_bcc", badBcc(frame(1, "P", "2")), true, K::Poll, 1, "2", false},
        ParseCase{"single_byte_dialect", *Framing::sibrantFrame(1, "P", "2"), false, K::Poll, 0, "", false},
        ParseCase{"half_broadcast", std::string("\x02`0\x03") + char(0x02 ^ '`' ^ '0' ^ 0x03), false,
                  K::Poll, 0, "", false},
        ParseCase{"too_short", std::string("\x02\x03\x01"), false, K::Poll, 0, "", false}),
    rowName);

TEST(RequestTest, DecodesDataAddressCharacters)
{
    EXPECT_EQ(Request::decodeAddress('0', '5'), 5);
    EXPECT_EQ(Request::decodeAddress('1', '?'), 31);
    EXPECT_EQ(Request::decodeAddress('?', '?'), 255);
    EXPECT_FALSE(Request::decodeAddress('0', '%'));  // poll form is not an address here
    EXPECT_FALSE(Request::decodeAddress('@', '0'));
}

}  // namespace
