#include "CommandLine.h"

#include "ArgumentChecks.h"
#include "ByteText.h"
#include "CommandHelp.h"
#include "CommandNames.h"
#include "FieldCodec.h"
#include "NetworkAddress.h"
#include "NumberText.h"
#include "clsComunicazioni.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <set>

namespace lettore {

namespace {

constexpr int Int16Min = std::numeric_limits<int16_t>::min();
constexpr int Int16Max = std::numeric_limits<int16_t>::max();

// A refusal of the shared checks as this parser's error.
void refuse(const std::string& refusal)
{
    if (!refusal.empty())
        throw UsageError(refusal);
}

}  // namespace

const CommandEntry& CommandLine::listenEntry()
{
    static const CommandEntry entry{
        "listen", {}, true, false, "print frames the readers send on their own; --ack acknowledges readings"};
    return entry;
}

Invocation CommandLine::parse(const std::vector<std::string>& args)
{
    Invocation inv;
    std::vector<std::string> positional;
    std::string scanOption;  // the last option only `scan` takes
    std::string collaudoOption;  // the last option only `collaudo` takes
    std::set<std::string, std::less<>> given;  // the options seen, each once at most
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "-h") {
            refuse(ArgumentChecks::repeated("--help", given));
            inv.help = true;
            continue;
        }
        if (optionsEnded || arg.rfind("--", 0) != 0) {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const size_t eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        refuse(ArgumentChecks::repeated(ByteText::escape(name), given));
        const auto value = [&]() -> std::string {
            if (inlineValue)
                return *inlineValue;
            if (i + 1 >= args.size())
                throw UsageError(ByteText::escape(name) + " needs a value");
            return args[++i];
        };
        const auto flag = [&] {
            if (inlineValue)
                throw UsageError(ByteText::escape(name) + " takes no value");
        };
        // The option's value as a whole integer within [low, high].
        const auto bounded = [&](int low, int high) {
            const std::string text = value();
            refuse(ArgumentChecks::integer(name, text, low, high));
            return static_cast<int>(*NumberText::whole(text, low, high));
        };
        if (name == "--help") {
            flag();
            inv.help = true;
        } else if (name == "--version") {
            flag();
            inv.version = true;
        } else if (name == "--trace") {
            flag();
            inv.trace = true;
        } else if (name == "--json") {
            flag();
            inv.json = true;
        } else if (name == "--strict") {
            flag();
            inv.strict = true;
        } else if (name == "--timeout") {
            inv.timeoutMs = static_cast<uint32_t>(bounded(1, MaxTimeoutMs));
        } else if (name == "--from" || name == "--to") {
            (name == "--from" ? inv.scanFrom : inv.scanTo) = bounded(0, 255);
            scanOption = name;
        } else if (name == "--trace-file") {
            inv.traceFile = value();
            if (inv.traceFile.empty())
                throw UsageError("--trace-file needs a file name");
        } else if (name == "--capture") {
            inv.captureFile = value();
            if (inv.captureFile.empty())
                throw UsageError("--capture needs a file name");
        } else if (name == "--stats") {
            flag();
            inv.stats = true;
        } else if (name == "--ack") {
            flag();
            inv.ack = true;
        } else if (name == "--port") {
            const std::string port = value();
            if (port.empty())
                throw UsageError("--port needs a port number, a device path or an address");
            if (NetworkAddress::isAddress(port)) {
                if (!NetworkAddress::parse(port))
                    throw UsageError("--port address must be tcp://HOST:PORT or rfc2217://HOST:PORT, not "
                                     + ArgumentChecks::quoted(port));
                inv.device = port;
            } else if (port.find_first_not_of("+-0123456789") == std::string::npos) {
                const auto number = NumberText::whole(port, Int16Min, Int16Max);
                if (!number)
                    throw UsageError("--port number must be from -32768 to 32767, not " + ArgumentChecks::quoted(port));
                inv.portNumber = static_cast<int16_t>(*number);
            } else {
                inv.device = port;
            }
        } else if (name == "--baud") {
            const std::string baud = value();
            if (baud == "all") {
                scanOption = "--baud all";
                continue;
            }
            // A reader has six rates; any other would find nobody.
            refuse(ArgumentChecks::baudRate(name, baud));
            inv.baud = baud;
        } else if (name == "--term") {
            // Only these reach one reader, or all of them: the address byte
            // keeps the low bits of anything else (257 reaches reader 1).
            inv.term = static_cast<int16_t>(bounded(0, 256));
        } else if (name == "--quiet-gap") {
            inv.quietGapMs = static_cast<uint32_t>(bounded(0, static_cast<int>(clsComunicazioni::QuietGapLimitMs)));
        } else if (name == "--dry-run" || name == "--remove-others") {
            flag();
            (name == "--dry-run" ? inv.dryRun : inv.removeOthers) = true;
        } else if (name == "--range") {
            const std::string range = value();
            inv.range = CodeRange::parse(range);
            if (!inv.range)
                throw UsageError("--range must be FIRST-LAST, codes of 1 to 10 digits at most "
                                 + std::to_string(CodeRange::MaxSize) + " apart, not " + ArgumentChecks::quoted(range));
        } else if (name == "--out") {
            inv.out = value();
            if (inv.out.empty())
                throw UsageError("--out needs a file name");
        } else if (name == "--dialect") {
            inv.dialect = value();
            const auto& known = CommandTable::dialects();
            if (std::find(known.begin(), known.end(), inv.dialect) == known.end())
                throw UsageError("unknown dialect " + ArgumentChecks::quoted(inv.dialect));
        } else if (name == "--scan") {
            inv.collaudoScan = addressRange(value());
            collaudoOption = name;
        } else if (name == "--plan" || name == "--report" || name == "--operator") {
            const std::string text = value();
            if (text.empty())
                throw UsageError(name + " needs a value");
            (name == "--plan"     ? inv.planFile
             : name == "--report" ? inv.reportFolder
                                  : inv.operatorName.emplace())
                = text;
            collaudoOption = name;
        } else if (name == "--alone" || name == "--badge") {
            flag();
            (name == "--alone" ? inv.alone : inv.badge) = true;
            collaudoOption = name;
        } else {
            throw UsageError("unknown option " + ByteText::escape(name));
        }
    }
    if (inv.help || inv.version)
        return inv;

