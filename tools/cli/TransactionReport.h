#pragma once

#include "CommandLine.h"
#include "ConnectionSettings.h"

#include <ostream>
#include <string>

namespace lettore {

class ErrorWatcher;
class clsLettori;

// `lettore transactions --out FILE`: downloads every stored transaction
// into FILE (TransactionFile), printing each record as it is stored, then
// the totals; with --json one object per record and one at the end. A
// request to end stops it between two records.
class TransactionReport {
public:
    TransactionReport(clsLettori& registry, const Invocation& invocation, const ConnectionSettings& stored,
                      std::ostream& out, std::ostream& err);

    // 0 once the reader has no record left; the failed exchange's result
    // code; CliSession::ExitPort after a port failure, ExitOutput when FILE
    // cannot be written; 128 + the signal when stopped.
    int run(const ErrorWatcher& errors);

private:
    clsLettori& m_registry;
    const Invocation& m_invocation;
    std::ostream& m_out;
    std::ostream& m_err;
    int16_t m_term = 0;
    std::string m_reader;
};

}  // namespace lettore
