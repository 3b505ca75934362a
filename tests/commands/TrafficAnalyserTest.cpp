// Rows tied to their exchanges, statistics per reader, and the pcapng capture in bytes.
#include "TrafficAnalyser.h"
#include "PcapngCapture.h"
#include "ReaderCommand.h"
#include "ReaderStatistics.h"
#include "WallTime.h"

#include <gtest/gtest.h>

namespace lettore {
namespace {

using D = TrafficRow::Direction;
using K = TrafficRow::Kind;
using C = TrafficRow::Check;
constexpr int None = RowAnalysis::None;

std::string hex(std::string_view text)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        while (text[i] == ' ')
            ++i;
        bytes += static_cast<char>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16));
    }
    return bytes;
}

TrafficRow row(std::string time, D direction, K kind, std::optional<int> address = {}, std::string type = {},
               std::string data = {}, C check = C::Good, std::string bytes = {})
{
    TrafficRow r;
    r.time = "2026-12-06T23:16:" + time + "Z";
    r.direction = direction;
    r.kind = kind;
    r.address = address;
    r.type = std::move(type);
    r.data = std::move(data);
    r.check = check;
    r.bytes = std::move(bytes);
    return r;
}

struct Expected {
    const char* what;
    TrafficRow row;
    int since, latency;
    const char* command;
    int reader, esito;
    const char* meaning;
};

// A line's rows in order, each with what the analyser makes of it.
std::vector<Expected> exchanges()
{
    return {
        {"query to 5", row("45.000", D::Sent, K::Command, 5, "P", "2"), None, None, "GetVersioneFirmware", 5, None,
         "GetVersioneFirmware"},
        {"noise inside its exchange", row("45.010", D::Received, K::Noise, {}, {}, {}, C::None, "\xFF"), 10, None,
         nullptr, 5, None, ""},
        {"its answer", row("45.025", D::Received, K::Answer, 5), 15, 25, "GetVersioneFirmware", 5, 0,
         "risposta a GetVersioneFirmware"},
        {"add to 7", row("45.100", D::Sent, K::Command, 7, "S", "410000000004"), 75, None, "CreaBadge", 7, None,
         "CreaBadge 0000000004"},
        {"its time-out", row("50.100", D::Line, K::TimedOut), 5000, 5000, "CreaBadge", 7, 1,
         "nessuna risposta a CreaBadge dal lettore 7"},
        {"a reading",
         row("50.200", D::Received, K::Reading, 3, "P", "00000000004", C::Good,
             hex("02 30 23 30 30 30 30 30 30 30 30 30 30 34 03 15")),
         100, None, nullptr, 3, None, "indirizzo 3 stato 0 badge 0000000004"},
        {"broadcast ends at once", row("50.300", D::Sent, K::Command, 256, "S", "5040000000007"), 100, None,
         "SetIndirizzo", 256, 0, "SetIndirizzo 040000000007"},
        {"setup query", row("50.400", D::Sent, K::Command, 2, "P", "1"), 100, None, "GetSetupBase", 2, None,
         "GetSetupBase"},
        {"answer failing its check",
         row("50.430", D::Received, K::Answer, 2, "P", {}, C::Wrong,
             hex("02 30 22 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35 03 00")),
         30, 30, "GetSetupBase", 2, 2, "risposta a GetSetupBase"},
        {"setup query again", row("50.500", D::Sent, K::Command, 2, "P", "1"), 70, None, "GetSetupBase", 2, None,
         "GetSetupBase"},
        {"its answer's fields",
         row("50.520", D::Received, K::Answer, 2, "P", {}, C::Good,
             hex("02 30 22 31 32 33 34 35 36 37 38 39 30 31 32 33 34 35 03 00")),
         20, 20, "GetSetupBase", 2, 0,
         "risposta a GetSetupBase TPROTO=1234 TMAC=4 RELE=567 LED_V=5 TMCODE=890 TBUZZ=123"},
        {"check query", row("50.600", D::Sent, K::Command, 2, "P", "70000000001"), 80, None, "VerificaBadge", 2, None,
         "VerificaBadge 0000000001"},
        {"a lone NAK ends it", row("50.640", D::Received, K::Nak), 40, 40, "VerificaBadge", 2, 0,
         "risposta a VerificaBadge"},
        {"serial query", row("50.700", D::Sent, K::Command, 4, "P", "4"), 60, None, "GetMatricolaPrima", 4, None,
         "GetMatricolaPrima"},
        {"port failure ends it", row("50.800", D::Line, K::PortFailed), 100, 100, "GetMatricolaPrima", 4, 3, ""},
        {"a stray ACK", row("50.900", D::Received, K::Ack), 100, None, nullptr, None, None, ""},
        {"acknowledgement awaits nothing", row("51.000", D::Sent, K::Command, 3, "P", "\x06"), 100, None, "SendACK", 3,
         0, "SendACK"},
        {"unknown command", row("51.100", D::Sent, K::Command, 9, "P", "9"), 100, None, nullptr, 9, None, ""},
        {"no ISO time",
         [] {
             TrafficRow r;
             r.time = "t6";
             r.kind = K::TimedOut;
             return r;
         }(),
         None, None, nullptr, 9, 1, "nessuna risposta dal lettore 9"},
    };
}

