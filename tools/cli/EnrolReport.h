#pragma once

#include "CodeList.h"
#include "CommandLine.h"
#include "ConnectionSettings.h"
#include "Enrolment.h"

#include <optional>
#include <ostream>
#include <string>

namespace lettore {

class ErrorWatcher;
class clsLettori;

// `lettore enrol FILE`: reads the list and reports its problems before the
// port is touched, then compares it with the reader (--dry-run) or writes
// it and reads it back, resuming from the journal beside FILE; shows the
// step on a terminal and stops between two exchanges at a request to end,
// the journal kept. Prints per-code lines and counts, or one JSON object.
class EnrolReport {
public:
    // Exit statuses of a list that cannot be enrolled (sysexits.h).
    static constexpr int ExitListProblems = 65;
    static constexpr int ExitListUnreadable = 66;

    EnrolReport(clsLettori& registry, const Invocation& invocation, const ConnectionSettings& stored, std::ostream& out,
                std::ostream& err);

    // Reads FILE. 0 when every line gave a code, else the exit status
    // after the problems were printed.
    int readList();
    // Compares or writes the list read. 0 when nothing differs (every
    // code read back), 1 when something does, CliSession::ExitPort after a
    // port failure, 128 + the signal when stopped.
    int run(const ErrorWatcher& errors);

private:
    int printed(const Enrolment::Report& report);
    int printedDryRun(const Enrolment::Report& report);

    clsLettori& m_registry;
    const Invocation& m_invocation;
    std::ostream& m_out;
    std::ostream& m_err;
    int16_t m_term = 0;
    std::string m_reader;  // the reader as the journal names it: "port 9 term 1"
    std::string m_file;
    std::optional<CodeList> m_list;
};

}  // namespace lettore
