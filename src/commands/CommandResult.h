#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lettore {

// What one command returned: its result code and its returned values in
// the operation's order, each under the name its caller shows.
struct CommandResult {
    struct Value {
        std::string name;
        std::string bytes;
        bool asHex = false;  // a whole frame, best shown as hex bytes
    };

    int16_t esito = 0;
    std::vector<Value> values;
    bool stopped = false;  // a range insertion ended early on a stop request
};

}  // namespace lettore