TEST(TrafficAnalyser, TiesEachRowToItsExchange)
{
    TrafficAnalyser analyser;
    for (const Expected& e : exchanges()) {
        SCOPED_TRACE(e.what);
        const RowAnalysis a = analyser.next(e.row);
        EXPECT_EQ(a.sincePreviousMs, e.since);
        EXPECT_EQ(a.latencyMs, e.latency);
        EXPECT_STREQ(a.command == None ? nullptr : ReaderCommand::all()[std::size_t(a.command)].name, e.command);
        EXPECT_EQ(a.reader, e.reader);
        EXPECT_EQ(a.esito, e.esito);
        EXPECT_EQ(TrafficAnalyser::meaning(e.row, a), e.meaning);
    }
}

TEST(WallTime, IsoTimesBothWays)
{
    EXPECT_EQ(isoTime(951782400999LL), "2000-02-29T00:00:00.999Z");
    for (const char* text : {"2026-12-06T23:16:45.670", "2026-02-30T23:16:45.670Z", "2026-12-06T23:16:4x.670Z", "t1"})
        EXPECT_EQ(isoMilliseconds(text), std::nullopt) << text;
}

TEST(ReaderStatistics, CountsEachReadersExchanges)
{
    TrafficAnalyser analyser;
    ReaderStatistics statistics;
    for (const Expected& e : exchanges())
        statistics.add(e.row, analyser.next(e.row));
    EXPECT_EQ(statistics.text(),
              "reader  requests  answers  time-outs  rejected  NAKs  readings  latency ms min/avg/p95/max\n"
              "2              3        2          0         1     1         0  20/30.0/40/40\n"
              "3              1        0          0         0     0         1  -\n"
              "4              1        0          0         0     0         0  -\n"
              "5              1        1          0         0     0         0  25/25.0/25/25\n"
              "7              1        0          1         0     0         0  -\n"
              "9              1        0          1         0     0         0  -\n"
              "all            1        0          0         0     0         0  -\n"
              "line: 1 noise rows (1 bytes), 1 port failures\n");
}

// The nearest-rank 95th percentile of 100 latencies; none give no figures.
TEST(ReaderStatistics, LatencyFigures)
{
    ReaderStatistics::Reader reader;
    EXPECT_FALSE(reader.latency());
    for (int32_t ms = 100; ms >= 1; --ms)
        reader.latenciesMs.push_back(ms);
    const auto l = reader.latency();
    ASSERT_TRUE(l);
    EXPECT_EQ(std::tuple(l->min, l->average, l->p95, l->max), std::tuple(1, 50.5, 95, 100));
}

TEST(PcapngCapture, BlocksInBytes)
{
    EXPECT_EQ(PcapngCapture::header(),
              hex("0A0D0D0A 2C000000 4D3C2B1A 0100 0000 FFFFFFFFFFFFFFFF 0400 0700 6C6574746F726500 00000000 2C000000"
                  "01000000 14000000 FA00 0000 00000000 14000000"));
    TrafficRow sent = row("45.670", D::Sent, K::Command, 5, "P", "2", C::Good, hex("023025320326"));
    EXPECT_EQ(PcapngCapture::packet(sent),
              hex("06000000 40000000 00000000 FF610600 706A894D 12000000 12000000"
                  "6B15ECDD 000A3930 01 00 0000 023025320326 0000 0200 0400 02000000 00000000 40000000"));
    TrafficRow timeOut = row("45.670", D::Line, K::TimedOut);
    EXPECT_EQ(PcapngCapture::packet(timeOut),
              hex("06000000 3C000000 00000000 FF610600 706A894D 0C000000 0C000000"
                  "6B15ECDD 000A3930 00 00 0000 0100 0800 74696D652D6F7574 00000000 3C000000"));
}

TEST(PcapngCapture, ReadsItsOwnCapturesBackIntoTheSameRows)
{
    std::vector<TrafficRow> rows{
        row("45.001", D::Discarded, K::Noise, {}, {}, {}, C::None, "\x55"),
        row("45.002", D::Sent, K::Command, 5, "P", "2", C::Good, hex("023025320326")),
        row("45.003", D::Received, K::Noise, {}, {}, {}, C::None, "\xFF"),
        row("45.004", D::Received, K::Answer, 1, "P", "!O,\"", C::Wrong, hex("0230214F2C220300")),
        row("50.004", D::Line, K::TimedOut),
        row("50.005", D::Line, K::PortFailed),
    };
    rows.back().note = "write: Device gone";
    std::string file = PcapngCapture::header();
    for (const TrafficRow& r : rows)
        file += PcapngCapture::packet(r);
    const auto packets = PcapngCapture::read(file);
    ASSERT_TRUE(packets);
    const std::vector<TrafficRow> again = PcapngCapture::rows(*packets);
    ASSERT_EQ(again.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        const auto kept = [](const TrafficRow& r) { return std::tie(r.time, r.direction, r.kind, r.bytes, r.note); };
        EXPECT_EQ(kept(again[i]), kept(rows[i]));
    }
    std::string otherLink = file;
    otherLink[52] = 1;  // the interface's link type: Ethernet
    EXPECT_FALSE(PcapngCapture::read(otherLink));
}

}  // namespace
}  // namespace lettore
