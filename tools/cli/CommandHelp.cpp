#include "CommandHelp.h"

#include "FieldCodec.h"
#include "RangeInsertion.h"

#include <map>

namespace lettore {

namespace {

using Kind = CommandEntry::Kind;

// Free-text arguments by name: what the reader expects. They are sent as
// typed, so the reader alone judges them.
const std::map<std::string, std::string>& textFormats()
{
    static const std::map<std::string, std::string> formats{
        {"CODE", "badge code, 10 characters (0000000042), sent as typed"},
        {"TPROTO", "4 characters, sent as typed"},
        {"RELE", "3 characters for SetupBase, sent as typed; up to 3 digits for SetOUTPUT, zero-padded"},
        {"TMCODE", "3 characters, sent as typed"},
        {"TBUZZ", "3 characters, sent as typed"},
        {"TMAC", "1 character, sent as typed"},
        {"LED_V", "1 character for SetupBase, sent as typed; up to 3 digits for SetOUTPUT, zero-padded"},
        {"BUZZER", "up to 3 digits, zero-padded"},
        {"TYPE", "S for a command that sets something, anything else a query (P)"},
        {"COMMAND", "a command's name"},
        {"FILE", "the list: CSV (comma or semicolon), TSV or one code a line, with or without a header\n"
                 "        (a column named Codice, Badge, Card, Tessera or Matricola holds the codes, else the\n"
                 "        first); each code 1 to 10 digits, padded with zeros to 10"},
    };
    return formats;
}

// One run of each command, options included where they matter.
const std::map<std::string, std::string>& examples()
{
    static const std::map<std::string, std::string> runs{
        {"SetupBase", "--term 1 SetupBase 0001 1 002 005 1 010"},
        {"SetupSeriale", "--term 1 SetupSeriale 19200 7"},
        {"SetOUTPUT", "--term 1 SetOUTPUT 10 5 0"},
        {"CreaBadge", "--term 1 CreaBadge 0000000042"},
        {"EliminaBadge", "--term 1 EliminaBadge 0000000042"},
        {"VerificaBadge", "--term 1 VerificaBadge 0000000042"},
        {"CancellaWL", "--term 1 CancellaWL"},
        {"SetIndirizzo", "SetIndirizzo 12 0000012345"},
        {"GetSetupBase", "--term 1 GetSetupBase"},
        {"GetVersioneFirmware", "--port 9 --term 1 GetVersioneFirmware"},
        {"GetTransazione", "--term 1 GetTransazione --ack"},
        {"GetMatricolaPrima", "--term 1 GetMatricolaPrima"},
        {"GetMatricolaCorrente", "--term 1 GetMatricolaCorrente"},
        {"GetMatricolaNext", "--term 1 GetMatricolaNext"},
        {"SendACK", "--term 1 SendACK"},
        {"InserisciBadge", "--term 1 InserisciBadge 1 100"},
        {"raw", "--term 1 raw P 2 --dialect Sibrant2"},
        {"listen", "--port 9 listen --ack --json"},
        {"ports", "ports"},
        {"scan", "--port 9 scan --from 0 --to 31 --baud all --timeout 200"},
        {"collaudo", "--port 9 --term 1 collaudo --report reports --operator Rossi"},
        {"help", "help CreaBadge"},
        {"enrol", "--port 9 --term 1 enrol badges.csv --dry-run"},
        {"transactions", "--port 9 --term 1 transactions --out transazioni.csv --json"},
    };
    return runs;
}

// What each command prints after "esito N". "N" stands for a field the
// answer did not carry (a time-out, a lone ACK or NAK, a frame of another
// length).
const std::map<std::string, std::string>& outputs()
{
    static const std::map<std::string, std::string> printed{
        {"CreaBadge", "outst: the reader's status: 0 added, 1 already listed, 2 list full; empty without one\n"},
        {"VerificaBadge", "outESISTE: 1 listed, 0 not listed; E when the exchange failed\n"},
        {"GetSetupBase", "outTPROTO outTMAC outRELE outLED_V outTMCODE outTBUZZ: the fields, or N each\n"},
        {"GetVersioneFirmware", "outVERSION: 16 characters, or N\n"},
        {"GetTransazione", "outCODICE: the status character dropped, the codes that follow, or N\n"},
        {"GetMatricolaPrima", "outCODICE: 10 characters, or N; a number read is acknowledged\n"},
        {"GetMatricolaCorrente", "outCODICE: 10 characters, or N; a number read is acknowledged\n"},
        {"GetMatricolaNext", "outCODICE: 10 characters, or N; a number read is acknowledged\n"},
        {"InserisciBadge", "accettati, TxtRisposta (last code and status), inviati, stato S N per status\n"},
        {"raw", "Risposta: the whole answer in hex, a lone ACK (06) or NAK (15) included\n"},
        {"enrol", "with --dry-run a line \"mancante CODE\" per code not on the reader, \"estraneo CODE\" per\n"
                  "  extra code of the range, \"ignoto CODE esito N\" per code without an answer, then codici,\n"
                  "  presenti, mancanti, estranei and ignoti with their counts; exit status 0 when nothing differs,\n"
                  "  1 when something does.\n"
                  "  Otherwise a line \"discordante CODE REASON\" per code not read back as it should be, then\n"
                  "  codici, aggiunti (added), presenti (listed already), eliminati, verificati (read back\n"
                  "  listed), discordanti and ripresi (steps a stopped run had done); exit status 0 when every\n"
                  "  code was read back, 1 when not.\n"
                  "  A list with problems is reported on stderr, one FILE:LINE: line each, and nothing is sent\n"
                  "  (exit status 65; 66 when the file cannot be read).\n"},
        {"transactions",
         "a line \"transazione ADDR CODE status S TIME\" per record stored (\" repeated\" at the end of\n"
         "  one stored before but not confirmed), then esito, transazioni and ripetute; each record is\n"
         "  appended to the file and on the disk before the reader is told to drop it. Exit status 0\n"
         "  once the reader has none left, 74 when the file cannot be written.\n"},
    };
    return printed;
}

// Options that belong to one of the command line's own commands.
const std::map<std::string, std::string>& ownOptions()
{
    static const std::map<std::string, std::string> options{
        {"scan", "  --from A, --to B  addresses polled, default 0 to 255\n"
                 "  --baud RATE|all   one rate, or every rate (the default)\n"
                 "  --timeout MS      wait for each answer, default 100 ms plus 30 bytes' time at the rate\n"
                 "Prints \"trovato ADDR RATE VERSION\" per reader (two firmware answers in a row),\n"
                 "then \"trovati N\"; exit status 0 when one was found, 1 when none.\n"
                 "Ctrl-C stops it and prints what was found (exit status 130).\n"},
        {"listen", "  --ack             acknowledge each reading\n"},
        {"collaudo", "  --term N          the reader tested (default: Seriale.cfg's terminal)\n"
                     "  --scan A..B       every reader a scan of addresses A to B at every rate finds, in turn\n"
                     "  --plan FILE       a plan of steps as JSON (default: the plan built in)\n"
                     "  --report DIR      where the reports go (default: the current folder)\n"
                     "  --operator NAME   who runs it, for the report (default: the login name)\n"
                     "  --alone           the reader is alone on the line: its rate may be changed\n"
                     "                    (also when --scan A..B covers 0..255 and finds one reader)\n"
                     "  --badge           an operator presents a badge when asked\n"
                     "Every change to the reader is put back: after a step fails, at the end, at\n"
                     "Ctrl-C (a second Ctrl-C leaves what is not back yet) and once a dropped line is back.\n"
                     "Prints one line per step and per change put back, then the verdict and the\n"
                     "reports written: collaudo-ADDR-STAMP.html, .xml (JUnit) and .json, and with\n"
                     "--scan collaudo-STAMP-riepilogo.html. Exit status 0 when every step passed and\n"
                     "the reader was left as found, 1 when not, 74 when the line dropped or a report\n"
                     "could not be written, 130 when stopped.\n"},
        {"enrol", "  --dry-run         compare the list with the reader; change nothing\n"
                  "  --remove-others   also remove the codes of --range not in the list\n"
                  "  --range FIRST-LAST  the codes checked for extra ones (at most 100000)\n"
                  "Writing adds every code, then reads every code back. A run stopped (Ctrl-C) or killed\n"
                  "resumes where it stopped: FILE.journal beside the list keeps what was done, and goes\n"
                  "when a run ends.\n"},
        {"transactions", "  --out FILE        the CSV file the records are appended to (made when missing):\n"
                         "                    reader,downloaded,status,code,repeated\n"},
    };
    return options;
}

std::string format(const CommandEntry::Input& input)
{
    switch (input.kind) {
    case Kind::Address: return "reader address, 0 to 255";
    case Kind::BaudRate: {
        std::string rates;
        for (const std::string& rate : FieldCodec::baudRates())
            rates += (rates.empty() ? "" : " ") + rate;
        return "one of " + rates;
    }
    case Kind::RangeBound:
        return "0 to " + std::to_string(RangeInsertion::MaxBound) + ", sent as ten zero-padded digits";
    case Kind::Bytes: return "bytes, \\xHH for any byte and \\\\ for a backslash";
    case Kind::Text: break;
    }
    const auto known = textFormats().find(input.name);
    return known != textFormats().end() ? known->second : "text, sent as typed";
}

}  // namespace

std::string CommandHelp::synopsis(const CommandEntry& entry)
{
    std::string line = entry.name;
    for (const auto& input : entry.inputs)
        line += std::string(" ") + input.name;
    if (entry.takesAck)
        line += " [--ack]";
    if (entry.takesDialect) {
        std::string names;
        for (const std::string& dialect : CommandTable::dialects())
            names += (names.empty() ? "" : "|") + dialect;
        line += " [--dialect " + names + "]";
    }
    if (line == "scan")
        line += " [--from A] [--to B] [--baud RATE|all] [--timeout MS]";
    if (line == "collaudo")
        line += " [--term N | --scan A..B] [--plan FILE] [--report DIR] [--operator NAME] [--alone] [--badge]";
    if (line == "enrol FILE")
        line += " [--dry-run] [--remove-others --range FIRST-LAST]";
    if (line == "transactions")
        line += " --out FILE";
    return line;
}

std::string CommandHelp::usageLine(const CommandEntry& entry) { return "Usage: lettore [OPTIONS] " + synopsis(entry); }

std::string CommandHelp::text(const CommandEntry& entry)
{
    std::string text = usageLine(entry) + "\n" + entry.summary + "\n";
    if (!entry.inputs.empty())
        text += "\nArguments:\n";
    for (const auto& input : entry.inputs)
        text += std::string("  ") + input.name + ": " + format(input) + "\n";
    if (const auto options = ownOptions().find(entry.name); options != ownOptions().end())
        text += "\nOptions:\n" + options->second;
    if (const auto printed = outputs().find(entry.name); printed != outputs().end())
        text += "\nPrints:\n  " + printed->second;
    if (const auto run = examples().find(entry.name); run != examples().end())
        text += "\nExample:\n  lettore " + run->second + "\n";
    return text;
}

}  // namespace lettore
