#pragma once

#include "ReaderCommand.h"

#include <cstdint>
#include <string>

namespace lettore {

class clsComunicazioni;

// The reader's command set as typed functions: each runs its command's
// description (ReaderCommand) on the link with its parameters as the
// named arguments, hands back the answer's fields as its out-parameters
// and returns the exchange's result code (Esito.h) unchanged, except where
// a command says otherwise.
//
// Out-parameters of a query whose answer does not have the expected length
// receive the placeholder "N" ("E" for VerificaBadge when the exchange
// failed). The class keeps no state of its own.
class clsSibrant {
public:
    explicit clsSibrant(clsComunicazioni& link) : m_link(link) { }

    // Base setup: "1" + TProto, RELE, TMCODE, TBuzz, TMAC, LED_V, sent as given.
    int16_t SetupBase(int16_t term, const std::string& TProto, const std::string& TMAC, const std::string& TBuzz,
                      const std::string& RELE, const std::string& LED_V, const std::string& TMCODE);

    // New address and baud rate: "2" + address characters + baud code. An
    // unknown baud-rate text returns 2 and sends nothing.
    int16_t SetupSeriale(int16_t term, const std::string& BaudRate, int16_t NewAddress);

    // Output test: "3" + three-digit fields of RELE, Buzzer, LED_V.
    int16_t SetOUTPUT(int16_t term, const std::string& RELE, const std::string& Buzzer, const std::string& LED_V);

    // Adds CODICE to the white list. outst: the answer's first data
    // character, empty when the answer has none.
    int16_t CreaBadge(int16_t term, const std::string& CODICE, std::string& outst);
    int16_t CreaBadge(int16_t term, const std::string& CODICE);

    int16_t EliminaBadge(int16_t term, const std::string& CODICE);

    // outESISTE: the answer's first data character when the exchange
    // succeeded (empty when it has none), otherwise "E".
    int16_t VerificaBadge(int16_t term, const std::string& CODICE, std::string& outESISTE);

    int16_t CancellaWL(int16_t term);

    // Gives address nIndirizzo to the reader that holds card sCodice. Sent
    // to every reader (address 256), unanswered: 0 once sent, else why it
    // was not (the port failed, the link was busy).
    int16_t SetIndirizzo(uint8_t nIndirizzo, const std::string& sCodice);

    // The six base setup fields of a 20-character answer, else "N" in each.
    int16_t GetSetupBase(int16_t term, std::string& outTPROTO, std::string& outTMAC, std::string& outRELE,
                         std::string& outLED_V, std::string& outTMCODE, std::string& outTBUZZ);

    // The 16-character version of a 21-character answer, else "N".
    int16_t GetVersioneFirmware(int16_t term, std::string& outVERSION);

    // A stored transaction: the answer from its fifth character up to the
    // end and check characters, or "N" for an answer under 16 characters.
    // With AutoAck a well-formed transaction is acknowledged at once.
    int16_t GetTransazione(int16_t term, std::string& outCODICE, bool AutoAck = false);

    // First, current and next stored serial number: the 10 data characters
    // of a 15-character answer, acknowledged at once; else "N".
    int16_t GetMatricolaPrima(int16_t term, std::string& outCODICE);
    int16_t GetMatricolaCorrente(int16_t term, std::string& outCODICE);
    int16_t GetMatricolaNext(int16_t term, std::string& outCODICE);

    // Confirms a record to the reader; sent without waiting, returns 0.
    int16_t SendACK(int16_t term);

private:
    ReaderCommand::Result run(std::string_view command, int16_t term, const ReaderCommand::Arguments& arguments = {},
                              bool acknowledge = false);
    // A command whose one field is `out`.
    int16_t runForOne(std::string_view command, int16_t term, const ReaderCommand::Arguments& arguments,
                      std::string& out, bool acknowledge = false);

    clsComunicazioni& m_link;
};

}  // namespace lettore
