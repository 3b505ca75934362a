#include "CommandTable.h"

namespace lettore {

namespace {

using Kind = CommandEntry::Kind;

}  // namespace

const std::vector<CommandEntry>& CommandTable::all()
{
    static const std::vector<CommandEntry> commands{
        {"SetupBase",
         {{"TPROTO", Kind::Text}, {"TMAC", Kind::Text}, {"TBUZZ", Kind::Text}, {"RELE", Kind::Text},
          {"LED_V", Kind::Text}, {"TMCODE", Kind::Text}},
         {}, false, false, "base setup, fields sent as given"},
        {"SetupSeriale", {{"BAUD", Kind::Text}, {"NEWADDR", Kind::Int16}}, {}, false, false,
         "new address and baud rate (1200 2400 4800 9600 19200 38400)"},
        {"SetOUTPUT", {{"RELE", Kind::Text}, {"BUZZER", Kind::Text}, {"LED_V", Kind::Text}}, {}, false,
         false, "drive relay, buzzer and green LED"},
        {"CreaBadge", {{"CODE", Kind::Text}}, {"outst"}, false, false, "add a badge code to the white list"},
        {"EliminaBadge", {{"CODE", Kind::Text}}, {}, false, false, "delete a badge code"},
        {"VerificaBadge", {{"CODE", Kind::Text}}, {"outESISTE"}, false, false,
         "ask whether a badge code is listed"},
        {"CancellaWL", {}, {}, false, false, "clear the white list"},
        {"SetIndirizzo", {{"ADDR", Kind::Address}, {"CODE", Kind::Text}}, {}, false, false,
         "give ADDR to the reader holding card CODE (sent to all readers)"},
        {"GetSetupBase", {}, {"outTPROTO", "outTMAC", "outRELE", "outLED_V", "outTMCODE", "outTBUZZ"},
         false, false, "read the base setup"},
        {"GetVersioneFirmware", {}, {"outVERSION"}, false, false, "read the firmware version"},
        {"GetTransazione", {}, {"outCODICE"}, true, false,
         "read a stored transaction; --ack acknowledges it"},
        {"GetMatricolaPrima", {}, {"outCODICE"}, false, false, "first stored serial number"},
        {"GetMatricolaCorrente", {}, {"outCODICE"}, false, false, "current stored serial number"},
        {"GetMatricolaNext", {}, {"outCODICE"}, false, false, "next stored serial number"},
        {"SendACK", {}, {}, false, false, "acknowledge a record"},
        {"InserisciBadge", {{"FIRST", Kind::RangeBound}, {"LAST", Kind::RangeBound}},
         {"accettati", "TxtRisposta"}, false, false,
         "add the codes FIRST..LAST as ten zero-padded digits"},
        {"raw", {{"TYPE", Kind::Text}, {"DATA", Kind::Bytes}}, {"Risposta"}, false, true,
         "send DATA (\\xHH escapes) with any dialect"},
        {"listen", {}, {}, true, false,
         "print frames the readers send on their own; --ack acknowledges readings"},
    };
    return commands;
}

const CommandEntry* CommandTable::find(const std::string& name)
{
    for (const CommandEntry& entry : all())
        if (name == entry.name)
            return &entry;
    return nullptr;
}

}  // namespace lettore
