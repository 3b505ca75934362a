// The frame reader on spelled-out streams split at every byte, and what the link and the traffic log make of them.
#include "FrameReader.h"
#include "LineStreams.h"
#include "LinkRig.h"
#include "TrafficDecoder.h"

#include <gtest/gtest.h>

using namespace lettore;
using namespace lettore::test;
using Kind = FrameReader::Part::Kind;

namespace {

std::string text(const std::vector<FrameReader::Part>& parts)
{
    std::string out;
    for (const FrameReader::Part& part : parts) {
        const char* kind = part.kind == Kind::Lone         ? "lone"
                           : part.kind == Kind::Noise      ? "noise"
                           : part.kind == Kind::Unfinished ? "unfinished"
                           : part.kind == Kind::Overlong   ? "overlong"
                           : part.cutShort                 ? "cut"
                           : part.accepted                 ? "good"
                                                           : "bad";
        out += (out.empty() ? "" : " | ") + std::string(kind) + " " + hex(part.bytes);
    }
    return out;
}

// The parts of `bytes` pushed in two pieces cut at `at`, then finished; offsets checked to follow on.
std::string cutAt(Frame::Rule rule, const std::string& bytes, std::size_t at)
{
    FrameReader reader(rule);
    std::vector<FrameReader::Part> parts = reader.push(bytes.substr(0, at));
    for (const auto& more : {reader.push(bytes.substr(at)), reader.finish()})
        parts.insert(parts.end(), more.begin(), more.end());
    std::size_t offset = 0;
    for (const FrameReader::Part& part : parts) {
        EXPECT_EQ(part.begin, offset);
        offset += part.bytes.size();
    }
    EXPECT_EQ(offset, bytes.size());
    return text(parts);
}

std::string logged(const std::vector<TrafficRow>& rows)
{
    std::string out;
    for (const TrafficRow& row : rows) {
        const char* check = row.check == TrafficRow::Check::Good       ? " good"
                            : row.check == TrafficRow::Check::Wrong    ? " wrong"
                            : row.check == TrafficRow::Check::CutShort ? " cut"
                                                                       : "";
        out += (out.empty() ? "" : " | ") + std::string(TrafficRow::name(row.kind))
               + (row.data.empty() ? "" : " " + row.data) + check;
    }
    return out;
}

TEST(FrameReader, SharedStreamsCutAlikeHoweverSplitByTheLinkAndTheLog)
{
    for (const LineStream& row : lineStreams) {
        SCOPED_TRACE(row.name);
        const std::string bytes = unhex(row.bytes);
        for (std::size_t at = 0; at <= bytes.size(); ++at) {
            EXPECT_EQ(cutAt(Frame::Rule::Stx, bytes, at), row.parts) << "cut at " << at;
            TrafficDecoder decoder;
            std::vector<TrafficRow> rows = decoder.feed(TrafficRow::Direction::Sent, "t", unhex("02 30 21 32 03 22"));
            rows.erase(rows.begin());
            for (const std::string& piece : {bytes.substr(0, at), bytes.substr(at)})
                for (TrafficRow& r : decoder.feed(TrafficRow::Direction::Received, "t", piece))
                    rows.push_back(std::move(r));
            for (TrafficRow& r : decoder.flush())
                rows.push_back(std::move(r));
            EXPECT_EQ(logged(rows), row.logged) << "cut at " << at;
        }

        LinkRig rig;
        rig.answerWith({{10, row.bytes}});
        int16_t esito = -1;
        std::string answer;
        rig.link.Sibrant2(1, "P", "2", esito, answer);
        EXPECT_EQ(esito, row.esito);
        std::string raised;
        for (std::size_t i = 1; i < rig.log.events.size(); ++i)
            raised += (i > 1 ? "|" : "") + rig.log.events[i];
        EXPECT_EQ(raised, row.raised);
        EXPECT_EQ(hex(answer), esito == 0 ? raised.substr(6, raised.find('|') - 6) : "");
    }
}

// Tolvane's answers, and the host's requests as a reader hears them.
TEST(FrameReader, TolvaneAnswersAndRequests)
{
    using enum Frame::Rule;
    const struct {
        Frame::Rule rule;
        const char *bytes, *parts;
    } rows[] = {
        {Tolvane, "3C 49 34 39 3E 41 3C 49 34 38 3E 06 3C 41",
         "good 3C 49 34 39 3E | noise 41 | bad 3C 49 34 38 3E | lone 06 | unfinished 3C 41"},
        {Tolvane, "3C 41 42 06", "cut 3C 41 42 06"},
        {Request, "04 04 31 05 02 30 21 06 03 16 04 04 02 31 58 03 04",
         "good 04 04 31 05 | good 02 30 21 06 03 16 | good 04 04 02 31 58 03 | noise 04"},
        {Request, "02 30 21 04 04 31 05", "noise 02 30 21 | good 04 04 31 05"},  // EOT EOT gives the frame up
        {Request, "02 30 21 32 03 04 04 04 31 05", "bad 02 30 21 32 03 04 | good 04 04 31 05"},  // EOT as check
    };
    for (const auto& row : rows) {
        const std::string bytes = unhex(row.bytes);
        for (std::size_t at = 0; at <= bytes.size(); ++at)
            EXPECT_EQ(cutAt(row.rule, bytes, at), row.parts) << row.bytes << " cut at " << at;
    }
}

}  // namespace
