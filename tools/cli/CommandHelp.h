#pragma once

#include "CommandTable.h"

#include <string>

namespace lettore {

// What `lettore help COMMAND` and a usage error show of one command.
class CommandHelp {
public:
    // The command with its arguments and its own options:
    // "CreaBadge CODE", "raw TYPE DATA [--dialect Sibrant2|...]".
    static std::string synopsis(const CommandEntry& entry);
    // "Usage: lettore [OPTIONS] " and the synopsis, one line.
    static std::string usageLine(const CommandEntry& entry);
    // The usage line, the summary, each argument's format and an example.
    static std::string text(const CommandEntry& entry);
};

}  // namespace lettore
