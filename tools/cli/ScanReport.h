#pragma once

#include "CommandLine.h"

#include <functional>
#include <ostream>

namespace lettore {

class clsLettori;

// `lettore scan` on an open link: runs the scan, shows the address being
// polled on a terminal, tells the round trip of a connection to a device
// server (added to each poll's time limit), prints each reader as it is found ("trovato ADDR
// RATE VERSION", then "trovati N"; with --json one object at the end) and
// stops at a request to end, printing what it found, or once `outputFailed`
// says a file it writes failed.
class ScanReport {
public:
    ScanReport(clsLettori& registry, const Invocation& invocation, std::ostream& out, std::ostream& err,
               std::function<bool()> outputFailed);

    // 0 when a reader was found, 1 when none, 128 + the signal when stopped,
    // CliSession::ExitPort when the port failed (nothing printed then).
    int run();

private:
    clsLettori& m_registry;
    const Invocation& m_invocation;
    std::ostream& m_out;
    std::ostream& m_err;
    std::function<bool()> m_outputFailed;
};

}  // namespace lettore
