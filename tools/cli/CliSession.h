#pragma once

#include "CommandLine.h"
#include "ConnectionSettings.h"

#include <ostream>

namespace lettore {

class clsLettori;

// One run of the command line on the process-wide registry: applies port,
// rate and terminal (from the command line, else the stored settings),
// opens the link, runs the command or listens, prints the result and gives
// the exit status.
class CliSession {
public:
    static constexpr int ExitUsage = 64;
    static constexpr int ExitPort = 74;

    CliSession(clsLettori& registry, const Invocation& invocation, const ConnectionSettings& stored,
               std::ostream& out, std::ostream& err);

    int run();

private:
    int runCommand();
    int listen();
    int portFailure(const std::string& text);

    clsLettori& m_registry;
    const Invocation& m_invocation;
    const ConnectionSettings& m_stored;
    std::ostream& m_out;
    std::ostream& m_err;
};

}  // namespace lettore
