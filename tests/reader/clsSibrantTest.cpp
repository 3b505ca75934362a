#include "clsSibrant.h"
#include "Esito.h"
#include "ReaderRig.h"

namespace lettore {
namespace {

using SibrantTest = test::ReaderRig;

// Each function passes its parameters under the right names and its fields back in the right out-parameters.
TEST_F(SibrantTest, ParametersAndOutParametersByName)
{
    using S = clsSibrant&;
    using O = std::string&;
    const auto one = [](auto function) {  // a query whose one out-parameter is shown as it is
        return [function](S s, O o) { return (s.*function)(1, o); };
    };
    const struct {
        std::function<int16_t(S, O)> call;
        std::string answer, sent, out;
    } rows[] = {
        {[](S s, O) { return s.SetupBase(1, "A", "B", "C", "D", "E", "F"); }, "", "1ADFCBE", ""},
        {[](S s, O) { return s.SetupSeriale(1, "19200", 7); }, "", "2074", ""},
        {[](S s, O) { return s.SetOUTPUT(1, "1", "2", "3"); }, "", "3001002003", ""},
        {[](S s, O o) { return s.CreaBadge(1, "X", o); }, "2", "41X", "2"},
        {[](S s, O) { return s.CreaBadge(1, "X"); }, "2", "41X", ""},
        {[](S s, O) { return s.EliminaBadge(1, "X"); }, "", "42X", ""},
        {[](S s, O o) { return s.VerificaBadge(1, "X", o); }, "1", "7X", "1"},
        {[](S s, O) { return s.CancellaWL(1); }, "", "430000000000", ""},
        {[](S s, O) { return s.SetIndirizzo(12, "X"); }, "", "50<X", ""},
        {[](S s, O o) {
             std::string v[6];
             const int16_t esito = s.GetSetupBase(1, v[0], v[1], v[2], v[3], v[4], v[5]);
             o = v[0] + "|" + v[1] + "|" + v[2] + "|" + v[3] + "|" + v[4] + "|" + v[5];
             return esito;
         },
         "123400501002030", "1", "1234|3|005|0|010|020"},
        {one(&clsSibrant::GetVersioneFirmware), "SIM LETTORE 1.00", "2", "SIM LETTORE 1.00"},
        {[](S s, O o) { return s.GetTransazione(1, o); }, "10000000042", "3", "0000000042"},
        {[](S s, O o) { return s.GetTransazione(1, o, true); }, "10000000042", "3|\x06", "0000000042"},
        {one(&clsSibrant::GetMatricolaPrima), "0000000077", "4|\x06", "0000000077"},
        {one(&clsSibrant::GetMatricolaCorrente), "0000000078", "5|\x06", "0000000078"},
        {one(&clsSibrant::GetMatricolaNext), "0000000079", "6|\x06", "0000000079"},
        {[](S s, O) { return s.SendACK(1); }, "", "\x06", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sent);
        port.clearRecord();
        reply = [&](const std::string& frame) {
            const Frame sent = *Frame::decode(frame);
            return sent.data == ack() || sent.term == Frame::Broadcast ? ""
                   : row.answer.empty()                                ? ack()
                                                                       : answer(row.answer);
        };
        std::string out;
        EXPECT_EQ(row.call(lettori.Sibrant(), out), Esito::Accepted);
        EXPECT_EQ(sentData(), row.sent);
        EXPECT_EQ(out, row.out);
    }
}

// A broadcast is never answered, so only a send that did not happen is told: the link held busy.
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
}

}  // namespace
}  // namespace lettore
