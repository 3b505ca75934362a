#include "CommandTable.h"

#include "Dialect.h"
#include "Esito.h"
#include "clsComunicazioni.h"
#include "clsLettori.h"

#include <functional>

namespace lettore {

namespace {

using Kind = CommandEntry::Kind;

CommandResult esitoOnly(int16_t esito)
{
    CommandResult result;
    result.esito = esito;
    return result;
}

// A command that answers one value, named `name`.
CommandResult oneValue(const char* name, const std::function<int16_t(std::string&)>& call)
{
    std::string value;
    const int16_t esito = call(value);
    return {esito, {{name, value}}};
}

CommandResult outCodice(clsLettori& l, const CommandRequest& r,
                        int16_t (clsSibrant::*query)(int16_t, std::string&))
{
    return oneValue("outCODICE", [&](std::string& v) { return (l.Sibrant().*query)(r.term, v); });
}

CommandResult getSetupBase(clsLettori& l, const CommandRequest& r)
{
    std::string v[6];
    const int16_t esito = l.Sibrant().GetSetupBase(r.term, v[0], v[1], v[2], v[3], v[4], v[5]);
    return {esito,
            {{"outTPROTO", v[0]}, {"outTMAC", v[1]}, {"outRELE", v[2]}, {"outLED_V", v[3]},
             {"outTMCODE", v[4]}, {"outTBUZZ", v[5]}}};
}

CommandResult insertRange(clsLettori& l, const CommandRequest& r)
{
    const RangeInsertion insertion(l, r.term, r.progress, r.stopRequested);
    const RangeInsertion::Result done = insertion.run(std::stoi(r.args[0]), std::stoi(r.args[1]));
    CommandResult result{done.esito,
                         {{"accettati", std::to_string(done.accepted)},
                          {"TxtRisposta", done.lastLine},
                          {"inviati", std::to_string(done.sent)}},
                         done.stopped};
    // One line per status character, so that a full list ("2") is not
    // taken for insertions; "none" for answers that carried none.
    for (const auto& [status, count] : done.statuses)
        result.values.push_back({"stato", (status.empty() ? "none" : status) + " " + std::to_string(count)});
    return result;
}

CommandResult raw(clsLettori& l, const CommandRequest& r)
{
    const Dialect* dialect = Dialect::find(r.dialect);
    if (!dialect)
        return {Esito::InvalidArgument, {{"Risposta", "", true}}};
    int16_t esito = 0;
    std::string Risposta;
    l.Comunicazione().speak(*dialect, r.term, r.args[0], r.args[1], esito, Risposta);
    return {esito, {{"Risposta", Risposta, true}}};
}

}  // namespace

const std::vector<CommandEntry>& CommandTable::all()
{
    using L = clsLettori;
    using R = const CommandRequest;
    static const std::vector<CommandEntry> commands{
        {"SetupBase",
         {{"TPROTO", Kind::Text}, {"TMAC", Kind::Text}, {"TBUZZ", Kind::Text}, {"RELE", Kind::Text},
          {"LED_V", Kind::Text}, {"TMCODE", Kind::Text}},
         false, false, "base setup, fields sent as given",
         [](L& l, R& r) {
             const auto& a = r.args;
             return esitoOnly(l.Sibrant().SetupBase(r.term, a[0], a[1], a[2], a[3], a[4], a[5]));
         }},
        {"SetupSeriale", {{"BAUD", Kind::BaudRate}, {"NEWADDR", Kind::Address}}, false, false,
         "new address and baud rate (1200 2400 4800 9600 19200 38400)",
         [](L& l, R& r) {
             return esitoOnly(
                 l.Sibrant().SetupSeriale(r.term, r.args[0], static_cast<int16_t>(std::stoi(r.args[1]))));
         }},
        {"SetOUTPUT", {{"RELE", Kind::Text}, {"BUZZER", Kind::Text}, {"LED_V", Kind::Text}}, false, false,
         "drive relay, buzzer and green LED",
         [](L& l, R& r) { return esitoOnly(l.Sibrant().SetOUTPUT(r.term, r.args[0], r.args[1], r.args[2])); }},
        {"CreaBadge", {{"CODE", Kind::Text}}, false, false, "add a badge code to the white list",
         [](L& l, R& r) {
             return oneValue("outst", [&](std::string& v) { return l.Sibrant().CreaBadge(r.term, r.args[0], v); });
         }},
        {"EliminaBadge", {{"CODE", Kind::Text}}, false, false, "delete a badge code",
         [](L& l, R& r) { return esitoOnly(l.Sibrant().EliminaBadge(r.term, r.args[0])); }},
        {"VerificaBadge", {{"CODE", Kind::Text}}, false, false, "ask whether a badge code is listed",
         [](L& l, R& r) {
             return oneValue("outESISTE",
                             [&](std::string& v) { return l.Sibrant().VerificaBadge(r.term, r.args[0], v); });
         }},
        {"CancellaWL", {}, false, false, "clear the white list",
         [](L& l, R& r) { return esitoOnly(l.Sibrant().CancellaWL(r.term)); }},
        {"SetIndirizzo", {{"ADDR", Kind::Address}, {"CODE", Kind::Text}}, false, false,
         "give ADDR to the reader holding card CODE (sent to all readers)",
         [](L& l, R& r) {
             return esitoOnly(l.Sibrant().SetIndirizzo(static_cast<uint8_t>(std::stoi(r.args[0])), r.args[1]));
         }},
        {"GetSetupBase", {}, false, false, "read the base setup", getSetupBase},
        {"GetVersioneFirmware", {}, false, false, "read the firmware version",
         [](L& l, R& r) {
             return oneValue("outVERSION", [&](std::string& v) { return l.Sibrant().GetVersioneFirmware(r.term, v); });
         }},
        {"GetTransazione", {}, true, false, "read a stored transaction; --ack acknowledges it",
         [](L& l, R& r) {
             return oneValue("outCODICE",
                             [&](std::string& v) { return l.Sibrant().GetTransazione(r.term, v, r.ack); });
         }},
        {"GetMatricolaPrima", {}, false, false, "first stored serial number",
         [](L& l, R& r) { return outCodice(l, r, &clsSibrant::GetMatricolaPrima); }},
        {"GetMatricolaCorrente", {}, false, false, "current stored serial number",
         [](L& l, R& r) { return outCodice(l, r, &clsSibrant::GetMatricolaCorrente); }},
        {"GetMatricolaNext", {}, false, false, "next stored serial number",
         [](L& l, R& r) { return outCodice(l, r, &clsSibrant::GetMatricolaNext); }},
        {"SendACK", {}, false, false, "acknowledge a record",
         [](L& l, R& r) { return esitoOnly(l.Sibrant().SendACK(r.term)); }},
        {"InserisciBadge", {{"FIRST", Kind::RangeBound}, {"LAST", Kind::RangeBound}}, false, false,
         "add the codes FIRST..LAST as ten zero-padded digits", insertRange},
        {"raw", {{"TYPE", Kind::Text}, {"DATA", Kind::Bytes}}, false, true,
         "send DATA (\\xHH escapes) with any dialect", raw},
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

const std::vector<std::string>& CommandTable::dialects()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const Dialect& dialect : Dialect::all())
            out.emplace_back(dialect.name);
        return out;
    }();
    return names;
}

}  // namespace lettore