    if (positional.empty())
        throw UsageError("no command given (try --help)");
    const auto known = [](const std::string& typed) {
        const CommandEntry* entry = CommandNames::find(typed);
        if (entry)
            return entry;
        const std::string nearest = CommandNames::suggestion(typed);
        throw UsageError("unknown command " + ArgumentChecks::quoted(typed)
                         + (nearest.empty() ? " (try --help)" : " (did you mean " + nearest + "?)"));
    };
    inv.command = known(positional.front());
    inv.listen = inv.command == &listenEntry();
    const CommandEntry& entry = *inv.command;
    if (&entry == &CommandNames::help()) {
        if (positional.size() > 2)
            throw UsageError("help takes at most one command", CommandHelp::usageLine(entry));
        inv.help = true;
        if (positional.size() == 2)
            inv.helpTopic = known(positional[1]);
        return inv;
    }
    try {
        checkCommand(inv, positional, scanOption);
        checkCollaudo(inv, collaudoOption);
    } catch (const UsageError& error) {
        throw UsageError(error.what(), CommandHelp::usageLine(entry));
    }
    return inv;
}

void CommandLine::checkCommand(Invocation& inv, const std::vector<std::string>& positional,
                               const std::string& scanOption)
{
    const CommandEntry& entry = *inv.command;
    const bool scanning = &entry == &CommandNames::scan();
    if (!scanOption.empty() && !scanning)
        throw UsageError(scanOption + " applies only to scan");
    if (scanning) {
        if (inv.scanFrom > inv.scanTo)
            throw UsageError("--from must not be above --to");
        inv.scanRates = inv.baud ? std::vector<std::string>{*inv.baud} : FieldCodec::baudRates();
        inv.baud.reset();
    }
    if (inv.strict
        && (inv.listen || scanning || &entry == &CommandNames::ports() || &entry == &CommandNames::collaudo()))
        throw UsageError(std::string("--strict does not apply to ") + entry.name);
    if (inv.ack && !entry.takesAck)
        throw UsageError(std::string("--ack does not apply to ") + entry.name);
    if (inv.quietGapMs && std::string(entry.name) != "InserisciBadge")
        throw UsageError(std::string("--quiet-gap does not apply to ") + entry.name);
    if (inv.dialect != "Sibrant2" && !entry.takesDialect)
        throw UsageError(std::string("--dialect does not apply to ") + entry.name);
    checkFileCommands(inv);
    const std::vector<std::string> args(positional.begin() + 1, positional.end());
    refuse(ArgumentChecks::arguments(entry, args));
    for (size_t n = 0; n < args.size(); ++n)
        inv.args.push_back(entry.inputs[n].kind == CommandEntry::Kind::Bytes ? *ByteText::unescape(args[n]) : args[n]);
}

