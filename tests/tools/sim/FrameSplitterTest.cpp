#include "FrameSplitter.h"
#include "Framing.h"
#include "Request.h"

#include <gtest/gtest.h>

namespace {

using lettore::Framing;
using lettore::sim::FrameSplitter;
using lettore::sim::Request;
using Frames = std::vector<std::string>;

std::string frame(int16_t term, const char* type, const std::string& data) { return Framing::sibrant2Frame(term, type, data); }

TEST(FrameSplitterTest, FrameSplitAtEveryByteBoundaryComesOutWhole)
{
    const std::string whole = frame(1, "S", "410000000042");
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
        FrameSplitter splitter;
        Frames frames = splitter.feed(whole.substr(0, cut));
        for (const std::string& rest : splitter.feed(whole.substr(cut)))
            frames.push_back(rest);
        EXPECT_EQ(frames, Frames{whole}) << "cut at " << cut;
    }
}

// A start followed by endless bytes never holds a whole frame's worth; its
// bytes are counted as dropped and the next frame comes out whole.
TEST(FrameSplitterTest, UnfinishedFrameStaysBounded)
{
    FrameSplitter splitter;
    EXPECT_TRUE(splitter.feed(std::string(1, Framing::STX)).empty());
    for (int i = 0; i < 50 * 256; ++i) {  // 50 MB in reads of 4 KB
        ASSERT_TRUE(splitter.feed(std::string(4096, 'A')).empty());
        ASSERT_LT(splitter.pendingBytes(), 1024u);
    }
    EXPECT_EQ(splitter.takeDropped(), 1023u);
    EXPECT_EQ(splitter.takeDropped(), 0u);
    EXPECT_EQ(splitter.feed(frame(1, "P", "2")), Frames{frame(1, "P", "2")});
}

// The longest frame is 1 KB: one byte more is dropped whole, and so is a
// frame as long that the next STX cuts off.
TEST(FrameSplitterTest, LongestFrameIsOneKilobyte)
{
    const std::string longest = frame(1, "S", std::string(1024 - 5, '9'));
    const std::string oneShorter = frame(1, "S", std::string(1024 - 6, '9'));
    FrameSplitter splitter;
    EXPECT_EQ(splitter.feed(longest + frame(1, "S", std::string(1024 - 4, '9')) + oneShorter + "\x02"
                            + std::string(1100, '9') + longest),
              (Frames{longest, oneShorter, longest}));
    EXPECT_EQ(splitter.takeDropped(), 2 * 1023u);
}

TEST(RequestTest, DecodesKindAddressAndData)
{
    std::string badBcc = frame(1, "P", "2");
    badBcc.back() = static_cast<char>(badBcc.back() ^ 1);
    const std::pair<std::string, const char*> rows[] = {
        {frame(1, "P", "2"), "P 1 [2]"},         {frame(165, "S", "2"), "S 165 [2]"},
        {frame(256, "S", "5"), "broadcast 0 [5]"}, {badBcc, "P 1 [2] bad check"},
        {*Framing::sibrantFrame(1, "P", "2"), "invalid"},
    };
    for (const auto& [bytes, decoded] : rows) {
        const std::optional<Request> r = Request::parse(bytes);
        const char* kind = !r ? "" : r->kind == Request::Kind::Broadcast ? "broadcast " : r->kind == Request::Kind::Set ? "S " : "P ";
        EXPECT_EQ(r ? kind + std::to_string(r->address) + " [" + r->data + "]" + (r->bccOk ? "" : " bad check") : "invalid", decoded);
    }
}

}  // namespace
