#pragma once

#include "CodeRange.h"
#include "CommandTable.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace lettore {

// A command line that cannot be run; the text is a one-line message.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message, std::string usage = {})
        : std::runtime_error(message), m_usage(std::move(usage))
    { }
    // The usage line of the command the error is about, "" when none is.
    const std::string& usage() const { return m_usage; }

private:
    std::string m_usage;
};

// One parsed command line. Settings not given stay empty and are taken from
// Seriale.cfg or the defaults.
struct Invocation {
    bool help = false;
    bool version = false;
    // `help COMMAND`: the command asked about.
    const CommandEntry* helpTopic = nullptr;
    std::optional<int16_t> portNumber;
    std::string device;  // a device path given instead of a port number
    std::optional<std::string> baud;
    std::optional<int16_t> term;
    bool trace = false;
    bool json = false;  // one JSON object per command, per reading in listen
    bool strict = false;  // a lone NAK, or a lone ACK where data was asked for, exits 2
    std::optional<uint32_t> timeoutMs;  // the link's answer time limit
    // scan: the addresses polled and the rates tried, in order.
    int scanFrom = 0;
    int scanTo = 255;
    std::vector<std::string> scanRates;
    std::string traceFile;  // --trace-file: the trace written there too
    std::string captureFile;  // --capture: the traffic as a pcapng capture
    bool stats = false;  // --stats: statistics per reader on stderr at the end

    const CommandEntry* command = nullptr;
    bool listen = false;  // the command is `listen`, which has no invoker
    // Input arguments in the operation's order, checked for their kind;
    // Bytes arguments already decoded.
    std::vector<std::string> args;
    bool ack = false;
    std::string dialect = "Sibrant2";
    // InserisciBadge: the quiet gap after a time-out; empty: the default.
    std::optional<uint32_t> quietGapMs;

    // collaudo: the readers a scan of these addresses finds instead of
    // --term, the plan file ("" the one built in), where the reports go,
    // who runs it, whether the reader is alone on the line (its rate may be
    // changed) and whether an operator presents a badge.
    std::optional<std::pair<int, int>> collaudoScan;
    std::string planFile;
    std::string reportFolder = ".";
    std::optional<std::string> operatorName;
    bool alone = false;
    bool badge = false;
    // enrol: compare only; remove the codes of `range` not in the list.
    bool dryRun = false;
    bool removeOthers = false;
    std::optional<CodeRange> range;
    std::string out;  // transactions: the CSV file the records are appended to
};

// Parses `lettore [OPTIONS] COMMAND [ARGS...]`. Options may stand anywhere,
// as "--name VALUE" or "--name=VALUE"; "--" ends them.
class CommandLine {
public:
    // `args` without the program name. Throws UsageError.
    static Invocation parse(const std::vector<std::string>& args);

    // The checks that need the stored settings: a query may not go to the
    // terminal Seriale.cfg gives, or --term gives, when that is every
    // reader at once. Throws UsageError.
    static void checkTerminal(const Invocation& invocation, int16_t storedTerminal);

    static std::string helpText();

    // Listening for readings: the command line's own command, a session
    // that runs until stopped rather than one exchange.
    static const CommandEntry& listenEntry();

    // The longest answer time limit --timeout takes: a minute.
    static constexpr int MaxTimeoutMs = 60000;

private:
    // "A..B", two addresses from 0 to 255, A no higher than B.
    static std::pair<int, int> addressRange(const std::string& text);
    // The options of collaudo, and how they stand together.
    static void checkCollaudo(const Invocation& inv, const std::string& collaudoOption);
    // The checks that depend on the command: its options and arguments.
    static void checkCommand(Invocation& inv, const std::vector<std::string>& positional,
                             const std::string& scanOption);
    // The options of enrol and transactions.
    static void checkFileCommands(const Invocation& inv);
};

}  // namespace lettore