std::pair<int, int> CommandLine::addressRange(const std::string& text)
{
    const std::size_t dots = text.find("..");
    const std::string from = text.substr(0, dots);
    const std::string to = dots == std::string::npos ? "" : text.substr(dots + 2);
    if (dots == std::string::npos || !NumberText::whole(from, 0, 255) || !NumberText::whole(to, 0, 255))
        throw UsageError("--scan takes two addresses from 0 to 255 as A..B, not " + ArgumentChecks::quoted(text));
    const auto range = std::pair{static_cast<int>(*NumberText::whole(from, 0, 255)),
                                 static_cast<int>(*NumberText::whole(to, 0, 255))};
    if (range.first > range.second)
        throw UsageError("--scan A..B must not end below its start");
    return range;
}

void CommandLine::checkCollaudo(const Invocation& inv, const std::string& collaudoOption)
{
    if (inv.command != &CommandNames::collaudo()) {
        if (!collaudoOption.empty())
            throw UsageError(collaudoOption + " applies only to collaudo");
        return;
    }
    if (inv.collaudoScan && inv.term)
        throw UsageError("--term and --scan do not go together: one reader, or those a scan finds");
    if (inv.json)
        throw UsageError("--json does not apply to collaudo: its report is written as JSON too");
    if (inv.term == 256)
        throw UsageError("collaudo tests one reader: --term must be from 0 to 255");
}

void CommandLine::checkTerminal(const Invocation& invocation, int16_t storedTerminal)
{
    if (!invocation.command)
        return;
    std::string refusal = ArgumentChecks::terminal(*invocation.command, invocation.term.value_or(storedTerminal));
    if (refusal.empty())
        return;
    if (!invocation.term)
        refusal += " (the terminal of Seriale.cfg; --term chooses another)";
    throw UsageError(refusal, CommandHelp::usageLine(*invocation.command));
}

void CommandLine::checkFileCommands(const Invocation& inv)
{
    const CommandEntry& entry = *inv.command;
    const bool enrol = &entry == &CommandNames::enrol();
    const bool transactions = &entry == &CommandNames::transactions();
    for (const auto& [given, option] :
         {std::pair(inv.dryRun, "--dry-run"), std::pair(inv.removeOthers, "--remove-others"),
          std::pair(inv.range.has_value(), "--range")})
        if (given && !enrol)
            throw UsageError(std::string(option) + " applies only to enrol");
    if (!inv.out.empty() && !transactions)
        throw UsageError("--out applies only to transactions");
    if (transactions && inv.out.empty())
        throw UsageError("transactions needs --out FILE, the CSV file the records go to");
    // The reader cannot list its codes: extra ones are found by checking each code of a range.
    if (inv.removeOthers != inv.range.has_value())
        throw UsageError(inv.removeOthers
                             ? "--remove-others needs --range FIRST-LAST, the codes to look for extra ones in"
                             : "--range applies only with --remove-others");
    if (inv.strict && (enrol || transactions))
        throw UsageError(std::string("--strict does not apply to ") + entry.name);
}

