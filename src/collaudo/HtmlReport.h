#pragma once

#include "TestRecord.h"

#include <string>
#include <vector>

namespace lettore {

// The report a customer reads and signs: one self-contained HTML page (its
// styles inline, no image, script or link to anything outside it), laid
// out for the screen and for A4 paper. The summary, the steps, the changes
// put back and the signature lines come first; every exchange in hex and
// decoded, and the whole run's traffic, follow on pages of their own.
class HtmlReport {
public:
    static std::string page(const RunInfo& run, const ReaderRecord& record);

    // One reader of a run over many, for the summary page.
    struct Line {
        ReaderIdentity reader;
        bool passed = false;
        std::string verdict;  // in words
        std::string file;  // its report, relative to the summary
    };
    // The summary page of a run over many readers: one line each, with a
    // link to its report in the same folder.
    static std::string summary(const RunInfo& run, const std::string& start, const std::string& end,
                               const std::vector<Line>& readers);

    // The run's verdict in words: "SUPERATO", "NON SUPERATO", "INTERROTTO".
    static std::string verdict(const ReaderRecord& record);
};

}  // namespace lettore
