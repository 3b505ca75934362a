#pragma once

#include "CommandTable.h"

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace lettore {

// What a user may give a command and its options, checked in one place for
// every front end (the command line, the virtual reader, a test plan). Each
// check gives "" for what it accepts, else a one-line refusal that names
// what is allowed and quotes what was given.
class ArgumentChecks {
public:
    // `name` must be a whole decimal number from low to high.
    static std::string integer(std::string_view name, std::string_view text, long long low, long long high);
    // `name` must be one of the six rates a reader can be set to.
    static std::string baudRate(std::string_view name, std::string_view text);
    // One input of a command, by its kind.
    static std::string argument(const CommandEntry::Input& input, std::string_view text);
    // A command's inputs as a whole: how many, each one, and how they stand
    // together (a range ends no lower than it starts).
    static std::string arguments(const CommandEntry& entry, const std::vector<std::string>& texts);
    // `entry` sent to terminal `term`: a query to every reader at once
    // (256), which none answers, is refused: it could only come back empty.
    static std::string terminal(const CommandEntry& entry, int term);
    // `option` given once more: refused, rather than the last value
    // silently winning. `given` holds the options seen so far.
    static std::string repeated(std::string_view option, std::set<std::string, std::less<>>& given);

    // What a user gave, quoted for a one-line message: bytes outside
    // printable ASCII as \xHH, and only the first MaxQuoted bytes of a
    // longer text, so that a line pasted by mistake is not printed back.
    static std::string quoted(std::string_view text);
    static constexpr std::size_t MaxQuoted = 40;
};

}  // namespace lettore
