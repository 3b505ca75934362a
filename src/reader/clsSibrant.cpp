#include "clsSibrant.h"

namespace lettore {

ReaderCommand::Result clsSibrant::run(std::string_view command, int16_t term, const ReaderCommand::Arguments& arguments,
                                      bool acknowledge)
{
    return ReaderCommand::named(command).run(m_link, term, arguments, acknowledge);
}

int16_t clsSibrant::runForOne(std::string_view command, int16_t term, const ReaderCommand::Arguments& arguments,
                              std::string& out, bool acknowledge)
{
    const ReaderCommand::Result result = run(command, term, arguments, acknowledge);
    out = result.values.front().text;
    return result.esito;
}

int16_t clsSibrant::SetupBase(int16_t term, const std::string& TProto, const std::string& TMAC,
                              const std::string& TBuzz, const std::string& RELE, const std::string& LED_V,
                              const std::string& TMCODE)
{
    return run("SetupBase", term,
               {{"TProto", TProto},
                {"TMAC", TMAC},
                {"TBuzz", TBuzz},
                {"RELE", RELE},
                {"LED_V", LED_V},
                {"TMCODE", TMCODE}})
        .esito;
}

int16_t clsSibrant::SetupSeriale(int16_t term, const std::string& BaudRate, int16_t NewAddress)
{
    return run("SetupSeriale", term, {{"BaudRate", BaudRate}, {"NewAddress", std::to_string(NewAddress)}}).esito;
}

int16_t clsSibrant::SetOUTPUT(int16_t term, const std::string& RELE, const std::string& Buzzer,
                              const std::string& LED_V)
{
    return run("SetOUTPUT", term, {{"RELE", RELE}, {"Buzzer", Buzzer}, {"LED_V", LED_V}}).esito;
}

int16_t clsSibrant::CreaBadge(int16_t term, const std::string& CODICE, std::string& outst)
{
    return runForOne("CreaBadge", term, {{"CODICE", CODICE}}, outst);
}

int16_t clsSibrant::CreaBadge(int16_t term, const std::string& CODICE)
{
    return run("CreaBadge", term, {{"CODICE", CODICE}}).esito;
}

int16_t clsSibrant::EliminaBadge(int16_t term, const std::string& CODICE)
{
    return run("EliminaBadge", term, {{"CODICE", CODICE}}).esito;
}

int16_t clsSibrant::VerificaBadge(int16_t term, const std::string& CODICE, std::string& outESISTE)
{
    return runForOne("VerificaBadge", term, {{"CODICE", CODICE}}, outESISTE);
}

int16_t clsSibrant::CancellaWL(int16_t term) { return run("CancellaWL", term).esito; }

int16_t clsSibrant::SetIndirizzo(uint8_t nIndirizzo, const std::string& sCodice)
{
    // The description sends it to every reader, whatever the terminal.
    return run("SetIndirizzo", 0, {{"nIndirizzo", std::to_string(nIndirizzo)}, {"sCodice", sCodice}}).esito;
}

int16_t clsSibrant::GetSetupBase(int16_t term, std::string& outTPROTO, std::string& outTMAC, std::string& outRELE,
                                 std::string& outLED_V, std::string& outTMCODE, std::string& outTBUZZ)
{
    const ReaderCommand::Result result = run("GetSetupBase", term);
    outTPROTO = result.value("outTPROTO");
    outTMAC = result.value("outTMAC");
    outRELE = result.value("outRELE");
    outLED_V = result.value("outLED_V");
    outTMCODE = result.value("outTMCODE");
    outTBUZZ = result.value("outTBUZZ");
    return result.esito;
}

int16_t clsSibrant::GetVersioneFirmware(int16_t term, std::string& outVERSION)
{
    return runForOne("GetVersioneFirmware", term, {}, outVERSION);
}

int16_t clsSibrant::GetTransazione(int16_t term, std::string& outCODICE, bool AutoAck)
{
    return runForOne("GetTransazione", term, {}, outCODICE, AutoAck);
}

int16_t clsSibrant::GetMatricolaPrima(int16_t term, std::string& outCODICE)
{
    return runForOne("GetMatricolaPrima", term, {}, outCODICE);
}

int16_t clsSibrant::GetMatricolaCorrente(int16_t term, std::string& outCODICE)
{
    return runForOne("GetMatricolaCorrente", term, {}, outCODICE);
}

int16_t clsSibrant::GetMatricolaNext(int16_t term, std::string& outCODICE)
{
    return runForOne("GetMatricolaNext", term, {}, outCODICE);
}

int16_t clsSibrant::SendACK(int16_t term) { return run("SendACK", term).esito; }

}  // namespace lettore
