#pragma once

#include "CommandTable.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace lettore {

// A command line that cannot be run; the text is a one-line message.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One parsed command line. Settings not given stay empty and are taken from
// Seriale.cfg or the defaults.
struct Invocation {
    bool help = false;
    std::optional<int16_t> portNumber;
    std::string device;  // a device path given instead of a port number
    std::optional<std::string> baud;
    std::optional<int16_t> term;
    bool trace = false;
    std::string traceFile;  // --trace-file: the trace written there too

    const CommandEntry* command = nullptr;
    bool listen = false;  // the command is `listen`, which has no invoker
    // Input arguments in the operation's order, checked for their kind;
    // Bytes arguments already decoded.
    std::vector<std::string> args;
    bool ack = false;
    std::string dialect = "Sibrant2";
    // InserisciBadge: the quiet gap after a time-out; empty: the default.
    std::optional<uint32_t> quietGapMs;
};

// Parses `lettore [OPTIONS] COMMAND [ARGS...]`. Options may stand anywhere,
// as "--name VALUE" or "--name=VALUE"; "--" ends them.
class CommandLine {
public:
    // `args` without the program name. Throws UsageError.
    static Invocation parse(const std::vector<std::string>& args);

    static std::string helpText();

    // Listening for readings: the command line's own command, a session
    // that runs until stopped rather than one exchange.
    static const CommandEntry& listenEntry();

    // A whole decimal integer within [low, high], nothing otherwise.
    static std::optional<int> integer(const std::string& text, int low, int high);
};

}  // namespace lettore
