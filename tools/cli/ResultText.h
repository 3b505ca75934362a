#pragma once

#include "CommandResult.h"

#include <string>

namespace lettore {

// A command's result as the command line prints it.
class ResultText {
public:
    // "esito N", then one "NAME VALUE" line per value: bytes outside
    // printable ASCII escaped (ByteText::escape), or hex for a whole frame.
    static std::string format(const CommandResult& result);
};

}  // namespace lettore
