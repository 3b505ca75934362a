#include "Esito.h"
#include "ReaderRig.h"
#include "clsSibrant.h"

#include <utility>

namespace lettore {
namespace {

using test::hex;

const std::string ACK(1, Framing::ACK);

// `frame` with its check character off by one bit.
std::string badCheck(std::string frame)
{
    frame.back() = static_cast<char>(frame.back() ^ 1);
    return frame;
}

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

// Every operation's whole frame, byte for byte: address field (which
// carries the type), data field and check character.
TEST_F(SibrantTest, EveryOperationSendsItsFrame)
{
    std::string out, out2, out3, out4, out5, out6;
    const struct {
        const char* name;
        std::function<int16_t(clsSibrant&)> call;
        const char* frame;  // hex
    } cases[] = {
        {"SetupBase wire order", [](clsSibrant& s) { return s.SetupBase(3, "0001", "1", "050", "100", "0", "200"); },
         "02 30 33 31 30 30 30 31 31 30 30 32 30 30 30 35 30 31 30 03 05"},
        {"SetupBase short TProto", [](clsSibrant& s) { return s.SetupBase(3, "001", "1", "050", "100", "0", "200"); },
         "02 30 33 31 30 30 31 31 30 30 32 30 30 30 35 30 31 30 03 35"},
        {"SetupSeriale 19200 to 5", [](clsSibrant& s) { return s.SetupSeriale(1, "19200", 5); },
         "02 30 31 32 30 35 34 03 03"},
        {"SetupSeriale 38400 to 31", [](clsSibrant& s) { return s.SetupSeriale(1, "38400", 31); },
         "02 30 31 32 31 3F 35 03 09"},
        {"SetupSeriale 1200 to 256", [](clsSibrant& s) { return s.SetupSeriale(7, "1200", 256); },
         "02 30 37 32 30 30 30 03 04"},
        {"SetupSeriale 2400 to -1", [](clsSibrant& s) { return s.SetupSeriale(7, "2400", -1); },
         "02 30 37 32 3F 3F 31 03 05"},
        {"SetupSeriale 4800 to 300", [](clsSibrant& s) { return s.SetupSeriale(7, "4800", 300); },
         "02 30 37 32 32 3C 32 03 08"},
        {"SetOUTPUT 10 5 0", [](clsSibrant& s) { return s.SetOUTPUT(2, "10", "5", "0"); },
         "02 30 32 33 30 31 30 30 30 35 30 30 30 03 04"},
        {"SetOUTPUT 1234 empty 7", [](clsSibrant& s) { return s.SetOUTPUT(2, "1234", "", "7"); },
         "02 30 32 33 32 33 34 30 30 30 30 30 37 03 02"},
        {"CreaBadge", [&](clsSibrant& s) { return s.CreaBadge(4, "0000000042", out); },
         "02 30 34 34 31 30 30 30 30 30 30 30 30 34 32 03 06"},
        {"CreaBadge without outst", [](clsSibrant& s) { return s.CreaBadge(4, "0000000042"); },
         "02 30 34 34 31 30 30 30 30 30 30 30 30 34 32 03 06"},
        {"EliminaBadge", [](clsSibrant& s) { return s.EliminaBadge(255, "0000000042"); },
         "02 3F 3F 34 32 30 30 30 30 30 30 30 30 34 32 03 01"},
        {"VerificaBadge", [&](clsSibrant& s) { return s.VerificaBadge(26, "0000000042", out); },
         "02 31 2A 37 30 30 30 30 30 30 30 30 34 32 03 2B"},
        {"CancellaWL", [](clsSibrant& s) { return s.CancellaWL(0); },
         "02 30 30 34 33 30 30 30 30 30 30 30 30 30 30 03 06"},
        {"GetSetupBase", [&](clsSibrant& s) { return s.GetSetupBase(9, out, out2, out3, out4, out5, out6); },
         "02 30 29 31 03 29"},
        {"GetVersioneFirmware", [&](clsSibrant& s) { return s.GetVersioneFirmware(9, out); },
         "02 30 29 32 03 2A"},
        {"GetTransazione", [&](clsSibrant& s) { return s.GetTransazione(9, out); },
         "02 30 29 33 03 2B"},
        {"GetMatricolaPrima", [&](clsSibrant& s) { return s.GetMatricolaPrima(9, out); },
         "02 30 29 34 03 2C"},
        {"GetMatricolaCorrente", [&](clsSibrant& s) { return s.GetMatricolaCorrente(9, out); },
         "02 30 29 35 03 2D"},
        {"GetMatricolaNext", [&](clsSibrant& s) { return s.GetMatricolaNext(9, out); },
         "02 30 29 36 03 2E"},
        {"SendACK", [](clsSibrant& s) { return s.SendACK(9); },
         "02 30 29 06 03 1E"},
        {"SetIndirizzo broadcast", [](clsSibrant& s) { return s.SetIndirizzo(12, "0000012345"); },
         "02 60 60 35 30 3C 30 30 30 30 30 31 32 33 34 35 03 39"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        port.clearRecord();
        replyOnce(ACK);
        EXPECT_EQ(c.call(sibrant), Esito::Accepted);
        ASSERT_EQ(port.writes().size(), 1u);
        EXPECT_EQ(hex(port.writes()[0]), c.frame);
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
    using Query = std::function<int16_t(clsSibrant&, std::string&)>;
    // GetSetupBase gives its six values joined by '|'.
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
    const Query prima = [](clsSibrant& s, std::string& o) { return s.GetMatricolaPrima(1, o); };
    const Query corrente = [](clsSibrant& s, std::string& o) { return s.GetMatricolaCorrente(1, o); };
    const Query next = [](clsSibrant& s, std::string& o) { return s.GetMatricolaNext(1, o); };
    const std::string noSetup = "N|N|N|N|N|N";
    const struct {
        const char* name;
        Query query;
        std::string reply;
        int16_t esito;
        std::string expected;
        bool acked;
    } rows[] = {
        {"setup of 20", setup, answer("ABCDefgHIJklmXY"), 0, "ABCD|X|efg|Y|HIJ|klm", false},
        {"setup of 19", setup, answer("ABCDefgHIJklmX"), 0, noSetup, false},
        {"setup of 21", setup, answer("ABCDefgHIJklmXYZ"), 0, noSetup, false},
        {"setup silence", setup, "", 1, noSetup, false},
        {"crea longer answer", crea, answer("0xyz"), 0, "0", false},
        {"crea lone ACK", crea, ACK, 0, "", false},
        {"crea silence", crea, "", 1, "", false},
        {"verifica longer answer", verifica, answer("0xyz"), 0, "0", false},
        {"verifica lone ACK", verifica, ACK, 0, "", false},
        {"verifica silence", verifica, "", 1, "E", false},
        {"verifica rejected answer", verifica, badCheck(answer("1")), 2, "E", false},
        {"version of 21", version, answer("V1.23 2026-01-31"), 0, "V1.23 2026-01-31", false},
        {"version of 20", version, answer("V1.23 2026-01-3"), 0, "N", false},
        {"version of 22", version, answer("V1.23 2026-01-31x"), 0, "N", false},
        {"transaction of 16", transazione, answer("T0000001234"), 0, "0000001234", false},
        {"transaction of 20", transazione, answer("T00000012345678"), 0, "00000012345678", false},
        {"transaction with AutoAck", autoAck, answer("T0000001234"), 0, "0000001234", true},
        {"short transaction with AutoAck", autoAck, answer("T000000123"), 0, "N", false},
        {"first number of 15", prima, answer("0000000077"), 0, "0000000077", true},
        {"current number of 15", corrente, answer("0000000078"), 0, "0000000078", true},
        {"next number of 15", next, answer("0000000079"), 0, "0000000079", true},
        {"next number of 16", next, answer("00000000790"), 0, "N", false},
        {"next number of 14", next, answer("000000007"), 0, "N", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port.clearRecord();
        replyOnce(row.reply);
        std::string out = "stale";
        EXPECT_EQ(row.query(sibrant, out), row.esito);
        EXPECT_EQ(out, row.expected);
        ASSERT_EQ(port.writes().size(), row.acked ? 2u : 1u);
        if (row.acked)
            EXPECT_EQ(hex(port.writes()[1]), hex(answer(ACK)));
    }
}

// A broadcast is never answered: the command returns at once with 0 and
// its placeholders, or an empty status where it has none.
TEST_F(SibrantTest, BroadcastReturnsAtOnceWithoutAnAnswer)
{
    replyOnce(answer("ABCDefgHIJklmXY"));
    const uint32_t start = clock.nowMs();
    std::string tproto, tmac, rele, ledv, tmcode, tbuzz;
    EXPECT_EQ(sibrant.GetSetupBase(256, tproto, tmac, rele, ledv, tmcode, tbuzz), Esito::Accepted);
    EXPECT_EQ((std::vector<std::string>{tproto, tmac, rele, ledv, tmcode, tbuzz}), std::vector<std::string>(6, "N"));
    std::string exists = "stale";
    EXPECT_EQ(sibrant.VerificaBadge(256, "0000000042", exists), Esito::Accepted);
    EXPECT_EQ(exists, "");
    std::string code;
    EXPECT_EQ(sibrant.GetMatricolaNext(256, code), Esito::Accepted);
    EXPECT_EQ(code, "N");
    EXPECT_EQ(port.writes().size(), 3u);
    EXPECT_EQ(clock.nowMs(), start);
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
