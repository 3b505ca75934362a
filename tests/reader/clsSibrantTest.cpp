#include "Esito.h"
#include "Framing.h"
#include "LinkEvents.h"
#include "ManualClock.h"
#include "SimulatedPort.h"
#include "clsLettori.h"
#include "clsSibrant.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace lettore {
namespace {

using test::hex;
using test::ManualClock;
using test::SimulatedPort;

const std::string ACK(1, Framing::ACK);

// An answer frame from reader `term` carrying `data`: n data characters
// make an answer of n + 5.
std::string answer(int16_t term, const std::string& data)
{
    return Framing::sibrant2Frame(term, "P", data);
}

std::string withBadCheck(std::string frame)
{
    frame.back() = static_cast<char>(frame.back() ^ 0x55);
    return frame;
}

std::string ackFrame(int16_t term) { return Framing::sibrant2Frame(term, "P", ACK); }

class RecordingEvents : public LinkEvents {
public:
    void ComTX(const std::string& Comando) override { transmitted.push_back(Comando); }
    std::vector<std::string> transmitted;
};

// A test registry over a simulated port: a scripted reader answers each
// frame it receives with the next answer in line; an empty answer, or none
// left, means silence.
class SibrantTest : public ::testing::Test {
protected:
    SibrantTest()
    {
        port.onWrite = [this](const std::string&) {
            if (answers.empty())
                return;
            const std::string next = answers.front();
            answers.pop_front();
            if (!next.empty())
                port.feedAt(clock.nowMs() + 20, next);
        };
        lettori.Comunicazione().subscribe(&events);
    }

    // The data field of the n-th frame written.
    std::string dataField(size_t n) const
    {
        const std::string& frame = port.writes().at(n);
        return frame.substr(3, frame.size() - 5);
    }

