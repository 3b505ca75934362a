#pragma once

#include "DurableFile.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace lettore {

// What an enrolment has done so far, kept beside its list so that a run
// stopped or killed resumes where it stopped: one line per answered
// exchange, the step, the code, the result code and the status character. Lines reach
// the file as they are written (no wait for the disk: a journal lost with
// the machine only makes the next run start afresh, which is harmless, as
// adding a listed code is). The first line names what the journal is for;
// a journal of another list or reader is started afresh.
class EnrolmentJournal {
public:
    enum class Step : char { Scan = 'S', Remove = 'R', Add = 'A', Verify = 'V' };
    struct Outcome {
        int16_t esito = 0;
        std::string status;
    };

    // LIST's journal: LIST.journal beside it.
    static std::filesystem::path pathFor(const std::filesystem::path& list);
    // What a journal is for: the codes (in order) and the reader, named by
    // the caller ("port 9 term 1").
    static std::string identity(const std::vector<std::string>& codes, const std::string& reader);

    // Opens the journal at `path` for `identity`, taking back the steps an
    // earlier run recorded there for the same identity. False, with
    // error(), when it cannot be written.
    bool open(const std::filesystem::path& path, const std::string& identity);

    // A step recorded earlier, or nullptr.
    const Outcome* recorded(Step step, const std::string& code) const;
    // How many steps were taken back at open().
    std::size_t resumed() const { return m_resumed; }

    // Adds a step; false when it could not be written (a resumed run then
    // does it again).
    bool record(Step step, const std::string& code, const Outcome& outcome);
    // `code` is being added or removed again: a check recorded before no
    // longer holds. On open, a line adding or removing a code does the same
    // to the checks above it.
    void forgetCheck(const std::string& code);
    // The run is over: the journal goes.
    void remove();

    const std::string& error() const { return m_file.error(); }

private:
    std::filesystem::path m_path;
    DurableFile m_file;
    std::map<std::pair<char, std::string>, Outcome> m_steps;
    std::size_t m_resumed = 0;
};

}  // namespace lettore
