#pragma once

#include "TestRecord.h"

#include <string>

namespace lettore {

// The run as JUnit XML, for a CI: one test suite for the reader, with the
// run's facts as properties, one test case per step (failed, skipped or
// not run as JUnit says so) and one per change put back, each case's
// exchanges and their traffic in its output. Bytes of the line are
// written as \xHH, which any XML parser takes.
class JunitReport {
public:
    static std::string document(const RunInfo& run, const ReaderRecord& record);
};

}  // namespace lettore
