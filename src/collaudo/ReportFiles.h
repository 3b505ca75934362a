#pragma once

#include "HtmlReport.h"
#include "TestRecord.h"

#include <filesystem>
#include <string>
#include <vector>

namespace lettore {

// Writes a run's reports into a folder, made when missing: for each reader
// collaudo-ADDR-STAMP.html, .xml (JUnit) and .json, STAMP the run's UTC
// start (20261207T044357Z), so runs never overwrite each other; for a run
// over many readers also collaudo-STAMP-riepilogo.html. Each file is
// written whole under a temporary name and then renamed, so that a failed
// write never leaves half a report.
class ReportFiles {
public:
    explicit ReportFiles(std::filesystem::path folder) : m_folder(std::move(folder)) { }

    // The three files of one reader; "" when written (`written` gets their
    // paths, HTML first), else why not.
    std::string write(const RunInfo& run, const ReaderRecord& record,
                      std::vector<std::filesystem::path>& written) const;
    // The summary page of many readers; "" or why not.
    std::string writeSummary(const RunInfo& run, const std::string& start, const std::string& end,
                             const std::vector<HtmlReport::Line>& readers, std::filesystem::path& written) const;

    // The base name of a reader's files: collaudo-001-20261207T044357Z.
    static std::string baseName(const ReaderRecord& record);

private:
    std::string put(const std::string& name, const std::string& text,
                    std::vector<std::filesystem::path>& written) const;

    std::filesystem::path m_folder;
};

}  // namespace lettore
