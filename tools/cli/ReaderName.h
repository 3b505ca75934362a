#pragma once

#include "CommandLine.h"
#include "ConnectionSettings.h"

#include <string>

namespace lettore {

// The reader a run talks to, named as the user chose its line: "port 9
// term 1", or the device path given with --port and the terminal. A
// resumed enrolment finds its journal, and a download the record it left
// unconfirmed, by this name.
class ReaderName {
public:
    static std::string of(const Invocation& invocation, const ConnectionSettings& stored)
    {
        const std::string line = invocation.device.empty()
                                     ? "port " + std::to_string(invocation.portNumber.value_or(stored.NSeriale))
                                     : invocation.device;
        return line + " term " + std::to_string(invocation.term.value_or(stored.Terminale));
    }
};

}  // namespace lettore
