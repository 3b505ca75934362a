#pragma once

#include "TestRecord.h"

#include <string>

namespace lettore {

// The run as one JSON object, for programs: the run's facts, the reader,
// each step with its exchanges (request and answer rows in hex and
// decoded, latency, fields), the changes put back, and the traffic of the
// whole run. Bytes of the line are written as text with \xHH escapes
// ("text") beside their hex ("hex").
class JsonReport {
public:
    static std::string document(const RunInfo& run, const ReaderRecord& record);
};

}  // namespace lettore
