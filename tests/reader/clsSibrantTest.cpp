#include "Esito.h"
#include "ReaderRig.h"
#include "clsSibrant.h"

namespace lettore {
namespace {

using SibrantTest = test::ReaderRig;

// What operations decide themselves (their frames are pinned with the
// command table): a rate without a code is refused before the line is
// touched, CreaBadge without outst sends what CreaBadge does, and a port
// failure is told, by the broadcast SetIndirizzo too, with VerificaBadge's "E".
TEST_F(SibrantTest, RefusedRateCreaBadgeWithoutOutstAndBroadcastFailure)
{
    port.clearRecord();
    for (const char* rate : {"57600", "115200", "9600 ", " 9600", "09600", ""})
        EXPECT_EQ(lettori.Sibrant().SetupSeriale(1, rate, 5), Esito::Rejected) << rate;
    EXPECT_TRUE(port.calls().empty());
    reply = [](const std::string&) { return ack(); };
    EXPECT_EQ(lettori.Sibrant().CreaBadge(4, "0000000042"), Esito::Accepted);
    EXPECT_EQ(writtenHex(), std::vector<std::string>{"02 30 34 34 31 30 30 30 30 30 30 30 30 34 32 03 06"});
    port.failAlways("write", PortError(PortFailure::Other, 8020, "Error reading comm device"));
    EXPECT_EQ(lettori.Sibrant().SetIndirizzo(1, "0000000042"), Esito::PortFailed);
    std::string out;
    EXPECT_EQ(lettori.Sibrant().VerificaBadge(1, "0000000042", out), Esito::PortFailed);
    EXPECT_EQ(out, "E");
}

// What each query makes of an answer other than the expected one (read with the command
// table): the answer's length decides between values cut out of it and placeholders, and
// only a well-formed record is acknowledged.
TEST_F(SibrantTest, QueriesReadTheirAnswerAndAcknowledgeRecords)
{
    using Query = std::function<int16_t(clsSibrant&, std::string&)>;
    const Query setup = [](clsSibrant& s, std::string& o) {
        std::string v[6];
        const int16_t esito = s.GetSetupBase(1, v[0], v[1], v[2], v[3], v[4], v[5]);
        o = v[0] + "|" + v[1] + "|" + v[2] + "|" + v[3] + "|" + v[4] + "|" + v[5];
        return esito;
    };
    const Query crea = [](clsSibrant& s, std::string& o) { return s.CreaBadge(1, "0000000042", o); };
    const Query verifica = [](clsSibrant& s, std::string& o) { return s.VerificaBadge(1, "0000000042", o); };
    const Query version = [](clsSibrant& s, std::string& o) { return s.GetVersioneFirmware(1, o); };
    const Query transazione = [](clsSibrant& s, std::string& o) { return s.GetTransazione(1, o); };
    const Query autoAck = [](clsSibrant& s, std::string& o) { return s.GetTransazione(1, o, true); };
    const Query next = [](clsSibrant& s, std::string& o) { return s.GetMatricolaNext(1, o); };
    const struct { const char* name; Query query; std::string reply; int16_t esito; std::string expected; } rows[] = {
        {"setup of 19", setup, answer("ABCDefgHIJklmX"), 0, "N|N|N|N|N|N"},
        {"setup of 21", setup, answer("ABCDefgHIJklmXYZ"), 0, "N|N|N|N|N|N"},
        {"setup silence", setup, "", 1, "N|N|N|N|N|N"},
        {"crea longer answer", crea, answer("0xyz"), 0, "0"},
        {"crea lone ACK", crea, ack(), 0, ""},
        {"crea silence", crea, "", 1, ""},
        {"verifica longer answer", verifica, answer("0xyz"), 0, "0"},
        {"verifica lone ACK", verifica, ack(), 0, ""},
        {"verifica silence", verifica, "", 1, "E"},
        {"version of 20", version, answer("V1.23 2026-01-3"), 0, "N"},
        {"version of 22", version, answer("V1.23 2026-01-31x"), 0, "N"},
        {"transaction of 20", transazione, answer("T00000012345678"), 0, "00000012345678"},
        {"short transaction with AutoAck", autoAck, answer("T000000123"), 0, "N"},
        {"next number of 16", next, answer("00000000790"), 0, "N"},
        {"next number of 14", next, answer("000000007"), 0, "N"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port.clearRecord();
        reply = [&](const std::string&) { return row.reply; };
        std::string out = "stale";
        EXPECT_EQ(row.query(lettori.Sibrant(), out), row.esito);
        EXPECT_EQ(out, row.expected);
        EXPECT_EQ(port.writes().size(), 1u);  // no acknowledgement
    }
}

}  // namespace
}  // namespace lettore
