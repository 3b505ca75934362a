#include "Esito.h"
#include "ReaderRig.h"
#include "clsSibrant.h"

namespace lettore {
namespace {

using SibrantTest = test::ReaderRig;

// Each function hands its parameters to its command under the right names and its
// command's fields back in the right out-parameters (the frames and answer rules are the
// descriptions'): seen as the data fields written and the out-parameters, "|" between.
TEST_F(SibrantTest, ParametersAndOutParametersByName)
{
    using Call = std::function<int16_t(clsSibrant&, std::string&)>;
    const auto one = [](auto function) {  // a query whose one out-parameter is shown as it is
        return [function](clsSibrant& s, std::string& o) { return (s.*function)(1, o); };
    };
    const struct { const char* name; Call call; std::string answer; std::string sent, out; } rows[] = {
        {"SetupBase", [](clsSibrant& s, std::string&) { return s.SetupBase(1, "A", "B", "C", "D", "E", "F"); }, "",
         "1ADFCBE", ""},
        {"SetupSeriale", [](clsSibrant& s, std::string&) { return s.SetupSeriale(1, "19200", 7); }, "", "2074", ""},
        {"SetOUTPUT", [](clsSibrant& s, std::string&) { return s.SetOUTPUT(1, "1", "2", "3"); }, "", "3001002003", ""},
        {"CreaBadge", [](clsSibrant& s, std::string& o) { return s.CreaBadge(1, "X", o); }, "2", "41X", "2"},
        {"CreaBadge without outst", [](clsSibrant& s, std::string&) { return s.CreaBadge(1, "X"); }, "2", "41X", ""},
        {"EliminaBadge", [](clsSibrant& s, std::string&) { return s.EliminaBadge(1, "X"); }, "", "42X", ""},
        {"VerificaBadge", [](clsSibrant& s, std::string& o) { return s.VerificaBadge(1, "X", o); }, "1", "7X", "1"},
        {"CancellaWL", [](clsSibrant& s, std::string&) { return s.CancellaWL(1); }, "", "430000000000", ""},
        {"SetIndirizzo", [](clsSibrant& s, std::string&) { return s.SetIndirizzo(12, "X"); }, "", "50<X", ""},
        {"GetSetupBase",
         [](clsSibrant& s, std::string& o) {
             std::string v[6];
             const int16_t esito = s.GetSetupBase(1, v[0], v[1], v[2], v[3], v[4], v[5]);
             o = v[0] + "|" + v[1] + "|" + v[2] + "|" + v[3] + "|" + v[4] + "|" + v[5];
             return esito;
         },
         "123400501002030", "1", "1234|3|005|0|010|020"},
        {"GetVersioneFirmware", one(&clsSibrant::GetVersioneFirmware), "SIM LETTORE 1.00", "2", "SIM LETTORE 1.00"},
        {"GetTransazione", [](clsSibrant& s, std::string& o) { return s.GetTransazione(1, o); }, "10000000042", "3",
         "0000000042"},
        {"GetTransazione AutoAck", [](clsSibrant& s, std::string& o) { return s.GetTransazione(1, o, true); },
         "10000000042", "3|\x06", "0000000042"},
        {"GetMatricolaPrima", one(&clsSibrant::GetMatricolaPrima), "0000000077", "4|\x06", "0000000077"},
        {"GetMatricolaCorrente", one(&clsSibrant::GetMatricolaCorrente), "0000000078", "5|\x06", "0000000078"},
        {"GetMatricolaNext", one(&clsSibrant::GetMatricolaNext), "0000000079", "6|\x06", "0000000079"},
        {"SendACK", [](clsSibrant& s, std::string&) { return s.SendACK(1); }, "", "\x06", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        port.clearRecord();
        reply = [&](const std::string& frame) {
            const Frame sent = *Frame::decode(frame);
            return sent.data == ack() || sent.term == Frame::Broadcast ? "" : row.answer.empty() ? ack() : answer(row.answer);
        };
        std::string out;
        EXPECT_EQ(row.call(lettori.Sibrant(), out), Esito::Accepted);
        std::string sent;
        for (const std::string& frame : port.writes())
            sent += (sent.empty() ? "" : "|") + Frame::decode(frame)->data;
        EXPECT_EQ(sent, row.sent);
        EXPECT_EQ(out, row.out);
    }
}

// Address 256 is never answered, so only a send that did not happen can be told: a port
// that failed, or a link held by another exchange (here, the one whose command just went).
TEST_F(SibrantTest, SetIndirizzoTellsASendThatDidNotHappen)
{
    struct DuringSend : LinkEvents {
        clsSibrant* sibrant = nullptr;
        int16_t esito = -1;
        void ComTX(const std::string&) override
        {
            if (esito == -1)
                esito = sibrant->SetIndirizzo(1, "0000000042");
        }
    } duringSend;
    duringSend.sibrant = &lettori.Sibrant();
    lettori.Comunicazione().subscribe(&duringSend);
    std::string version;
    lettori.Sibrant().GetVersioneFirmware(1, version);
    lettori.Comunicazione().unsubscribe(&duringSend);
    EXPECT_EQ(duringSend.esito, Esito::LinkBusy);
    EXPECT_EQ(port.writes().size(), 1u);
    port.failAlways("write", PortError(PortFailure::Other, 8020, "Error reading comm device"));
    EXPECT_EQ(lettori.Sibrant().SetIndirizzo(1, "0000000042"), Esito::PortFailed);
}

}  // namespace
}  // namespace lettore
