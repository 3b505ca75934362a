#pragma once

#include "CommandResult.h"
#include "RangeInsertion.h"
#include "ReaderCommand.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lettore {

class clsComunicazioni;

// The arguments of one run of a command.
struct CommandRequest {
    int16_t term = 0;
    // Input arguments in the entry's order, already checked for their kind;
    // Bytes arguments already decoded.
    std::vector<std::string> args;
    bool ack = false;  // entries with takesAck: acknowledge what is read
    std::string dialect = "Sibrant2";  // entries with takesDialect
    // The range insertion's progress and stop request.
    RangeInsertion::Progress progress;
    RangeInsertion::StopRequested stopRequested;
};

// One command: its inputs in the operation's order, its own options, a
// one-line summary, and what runs it on the link: the reader command's
// description, or a function of its own.
struct CommandEntry {
    // What an input argument must be.
    enum class Kind {
        Text,  // anything, passed on unchanged
        Address,  // a reader address, 0..255
        BaudRate,  // one of the reader's baud rates (FieldCodec::baudRates)
        RangeBound,  // 0..RangeInsertion::MaxBound
        Bytes,  // text with \xHH escapes
    };
    struct Input {
        const char* name;
        Kind kind;
    };
    using Invoker = CommandResult (*)(clsComunicazioni& link, const CommandRequest& request);

    const char* name;
    std::vector<Input> inputs;
    bool takesAck = false;
    bool takesDialect = false;
    const char* summary = "";
    // Runs the entry; none runs `command` with the inputs as its arguments.
    Invoker invoke = nullptr;
    // The reader command the entry sends (each code of a range insertion
    // is a CreaBadge); none for a raw exchange.
    const ReaderCommand* command = nullptr;
    // A run of many exchanges that reports its progress and can be stopped
    // between two of them (CommandRequest::progress, stopRequested).
    bool longRun = false;

    CommandResult run(clsComunicazioni& link, const CommandRequest& request) const;
};

// Every reader command, the range insertion and the raw exchange.
class CommandTable {
public:
    static const std::vector<CommandEntry>& all();
    // The command with this exact name, or nullptr.
    static const CommandEntry* find(const std::string& name);
    // The link's dialects by name, for `raw`; an unknown one sends nothing
    // and returns Esito::InvalidArgument.
    static const std::vector<std::string>& dialects();
};

}  // namespace lettore
