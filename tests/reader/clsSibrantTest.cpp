#include "Esito.h"
#include "ReaderRig.h"
#include "clsSibrant.h"

#include <utility>

namespace lettore {
namespace {

const std::string ACK(1, Frame::ACK);

// The registry over a simulated port, with a reader that answers the next
// frame it receives with the bytes given, then stays silent; no bytes
// means silence.
class SibrantTest : public test::ReaderRig {
protected:
    void replyOnce(std::string bytes)
    {
        reply = [bytes = std::move(bytes)](const std::string&) mutable { return std::exchange(bytes, std::string()); };
    }

    clsSibrant& sibrant = lettori.Sibrant();
};

// How operations lay out what they are given: fields as given, the new
// address in the set form whatever its range, the rate's code. (Each
// operation's frame is pinned with the command table.)
TEST_F(SibrantTest, OperationsLayOutTheirArguments)
{
    const struct {
        const char* name;
        std::function<int16_t(clsSibrant&)> call;
        const char* frame;  // hex
    } cases[] = {
        {"SetupBase short TProto", [](clsSibrant& s) { return s.SetupBase(3, "001", "1", "050", "100", "0", "200"); },
         "02 30 33 31 30 30 31 31 30 30 32 30 30 30 35 30 31 30 03 35"},
        {"SetupSeriale 38400 to 31", [](clsSibrant& s) { return s.SetupSeriale(1, "38400", 31); }, "02 30 31 32 31 3F 35 03 09"},
        {"SetupSeriale 1200 to 256", [](clsSibrant& s) { return s.SetupSeriale(7, "1200", 256); }, "02 30 37 32 30 30 30 03 04"},
        {"SetupSeriale 2400 to -1", [](clsSibrant& s) { return s.SetupSeriale(7, "2400", -1); }, "02 30 37 32 3F 3F 31 03 05"},
        {"SetupSeriale 4800 to 300", [](clsSibrant& s) { return s.SetupSeriale(7, "4800", 300); }, "02 30 37 32 32 3C 32 03 08"},
        {"SetOUTPUT 1234 empty 7", [](clsSibrant& s) { return s.SetOUTPUT(2, "1234", "", "7"); },
         "02 30 32 33 32 33 34 30 30 30 30 30 37 03 02"},
        {"CreaBadge without outst", [](clsSibrant& s) { return s.CreaBadge(4, "0000000042"); },
         "02 30 34 34 31 30 30 30 30 30 30 30 30 34 32 03 06"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        port.clearRecord();
        replyOnce(ACK);
        EXPECT_EQ(c.call(sibrant), Esito::Accepted);
        ASSERT_EQ(port.writes().size(), 1u);
        EXPECT_EQ(test::hex(port.writes()[0]), c.frame);
    }
}

TEST_F(SibrantTest, SetupSerialeRefusesAnUnknownRateWithoutTouchingTheLine)
{
    port.clearRecord();
    for (const char* rate : {"57600", "115200", "9600 ", " 9600", "09600", ""})
        EXPECT_EQ(sibrant.SetupSeriale(1, rate, 5), Esito::Rejected) << rate;
    EXPECT_TRUE(port.calls().empty());
}

// What each query makes of its answer: the answer's length decides whether
// values are cut out of it or replaced by a placeholder, and only a
// well-formed record is acknowledged (a transaction only when asked to).
TEST_F(SibrantTest, QueriesReadTheirAnswerAndAcknowledgeRecords)
{
    using Query = std::function<int16_t(clsSibrant&, int16_t, std::string&)>;
    // GetSetupBase gives its six values joined by '|'.
    const Query setup = [](clsSibrant& s, int16_t t, std::string& o) {
        std::string v[6];
        const int16_t esito = s.GetSetupBase(t, v[0], v[1], v[2], v[3], v[4], v[5]);
        o = v[0] + "|" + v[1] + "|" + v[2] + "|" + v[3] + "|" + v[4] + "|" + v[5];
        return esito;
    };
    const Query crea = [](clsSibrant& s, int16_t t, std::string& o) { return s.CreaBadge(t, "0000000042", o); };
    const Query verifica = [](clsSibrant& s, int16_t t, std::string& o) { return s.VerificaBadge(t, "0000000042", o); };
    const Query version = [](clsSibrant& s, int16_t t, std::string& o) { return s.GetVersioneFirmware(t, o); };
    const Query transazione = [](clsSibrant& s, int16_t t, std::string& o) { return s.GetTransazione(t, o); };
    const Query autoAck = [](clsSibrant& s, int16_t t, std::string& o) { return s.GetTransazione(t, o, true); };
    const Query prima = [](clsSibrant& s, int16_t t, std::string& o) { return s.GetMatricolaPrima(t, o); };
    const Query corrente = [](clsSibrant& s, int16_t t, std::string& o) { return s.GetMatricolaCorrente(t, o); };
    const Query next = [](clsSibrant& s, int16_t t, std::string& o) { return s.GetMatricolaNext(t, o); };
    const std::string noSetup = "N|N|N|N|N|N";
    const struct {
        const char* name;
        Query query;
        int16_t term;  // 256 is never answered: the command returns its placeholders
        std::string reply;
        int16_t esito;
        std::string expected;
        bool acked;
    } rows[] = {
        {"setup of 20", setup, 1, answer("ABCDefgHIJklmXY"), 0, "ABCD|X|efg|Y|HIJ|klm", false},
        {"setup of 19", setup, 1, answer("ABCDefgHIJklmX"), 0, noSetup, false},
        {"setup of 21", setup, 1, answer("ABCDefgHIJklmXYZ"), 0, noSetup, false},
        {"setup silence", setup, 1, "", 1, noSetup, false},
        {"crea longer answer", crea, 1, answer("0xyz"), 0, "0", false},
        {"crea lone ACK", crea, 1, ACK, 0, "", false},
        {"crea silence", crea, 1, "", 1, "", false},
        {"verifica longer answer", verifica, 1, answer("0xyz"), 0, "0", false},
        {"verifica lone ACK", verifica, 1, ACK, 0, "", false},
        {"verifica silence", verifica, 1, "", 1, "E", false},
        {"verifica rejected answer", verifica, 1, test::unhex("02 30 21 31 03 20"), 2, "E", false},
        {"version of 21", version, 1, answer("V1.23 2026-01-31"), 0, "V1.23 2026-01-31", false},
        {"version of 20", version, 1, answer("V1.23 2026-01-3"), 0, "N", false},
        {"version of 22", version, 1, answer("V1.23 2026-01-31x"), 0, "N", false},
        {"transaction of 16", transazione, 1, answer("T0000001234"), 0, "0000001234", false},
        {"transaction of 20", transazione, 1, answer("T00000012345678"), 0, "00000012345678", false},
        {"transaction with AutoAck", autoAck, 1, answer("T0000001234"), 0, "0000001234", true},
        {"short transaction with AutoAck", autoAck, 1, answer("T000000123"), 0, "N", false},
        {"first number of 15", prima, 1, answer("0000000077"), 0, "0000000077", true},
        {"current number of 15", corrente, 1, answer("0000000078"), 0, "0000000078", true},
        {"next number of 15", next, 1, answer("0000000079"), 0, "0000000079", true},
        {"next number of 16", next, 1, answer("00000000790"), 0, "N", false},
        {"next number of 14", next, 1, answer("000000007"), 0, "N", false},
        {"setup broadcast", setup, 256, answer("ABCDefgHIJklmXY"), 0, noSetup, false},
        {"verifica broadcast", verifica, 256, answer("1"), 0, "", false},
        {"next number broadcast", next, 256, answer("0000000079"), 0, "N", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port.clearRecord();
        replyOnce(row.reply);
        std::string out = "stale";
        EXPECT_EQ(row.query(sibrant, row.term, out), row.esito);
        EXPECT_EQ(out, row.expected);
        ASSERT_EQ(port.writes().size(), row.acked ? 2u : 1u);
        if (row.acked)
            EXPECT_EQ(test::hex(port.writes()[1]), "02 30 21 06 03 16");
    }
}

// A port failure is not hidden behind 0, not even for the frames that are
// never answered.
TEST_F(SibrantTest, PortFailurePassesThrough)
{
    port.failAlways("write", PortError(PortFailure::Other, 8020, "Error reading comm device"));
    std::string out;
    EXPECT_EQ(sibrant.GetVersioneFirmware(1, out), Esito::PortFailed);
    EXPECT_EQ(sibrant.VerificaBadge(1, "0000000042", out), Esito::PortFailed);
    EXPECT_EQ(out, "E");
    EXPECT_EQ(sibrant.SendACK(1), Esito::PortFailed);
    EXPECT_EQ(sibrant.SetIndirizzo(1, "0000000042"), Esito::PortFailed);
}

}  // namespace
}  // namespace lettore
