#pragma once

#include "CommandLine.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lettore {

class clsLettori;

// What one command returned: its result code and its out-parameters in the
// operation's order.
struct CommandResult {
    struct Value {
        std::string name;
        std::string bytes;
        bool asHex = false;  // printed as hex bytes rather than escaped text
    };

    int16_t esito = 0;
    std::vector<Value> values;

    // "esito N", then one "NAME VALUE" line per value.
    std::string text() const;
};

// Runs one command of the command line on the registry's command set, or,
// for `raw`, on one of the link's dialect routines.
class CommandRunner {
public:
    // progress: called after each code of a range insertion with its line.
    CommandRunner(clsLettori& registry, int16_t term,
                  std::function<void(const std::string&)> progress = {});

    // Every command but `listen`.
    CommandResult run(const Invocation& invocation);

    // The console's badge code for a number: ten digits, leading zeros.
    static std::string badgeCode(int number);

private:
    CommandResult insertRange(int first, int last);
    CommandResult raw(const std::string& dialect, const std::string& type, const std::string& data);

    clsLettori& m_registry;
    int16_t m_term = 0;
    std::function<void(const std::string&)> m_progress;
};

}  // namespace lettore
