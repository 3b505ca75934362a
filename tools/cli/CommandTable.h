#pragma once

#include <string>
#include <vector>

namespace lettore {

// What the command line accepts for one command: its input arguments in
// the operation's order, the out-parameters it prints in that order, and
// its own options.
struct CommandEntry {
    // How an input argument is checked and carried.
    enum class Kind {
        Text,        // passed on unchanged
        Int16,       // -32768..32767
        Address,     // 0..255
        RangeBound,  // 0..32767, a bound of the range insertion
        Bytes,       // \xHH escapes decoded
    };
    struct Input {
        const char* name;
        Kind kind;
    };

    const char* name;
    std::vector<Input> inputs;
    std::vector<const char*> outputs;
    bool takesAck = false;
    bool takesDialect = false;
    const char* summary = "";
};

class CommandTable {
public:
    static const std::vector<CommandEntry>& all();
    // The command with this exact name, or nullptr.
    static const CommandEntry* find(const std::string& name);
};

}  // namespace lettore
