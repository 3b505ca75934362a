#pragma once

#include "CommandLine.h"
#include "ConnectionSettings.h"

#include <functional>
#include <ostream>

namespace lettore {

class Clock;
class ErrorWatcher;
class LinkEvents;
class PortNaming;
class TrafficCapture;
class clsLettori;

// One run of the command line on the process-wide registry: applies port,
// rate and terminal (from the command line, else the stored settings),
// opens the link, runs the command or listens, prints the result and gives
// the exit status.
class CliSession {
public:
    static constexpr int ExitUsage = 64;
    static constexpr int ExitPort = 74;
    // The result could not be written to standard output (an I/O error, as
    // for the port).
    static constexpr int ExitOutput = 74;
    // A range insertion stopped by a signal exits with 128 + its number.
    static constexpr int ExitSignalBase = 128;

    // registry: its link reaches the port through the opener it was made
    // with; clock: the one that link runs on.
    // naming: the device each port number reaches, for the messages.
    // trace: subscribed to the link for the run, when given.
    // outputFailed: whether a file the run writes (the trace) failed; a
    // long run then stops as soon as it can, and the caller tells why.
    // traffic: the port's decoded rows, for collaudo's reports.
    CliSession(clsLettori& registry, Clock& clock, const Invocation& invocation, const ConnectionSettings& stored,
               const PortNaming& naming, std::ostream& out, std::ostream& err, LinkEvents* trace = nullptr,
               std::function<bool()> outputFailed = {}, TrafficCapture* traffic = nullptr);

    int run();

private:
    int runCommand(const ErrorWatcher& errors);
    int listen();
    int portFailure(const std::string& text);
    // "port N (DEVICE)", the device that number reaches.
    std::string portName(int16_t number) const;
    // When no --port was given: which port the stored settings or the
    // default chose, and how to choose another; `lead` opens the line.
    void hintPortChoice(const std::string& lead);

    clsLettori& m_registry;
    Clock& m_clock;
    const Invocation& m_invocation;
    const ConnectionSettings& m_stored;
    const PortNaming& m_naming;
    std::ostream& m_out;
    std::ostream& m_err;
    LinkEvents* m_trace;
    std::function<bool()> m_outputFailed;
    TrafficCapture* m_traffic;
};

}  // namespace lettore