    ManualClock clock;
    std::unique_ptr<SimulatedPort> owned = std::make_unique<SimulatedPort>(clock);
    SimulatedPort& port = *owned;
    clsLettori lettori{std::move(owned), clock};
    clsSibrant& sibrant = lettori.Sibrant();
    std::deque<std::string> answers;
    RecordingEvents events;
};

struct FrameCase {
    const char* name;
    std::function<int16_t(clsSibrant&)> call;
    int16_t term;
    const char* type;
    std::string data;
};

// Every operation's whole frame, byte for byte: address field (which
// carries the type), data field and check character.
TEST_F(SibrantTest, EveryOperationSendsItsFrame)
{
    std::string out, out2, out3, out4, out5, out6;
    const FrameCase cases[] = {
        {"SetupBase wire order", [](clsSibrant& s) { return s.SetupBase(3, "0001", "1", "050", "100", "0", "200"); },
         3, "S", "1000110020005010"},
        {"SetupBase short TProto", [](clsSibrant& s) { return s.SetupBase(3, "001", "1", "050", "100", "0", "200"); },
         3, "S", "100110020005010"},
        {"SetupSeriale 19200 to 5", [](clsSibrant& s) { return s.SetupSeriale(1, "19200", 5); }, 1, "S", "2054"},
        {"SetupSeriale 38400 to 31", [](clsSibrant& s) { return s.SetupSeriale(1, "38400", 31); }, 1, "S", "21?5"},
        {"SetupSeriale to 256", [](clsSibrant& s) { return s.SetupSeriale(7, "9600", 256); }, 7, "S", "2003"},
        {"SetOUTPUT 10 5 0", [](clsSibrant& s) { return s.SetOUTPUT(2, "10", "5", "0"); }, 2, "S", "3010005000"},
        {"SetOUTPUT 1234 empty 7", [](clsSibrant& s) { return s.SetOUTPUT(2, "1234", "", "7"); }, 2, "S", "3234000007"},
        {"CreaBadge", [&](clsSibrant& s) { return s.CreaBadge(4, "0000000042", out); }, 4, "S", "410000000042"},
        {"CreaBadge without outst", [](clsSibrant& s) { return s.CreaBadge(4, "0000000042"); }, 4, "S", "410000000042"},
        {"EliminaBadge empty code", [](clsSibrant& s) { return s.EliminaBadge(4, ""); }, 4, "S", "42"},
        {"EliminaBadge", [](clsSibrant& s) { return s.EliminaBadge(255, "0000000042"); }, 255, "S", "420000000042"},
        {"VerificaBadge", [&](clsSibrant& s) { return s.VerificaBadge(26, "0000000042", out); }, 26, "P", "70000000042"},
        {"CancellaWL", [](clsSibrant& s) { return s.CancellaWL(0); }, 0, "S", "430000000000"},
        {"GetSetupBase", [&](clsSibrant& s) { return s.GetSetupBase(9, out, out2, out3, out4, out5, out6); }, 9, "P", "1"},
        {"GetVersioneFirmware", [&](clsSibrant& s) { return s.GetVersioneFirmware(9, out); }, 9, "P", "2"},
        {"GetTransazione", [&](clsSibrant& s) { return s.GetTransazione(9, out); }, 9, "P", "3"},
        {"GetMatricolaPrima", [&](clsSibrant& s) { return s.GetMatricolaPrima(9, out); }, 9, "P", "4"},
        {"GetMatricolaCorrente", [&](clsSibrant& s) { return s.GetMatricolaCorrente(9, out); }, 9, "P", "5"},
        {"GetMatricolaNext", [&](clsSibrant& s) { return s.GetMatricolaNext(9, out); }, 9, "P", "6"},
        {"SendACK", [](clsSibrant& s) { return s.SendACK(9); }, 9, "P", ACK},
        {"SetIndirizzo broadcast", [](clsSibrant& s) { return s.SetIndirizzo(12, "0000012345"); }, 256, "S", "50<0000012345"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        port.clearRecord();
        answers = {ACK};
        EXPECT_EQ(c.call(sibrant), Esito::Accepted);
        ASSERT_EQ(port.writes().size(), 1u);
        EXPECT_EQ(hex(port.writes()[0]), hex(Framing::sibrant2Frame(c.term, c.type, c.data)));
    }
}

TEST_F(SibrantTest, SetupSerialeRefusesAnUnknownRateWithoutTouchingTheLine)
{
    port.clearRecord();
    for (const char* rate : {"57600", "115200", "9600 ", ""}) {
        SCOPED_TRACE(rate);
        EXPECT_EQ(sibrant.SetupSeriale(1, rate, 5), Esito::Rejected);
    }
    EXPECT_TRUE(port.calls().empty());
    EXPECT_TRUE(events.transmitted.empty());
}

// Answer lengths decide whether fields are cut or replaced by "N".
TEST_F(SibrantTest, GetSetupBaseCutsOnlyATwentyCharacterAnswer)
{
    std::string tproto, tmac, rele, ledv, tmcode, tbuzz;
    answers = {answer(1, "ABCDefgHIJklmXY")};
    EXPECT_EQ(sibrant.GetSetupBase(1, tproto, tmac, rele, ledv, tmcode, tbuzz), Esito::Accepted);
    EXPECT_EQ(tproto, "ABCD");
    EXPECT_EQ(rele, "efg");
    EXPECT_EQ(tmcode, "HIJ");
    EXPECT_EQ(tbuzz, "klm");
    EXPECT_EQ(tmac, "X");
    EXPECT_EQ(ledv, "Y");

    const struct {
        const char* name;
        std::string reply;
        int16_t esito;
    } wrong[] = {
        {"19 characters", answer(1, "ABCDefgHIJklmX"), Esito::Accepted},
        {"21 characters", answer(1, "ABCDefgHIJklmXYZ"), Esito::Accepted},
        {"lone ACK", ACK, Esito::Accepted},
        {"silence", "", Esito::TimedOut},
        {"bad check", withBadCheck(answer(1, "ABCDefgHIJklmXY")), Esito::Rejected},
    };
    for (const auto& row : wrong) {
        SCOPED_TRACE(row.name);
        answers = {row.reply};
        EXPECT_EQ(sibrant.GetSetupBase(1, tproto, tmac, rele, ledv, tmcode, tbuzz), row.esito);
        for (const std::string* out : {&tproto, &tmac, &rele, &ledv, &tmcode, &tbuzz})
            EXPECT_EQ(*out, "N");
    }
}

TEST_F(SibrantTest, LengthCheckedQueriesCutOrGivePlaceholder)
{
    using Query = std::function<int16_t(clsSibrant&, std::string&)>;
    const Query version = [](clsSibrant& s, std::string& o) { return s.GetVersioneFirmware(1, o); };
    const Query transazione = [](clsSibrant& s, std::string& o) { return s.GetTransazione(1, o); };
    const Query prima = [](clsSibrant& s, std::string& o) { return s.GetMatricolaPrima(1, o); };
    const Query corrente = [](clsSibrant& s, std::string& o) { return s.GetMatricolaCorrente(1, o); };
    const Query next = [](clsSibrant& s, std::string& o) { return s.GetMatricolaNext(1, o); };
    const struct {
        const char* name;
        Query query;
        std::string reply;
        int16_t esito;
        std::string expected;
    } rows[] = {
        {"version of 21", version, answer(1, "V1.23 2026-01-31"), 0, "V1.23 2026-01-31"},
        {"version of 20", version, answer(1, "V1.23 2026-01-3"), 0, "N"},
        {"version of 22", version, answer(1, "V1.23 2026-01-31x"), 0, "N"},
        {"version lone ACK", version, ACK, 0, "N"},
        {"version silence", version, "", 1, "N"},
        {"transaction of 16", transazione, answer(1, "T0000001234"), 0, "0000001234"},
        {"transaction of 20", transazione, answer(1, "T00000012345678"), 0, "00000012345678"},
        {"transaction of 15", transazione, answer(1, "T000000123"), 0, "N"},
        {"transaction lone NAK", transazione, std::string(1, Framing::NAK), 0, "N"},
        {"transaction bad check", transazione, withBadCheck(answer(1, "T0000001234")), 2, "N"},
        {"first number of 15", prima, answer(1, "0000000077"), 0, "0000000077"},
        {"current number of 15", corrente, answer(1, "0000000078"), 0, "0000000078"},
        {"next number of 15", next, answer(1, "0000000079"), 0, "0000000079"},
        {"next number of 16", next, answer(1, "00000000790"), 0, "N"},
        {"next number of 14", next, answer(1, "000000007"), 0, "N"},
        {"next number silence", next, "", 1, "N"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        answers = {row.reply};
        std::string out = "stale";
        EXPECT_EQ(row.query(sibrant, out), row.esito);
        EXPECT_EQ(out, row.expected);
    }
}

TEST_F(SibrantTest, StatusCharacterOfCreaAndVerifica)
{
    const struct {
        const char* name;
        std::string reply;
        int16_t esito;
        const char* crea;      // outst of CreaBadge
        const char* verifica;  // outESISTE of VerificaBadge
    } rows[] = {
        {"status answer", answer(1, "1"), 0, "1", "1"},
        {"longer answer", answer(1, "0xyz"), 0, "0", "0"},
        {"lone ACK", ACK, 0, "", ""},
        {"silence", "", 1, "", "E"},
        {"bad check", withBadCheck(answer(1, "1")), 2, "", "E"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string out = "stale";
        answers = {row.reply};
        EXPECT_EQ(sibrant.CreaBadge(1, "0000000042", out), row.esito);
        EXPECT_EQ(out, row.crea);
        answers = {row.reply};
        EXPECT_EQ(sibrant.CreaBadge(1, "0000000042"), row.esito);
        out = "stale";
        answers = {row.reply};
        EXPECT_EQ(sibrant.VerificaBadge(1, "0000000042", out), row.esito);
        EXPECT_EQ(out, row.verifica);
    }
}

// Which frames go out after a record was read.
TEST_F(SibrantTest, AcknowledgementsFollowOnlyWellFormedRecords)
{
    const std::string transaction = answer(6, "T0000001234");
    const struct {
        const char* name;
        std::function<void(clsSibrant&)> call;
        std::string reply;
        bool acked;
    } rows[] = {
        {"transaction with AutoAck", [](clsSibrant& s) { std::string o; s.GetTransazione(6, o, true); }, transaction, true},
        {"transaction without AutoAck", [](clsSibrant& s) { std::string o; s.GetTransazione(6, o, false); }, transaction, false},
        {"transaction, AutoAck absent", [](clsSibrant& s) { std::string o; s.GetTransazione(6, o); }, transaction, false},
        {"short transaction with AutoAck", [](clsSibrant& s) { std::string o; s.GetTransazione(6, o, true); },
         answer(6, "T000000123"), false},
        {"transaction time-out with AutoAck", [](clsSibrant& s) { std::string o; s.GetTransazione(6, o, true); }, "", false},
        {"first number", [](clsSibrant& s) { std::string o; s.GetMatricolaPrima(6, o); }, answer(6, "0000000001"), true},
        {"current number", [](clsSibrant& s) { std::string o; s.GetMatricolaCorrente(6, o); }, answer(6, "0000000001"), true},
        {"next number", [](clsSibrant& s) { std::string o; s.GetMatricolaNext(6, o); }, answer(6, "0000000001"), true},
        {"next number of 16", [](clsSibrant& s) { std::string o; s.GetMatricolaNext(6, o); }, answer(6, "00000000010"), false},
        {"next number lone ACK", [](clsSibrant& s) { std::string o; s.GetMatricolaNext(6, o); }, ACK, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port.clearRecord();
        answers = {row.reply};
        row.call(sibrant);
        ASSERT_EQ(port.writes().size(), row.acked ? 2u : 1u);
        if (row.acked)
            EXPECT_EQ(hex(port.writes()[1]), hex(ackFrame(6)));
    }
}

// A broadcast is never answered: the command returns at once with 0 and
// its placeholders, or an empty status where it has none.
TEST_F(SibrantTest, BroadcastReturnsAtOnceWithoutAnAnswer)
{
    answers = {answer(1, "ABCDefgHIJklmXY"), answer(1, "1")};
    const uint32_t start = clock.nowMs();
    std::string tproto, tmac, rele, ledv, tmcode, tbuzz;
    EXPECT_EQ(sibrant.GetSetupBase(256, tproto, tmac, rele, ledv, tmcode, tbuzz), Esito::Accepted);
    for (const std::string* out : {&tproto, &tmac, &rele, &ledv, &tmcode, &tbuzz})
        EXPECT_EQ(*out, "N");
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
    EXPECT_EQ(out, "N");
    EXPECT_EQ(sibrant.VerificaBadge(1, "0000000042", out), Esito::PortFailed);
    EXPECT_EQ(out, "E");
    EXPECT_EQ(sibrant.SendACK(1), Esito::PortFailed);
    EXPECT_EQ(sibrant.SetIndirizzo(1, "0000000042"), Esito::PortFailed);
}

}  // namespace
}  // namespace lettore
