#pragma once

#include "DurableFile.h"
#include "TransactionDownload.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace lettore {

// Transactions appended to a CSV file (Csv: a spreadsheet opens it with
// the codes as text), one record a row under the header
// "reader,downloaded,status,code,repeated"; repeated is "yes" for a record
// the reader sent again because its confirmation never reached it.
//
// Each record's row is appended and put on the disk before the reader is
// told to drop it. So that a record stored but not confirmed when the run
// was killed is marked as a repeat when it comes again, and not taken for a
// new one, a note in FILE's folder, lettore-unconfirmed-READER (READER the
// reader's name, "port 9 term 1", its blanks and slashes as dashes),
// names it, with the file it went to, that file's size before it and its
// row, from just before the row is written until the reader has been told.
// The next run for that reader into any file of the folder marks the
// record it reads first as repeated when it is the one named there and its
// row did reach that file.
class TransactionFile : public TransactionSink {
public:
    static const std::string& header();
    static std::filesystem::path unconfirmedPath(const std::filesystem::path& file, const std::string& readerName);
    // The rows below the header of a transactions file; nothing when it
    // cannot be read or is not one.
    static std::optional<std::size_t> countRecords(const std::filesystem::path& file);

    // Opens `file` for the records of the reader named `readerName`: made
    // with the header when missing or empty, refused when its first line is
    // not the header (another file, or one a spreadsheet saved over).
    // False, with error().
    bool open(const std::filesystem::path& file, const std::string& readerName);

    bool append(TransactionRecord& record) override;
    bool flush() override;
    void confirmed() override;
    void drained() override;
    std::string error() const override { return m_error; }

private:
    void forgetUnconfirmed();

    std::filesystem::path m_path;
    std::filesystem::path m_unconfirmed;
    DurableFile m_file;
    // What the first record read must be to be a repeat.
    std::optional<std::string> m_expected;
    std::string m_error;
};

}  // namespace lettore
