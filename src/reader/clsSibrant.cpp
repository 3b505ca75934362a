#include "clsSibrant.h"

#include "FieldCodec.h"
#include "Esito.h"
#include "Framing.h"
#include "clsComunicazioni.h"
#include "clsLettori.h"

namespace lettore {

namespace {

// Answer lengths of the length-checked queries: data characters + 5.
constexpr size_t SetupBaseAnswerLength = 20;
constexpr size_t VersionAnswerLength = 21;
constexpr size_t TransactionMinLength = 16;
constexpr size_t MatricolaAnswerLength = 15;

const std::string Placeholder = "N";
const std::string VerifyPlaceholder = "E";

}  // namespace

int16_t clsSibrant::send(int16_t term, const char* TipoComando, const std::string& StrComando,
                         std::string& Risposta)
{
    int16_t esito = 0;
    Risposta.clear();
    m_registry.Comunicazione().Sibrant2(term, TipoComando, StrComando, esito, Risposta);
    return esito;
}

int16_t clsSibrant::SetupBase(int16_t term, const std::string& TProto, const std::string& TMAC,
                              const std::string& TBuzz, const std::string& RELE,
                              const std::string& LED_V, const std::string& TMCODE)
{
    std::string Risposta;
    return send(term, "S", "1" + TProto + RELE + TMCODE + TBuzz + TMAC + LED_V, Risposta);
}

int16_t clsSibrant::SetupSeriale(int16_t term, const std::string& BaudRate, int16_t NewAddress)
{
    const auto code = FieldCodec::baudCode(BaudRate);
    if (!code)
        return Esito::Rejected;
    std::string Risposta;
    return send(term, "S", "2" + FieldCodec::addressCharacters(NewAddress) + *code, Risposta);
}

int16_t clsSibrant::SetOUTPUT(int16_t term, const std::string& RELE, const std::string& Buzzer,
                              const std::string& LED_V)
{
    std::string Risposta;
    return send(term, "S",
                "3" + FieldCodec::threeDigitField(RELE) + FieldCodec::threeDigitField(Buzzer)
                    + FieldCodec::threeDigitField(LED_V),
                Risposta);
}

int16_t clsSibrant::CreaBadge(int16_t term, const std::string& CODICE, std::string& outst)
{
    std::string Risposta;
    const int16_t esito = send(term, "S", "41" + CODICE, Risposta);
    outst = FieldCodec::field(Risposta, 4, 1);
    return esito;
}

int16_t clsSibrant::CreaBadge(int16_t term, const std::string& CODICE)
{
    std::string discarded;
    return CreaBadge(term, CODICE, discarded);
}

int16_t clsSibrant::EliminaBadge(int16_t term, const std::string& CODICE)
{
    std::string Risposta;
    return send(term, "S", "42" + CODICE, Risposta);
}

int16_t clsSibrant::VerificaBadge(int16_t term, const std::string& CODICE, std::string& outESISTE)
{
    std::string Risposta;
    const int16_t esito = send(term, "P", "7" + CODICE, Risposta);
    outESISTE = esito == Esito::Accepted ? FieldCodec::field(Risposta, 4, 1) : VerifyPlaceholder;
    return esito;
}

int16_t clsSibrant::CancellaWL(int16_t term)
{
    std::string Risposta;
    return send(term, "S", "430000000000", Risposta);
}

int16_t clsSibrant::SetIndirizzo(uint8_t nIndirizzo, const std::string& sCodice)
{
    // Nobody answers a broadcast: only a port that failed can be reported.
    std::string Risposta;
    const int16_t esito = send(Framing::Sibrant2Broadcast, "S",
                               "5" + FieldCodec::addressCharacters(nIndirizzo) + sCodice, Risposta);
    return esito == Esito::PortFailed ? esito : Esito::Accepted;
}

int16_t clsSibrant::GetSetupBase(int16_t term, std::string& outTPROTO, std::string& outTMAC,
                                 std::string& outRELE, std::string& outLED_V,
                                 std::string& outTMCODE, std::string& outTBUZZ)
{
    std::string Risposta;
    const int16_t esito = send(term, "P", "1", Risposta);
    if (Risposta.size() == SetupBaseAnswerLength) {
        outTPROTO = FieldCodec::field(Risposta, 4, 4);
        outRELE = FieldCodec::field(Risposta, 8, 3);
        outTMCODE = FieldCodec::field(Risposta, 11, 3);
        outTBUZZ = FieldCodec::field(Risposta, 14, 3);
        outTMAC = FieldCodec::field(Risposta, 17, 1);
        outLED_V = FieldCodec::field(Risposta, 18, 1);
    } else {
        outTPROTO = outTMAC = outRELE = outLED_V = outTMCODE = outTBUZZ = Placeholder;
    }
    return esito;
}

int16_t clsSibrant::GetVersioneFirmware(int16_t term, std::string& outVERSION)
{
    std::string Risposta;
    const int16_t esito = send(term, "P", "2", Risposta);
    outVERSION = Risposta.size() == VersionAnswerLength ? FieldCodec::field(Risposta, 4, 16)
                                                        : Placeholder;
    return esito;
}

int16_t clsSibrant::GetTransazione(int16_t term, std::string& outCODICE, bool AutoAck)
{
    std::string Risposta;
    const int16_t esito = send(term, "P", "3", Risposta);
    if (Risposta.size() < TransactionMinLength) {
        outCODICE = Placeholder;
        return esito;
    }
    if (AutoAck)
        m_registry.Sibrant().SendACK(term);
    outCODICE = FieldCodec::field(Risposta, 5, Risposta.size() - 6);
    return esito;
}

int16_t clsSibrant::getMatricola(int16_t term, const char* StrComando, std::string& outCODICE)
{
    std::string Risposta;
    const int16_t esito = send(term, "P", StrComando, Risposta);
    if (Risposta.size() != MatricolaAnswerLength) {
        outCODICE = Placeholder;
        return esito;
    }
    m_registry.Sibrant().SendACK(term);
    outCODICE = FieldCodec::field(Risposta, 4, 10);
    return esito;
}

int16_t clsSibrant::GetMatricolaPrima(int16_t term, std::string& outCODICE)
{
    return getMatricola(term, "4", outCODICE);
}

int16_t clsSibrant::GetMatricolaCorrente(int16_t term, std::string& outCODICE)
{
    return getMatricola(term, "5", outCODICE);
}

int16_t clsSibrant::GetMatricolaNext(int16_t term, std::string& outCODICE)
{
    return getMatricola(term, "6", outCODICE);
}

int16_t clsSibrant::SendACK(int16_t term)
{
    std::string Risposta;
    return send(term, "P", std::string(1, Framing::ACK), Risposta);
}

}  // namespace lettore
