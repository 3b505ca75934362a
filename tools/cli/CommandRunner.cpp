#include "CommandRunner.h"

#include "ByteText.h"
#include "clsComunicazioni.h"
#include "clsLettori.h"

#include <map>

namespace lettore {

namespace {

using Dialect = void (clsComunicazioni::*)(int16_t, const std::string&, const std::string&, int16_t&,
                                           std::string&);

const std::map<std::string, Dialect>& dialectRoutines()
{
    static const std::map<std::string, Dialect> routines{
        {"Sibrant2", &clsComunicazioni::Sibrant2}, {"Sibrant", &clsComunicazioni::Sibrant},
        {"Parlow", &clsComunicazioni::Parlow},     {"Quen", &clsComunicazioni::Quen},
        {"Zem", &clsComunicazioni::Zem},           {"Tolvane", &clsComunicazioni::Tolvane},
    };
    return routines;
}

}  // namespace

std::string CommandResult::text() const
{
    std::string out = "esito " + std::to_string(esito) + "\n";
    for (const Value& value : values)
        out += value.name + " " + (value.asHex ? ByteText::hex(value.bytes) : ByteText::escape(value.bytes))
               + "\n";
    return out;
}

CommandRunner::CommandRunner(clsLettori& registry, int16_t term,
                             std::function<void(const std::string&)> progress)
    : m_registry(registry), m_term(term), m_progress(std::move(progress))
{
}

std::string CommandRunner::badgeCode(int number)
{
    const std::string padded = "0000000000" + std::to_string(number);
    return padded.substr(padded.size() - 10);
}

CommandResult CommandRunner::run(const Invocation& invocation)
{
    const CommandEntry& entry = *invocation.command;
    const std::string name = entry.name;
    const std::vector<std::string>& a = invocation.args;
    if (name == "InserisciBadge")
        return insertRange(std::stoi(a[0]), std::stoi(a[1]));
    if (name == "raw")
        return raw(invocation.dialect, a[0], a[1]);

    clsSibrant& s = m_registry.Sibrant();
    const int16_t t = m_term;
    // Out-parameters in the operation's order, named as the table names them.
    std::vector<std::string> out(entry.outputs.size());
    int16_t esito = 0;
    if (name == "SetupBase")
        esito = s.SetupBase(t, a[0], a[1], a[2], a[3], a[4], a[5]);
    else if (name == "SetupSeriale")
        esito = s.SetupSeriale(t, a[0], static_cast<int16_t>(std::stoi(a[1])));
    else if (name == "SetOUTPUT")
        esito = s.SetOUTPUT(t, a[0], a[1], a[2]);
    else if (name == "CreaBadge")
        esito = s.CreaBadge(t, a[0], out[0]);
    else if (name == "EliminaBadge")
        esito = s.EliminaBadge(t, a[0]);
    else if (name == "VerificaBadge")
        esito = s.VerificaBadge(t, a[0], out[0]);
    else if (name == "CancellaWL")
        esito = s.CancellaWL(t);
    else if (name == "SetIndirizzo")
        esito = s.SetIndirizzo(static_cast<uint8_t>(std::stoi(a[0])), a[1]);
    else if (name == "GetSetupBase")
        esito = s.GetSetupBase(t, out[0], out[1], out[2], out[3], out[4], out[5]);
    else if (name == "GetVersioneFirmware")
        esito = s.GetVersioneFirmware(t, out[0]);
    else if (name == "GetTransazione")
        esito = s.GetTransazione(t, out[0], invocation.ack);
    else if (name == "GetMatricolaPrima")
        esito = s.GetMatricolaPrima(t, out[0]);
    else if (name == "GetMatricolaCorrente")
        esito = s.GetMatricolaCorrente(t, out[0]);
    else if (name == "GetMatricolaNext")
        esito = s.GetMatricolaNext(t, out[0]);
    else if (name == "SendACK")
        esito = s.SendACK(t);

    CommandResult result{esito, {}};
    for (size_t n = 0; n < out.size(); ++n)
        result.values.push_back({entry.outputs[n], out[n]});
    return result;
}

// One CreaBadge per code, as the console's range insertion: a failure does
// not stop the loop. The result is the first failure's code, or 0.
CommandResult CommandRunner::insertRange(int first, int last)
{
    int16_t firstFailure = 0;
    int accepted = 0;
    std::string lastLine;
    for (int n = first; n <= last; ++n) {
        const std::string code = badgeCode(n);
        std::string outst;
        const int16_t esito = m_registry.Sibrant().CreaBadge(m_term, code, outst);
        if (esito == 0)
            ++accepted;
        else if (firstFailure == 0)
            firstFailure = esito;
        lastLine = code + " " + outst;
        if (m_progress)
            m_progress(lastLine);
    }
    return {firstFailure, {{"accettati", std::to_string(accepted)}, {"TxtRisposta", lastLine}}};
}

CommandResult CommandRunner::raw(const std::string& dialect, const std::string& type,
                                 const std::string& data)
{
    int16_t esito = 0;
    std::string Risposta;
    (m_registry.Comunicazione().*dialectRoutines().at(dialect))(m_term, type, data, esito, Risposta);
    return {esito, {{"Risposta", Risposta, true}}};
}

}  // namespace lettore
