#pragma once

#include "CommandTable.h"

#include <string>
#include <vector>

namespace lettore {

// Every command the command line knows, looked up as a user types it:
// the reader commands and the command line's own (listen, ports, scan,
// collaudo, help, enrol, transactions), names matched without regard to case.
class CommandNames {
public:
    // Reader commands in the table's order, then the command line's own.
    static const std::vector<const CommandEntry*>& all();
    // The command named `typed` in any mix of case, or nullptr.
    static const CommandEntry* find(const std::string& typed);
    // The known name nearest to `typed` when it is a likely misspelling
    // (a few letters added, dropped, changed or swapped), else "".
    static std::string suggestion(const std::string& typed);

    // The command line's own commands, which have no invoker.
    static const CommandEntry& ports();
    static const CommandEntry& scan();
    static const CommandEntry& collaudo();
    static const CommandEntry& help();
    static const CommandEntry& enrol();
    static const CommandEntry& transactions();
};

}  // namespace lettore