std::string CommandLine::helpText()
{
    std::string text
        = "Usage: lettore [--port N|DEVICE|ADDRESS] [--baud RATE] [--term ADDR] [--trace] [--trace-file FILE]\n"
          "               [--capture FILE] [--stats] [--json] [--strict] [--timeout MS] COMMAND [ARGS...]\n"
          "       lettore help COMMAND | -h | --help | --version\n"
          "\n"
          "Runs one reader command and prints \"esito N\", then one \"NAME VALUE\" line per\n"
          "returned value (bytes outside printable ASCII as \\xHH).\n"
          "Port, rate and terminal default to Seriale.cfg in the settings folder, else 1, 9600, 0.\n"
          "The settings folder is the program's folder in a build, ~/.config/lettore once installed.\n"
          "  --port N|DEVICE|ADDRESS  port number (PorteRete.cfg entry or COM<N> link in the\n"
          "                   settings folder, else /dev/ttyS<N-1>), a device path, or a device\n"
          "                   server's address tcp://HOST:PORT or rfc2217://HOST:PORT;\n"
          "                   `lettore ports` lists them\n"
          "  --baud RATE      baud rate: 1200, 2400, 4800, 9600, 19200 or 38400\n"
          "  --term ADDR      reader address, 0..255, 256 for all readers (no answer, so no query\n"
          "                   goes there)\n"
          "  --trace          every byte sent, received and discarded, decoded into frames and\n"
          "                   noise with its UTC time, and every time-out and port error, on stderr\n"
          "  --trace-file FILE  the same trace written to FILE\n"
          "  --capture FILE   the traffic written to FILE as a pcapng capture (link type 250, RTAC\n"
          "                   serial) that Wireshark and tshark open; the lettore.lua dissector\n"
          "                   installed with the package names its fields\n"
          "  --stats          at the end of the run, statistics per reader on stderr: requests,\n"
          "                   answers, time-outs, rejected answers, NAKs, readings, latency\n"
          "                   min/avg/p95/max, and the line's noise and port failures\n"
          "  --json           one JSON object per command (per reading for listen) instead of lines:\n"
          "                   {\"command\", \"esito\", \"values\": {NAME: VALUE}, \"risposta\": \"ACK\"|\"NAK\"};\n"
          "                   each byte of a value is the character of that code\n"
          "  --strict         exit 2 when the reader answered with a lone NAK, or with a lone ACK\n"
          "                   where data was asked for\n"
          "  --timeout MS     wait at most MS ms for an answer (default 5000)\n"
          "\n"
          "Each option may be given once.\n"
          "\n"
          "Commands (lettore help COMMAND shows the arguments and an example):\n";
    for (const CommandEntry* entry : CommandNames::all())
        text += "  " + CommandHelp::synopsis(*entry) + "\n      " + entry->summary + "\n";
    text += "\n"
            "A value the answer did not carry is \"N\" (\"E\" for outESISTE when the exchange failed).\n"
            "outst of CreaBadge: 0 added, 1 already listed, 2 list full. outESISTE: 1 listed, 0 not.\n"
            "A reader that answers with the refusal byte NAK alone gives esito 0 and the line\n"
            "\"risposta NAK\"; one that answers a query with ACK alone, \"risposta ACK\".\n"
            "\n"
            "InserisciBadge also prints \"inviati N\" (codes sent) and one \"stato S N\" line per\n"
            "status character S of the accepted answers (\"none\" for none); 2 is a full list,\n"
            "not an insertion. Ctrl-C stops it after the code being sent: the result so far is\n"
            "printed and the exit status is 130 (143 for SIGTERM, 129 for SIGHUP).\n"
            "  --quiet-gap MS   after a code times out, wait until the line has been quiet for\n"
            "                   MS ms (at most 5000 ms in all), so a late answer is not\n"
            "                   taken for the next code's;\n"
            "                   default 1500, 0 sends the next code at once\n"
            "\n"
            "Exit status:\n"
            "  reader commands, raw   the result code: 0 accepted, 1 time-out, 2 rejected (with\n"
            "                         --strict also a lone NAK, or a lone ACK where data was asked\n"
            "                         for), 4 invalid address, 5 link busy\n"
            "  InserisciBadge         the same; stopped by Ctrl-C, SIGTERM or SIGHUP: 130, 143, 129\n"
            "  scan                   0 a reader found, 1 none; stopped: 130, 143, 129\n"
            "  listen                 runs until stopped: 130, 143, 129\n"
            "  collaudo               0 every step passed and the reader was left as found, 1 not;\n"
            "                         stopped: 130, 143, 129 (the reader put back first)\n"
            "  enrol                  0 nothing differs, or every code read back; 1 otherwise;\n"
            "                         65 a list with problems, 66 one that cannot be read; stopped:\n"
            "                         130, 143, 129\n"
            "  transactions           0 the reader holds none left; the failed query's result code;\n"
            "                         74 also when the file cannot be written; stopped: 130, 143, 129\n"
            "  ports, help            0\n"
            "  every command          64 usage error; 74 the port cannot be opened or failed, or\n"
            "                         standard output, the trace file or the capture cannot be\n"
            "                         written\n";
    return text;
}

}  // namespace lettore
