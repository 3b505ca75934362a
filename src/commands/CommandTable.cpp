#include "CommandTable.h"

#include "Dialect.h"
#include "Esito.h"
#include "clsComunicazioni.h"

namespace lettore {

namespace {

using Kind = CommandEntry::Kind;

CommandResult insertRange(clsComunicazioni& link, const CommandRequest& r)
{
    const RangeInsertion insertion(link, r.term, r.progress, r.stopRequested);
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

CommandResult raw(clsComunicazioni& link, const CommandRequest& r)
{
    const Dialect* dialect = Dialect::find(r.dialect);
    if (!dialect)
        return {Esito::InvalidArgument, {{"Risposta", "", true}}};
    int16_t esito = 0;
    std::string Risposta;
    link.speak(*dialect, r.term, r.args[0], r.args[1], esito, Risposta);
    return {esito, {{"Risposta", Risposta, true}}};
}

// The entry of a reader command: the command line's names and checks of
// its inputs, in the command's order, and its summary; --ack where the
// command acknowledges on request.
CommandEntry reader(const char* name, std::vector<CommandEntry::Input> inputs, const char* summary)
{
    const ReaderCommand& command = ReaderCommand::named(name);
    return {command.name, std::move(inputs), command.followUp == ReaderCommand::FollowUp::OnRequest, false, summary,
            nullptr,      &command};
}

}  // namespace

CommandResult CommandEntry::run(clsComunicazioni& link, const CommandRequest& request) const
{
    if (invoke)
        return invoke(link, request);
    const ReaderCommand::Result done = command->run(link, request.term, command->arguments(request.args), request.ack);
    CommandResult result;
    result.esito = done.esito;
    for (const ReaderCommand::Value& value : done.values)
        result.values.push_back({value.name, value.text});
    return result;
}

const std::vector<CommandEntry>& CommandTable::all()
{
    static const std::vector<CommandEntry> commands{
        reader("SetupBase",
               {{"TPROTO", Kind::Text},
                {"TMAC", Kind::Text},
                {"TBUZZ", Kind::Text},
                {"RELE", Kind::Text},
                {"LED_V", Kind::Text},
                {"TMCODE", Kind::Text}},
               "base setup, fields sent as given"),
        reader("SetupSeriale", {{"BAUD", Kind::BaudRate}, {"NEWADDR", Kind::Address}},
               "new address and baud rate (1200 2400 4800 9600 19200 38400)"),
        reader("SetOUTPUT", {{"RELE", Kind::Text}, {"BUZZER", Kind::Text}, {"LED_V", Kind::Text}},
               "drive relay, buzzer and green LED"),
        reader("CreaBadge", {{"CODE", Kind::Text}}, "add a badge code to the white list"),
        reader("EliminaBadge", {{"CODE", Kind::Text}}, "delete a badge code"),
        reader("VerificaBadge", {{"CODE", Kind::Text}}, "ask whether a badge code is listed"),
        reader("CancellaWL", {}, "clear the white list"),
        reader("SetIndirizzo", {{"ADDR", Kind::Address}, {"CODE", Kind::Text}},
               "give ADDR to the reader holding card CODE (sent to all readers)"),
        reader("GetSetupBase", {}, "read the base setup"),
        reader("GetVersioneFirmware", {}, "read the firmware version"),
        reader("GetTransazione", {}, "read a stored transaction; --ack acknowledges it"),
        reader("GetMatricolaPrima", {}, "first stored serial number"),
        reader("GetMatricolaCorrente", {}, "current stored serial number"),
        reader("GetMatricolaNext", {}, "next stored serial number"),
        reader("SendACK", {}, "acknowledge a record"),
        {"InserisciBadge",
         {{"FIRST", Kind::RangeBound}, {"LAST", Kind::RangeBound}},
         false,
         false,
         "add the codes FIRST..LAST as ten zero-padded digits",
         insertRange,
         &ReaderCommand::named("CreaBadge"),
         true},
        {"raw",
         {{"TYPE", Kind::Text}, {"DATA", Kind::Bytes}},
         false,
         true,
         "send DATA (\\xHH escapes) with any dialect",
         raw},
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
