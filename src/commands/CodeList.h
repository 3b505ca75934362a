#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lettore {

// A site's list of badge codes as a spreadsheet or an editor saves it: CSV
// (comma or semicolon), TSV or one code a line; UTF-8 with or without its
// byte-order mark, or UTF-16 with one; with or without a header line.
// Codes stay text: 1 to 10 digits, padded with leading zeros to ten, so
// "42" and "0000000042" are one card. A cell written ="0042" (the form
// that keeps a spreadsheet from dropping the zeros) is read as 0042.
//
// Every line that does not give exactly one new code is a problem, named
// with its line number; callers send nothing while any remain. Blank lines
// (and rows of empty cells) are skipped.
class CodeList {
public:
    enum class Problem {
        Malformed,  // no code, or not digits alone
        Overlong,  // more than ten digits
        Duplicate,  // the code of an earlier line, once padded
    };
    struct Entry {
        int line = 0;
        std::string code;  // ten digits
    };
    struct Issue {
        int line = 0;
        Problem problem = Problem::Malformed;
        std::string text;  // the cell as read, blanks trimmed
        int firstLine = 0;  // a duplicate's first line

        // One line of English naming the problem and the cell.
        std::string message() const;
    };

    std::vector<Entry> entries;  // in the file's order
    std::vector<Issue> issues;  // in line order
    int headerLine = 0;  // the header's line number, 0 when there is none
    std::size_t column = 0;  // the column that holds the codes, from 0

    std::vector<std::string> codes() const;

    // The list in the whole text of a file. The first line that is not
    // blank is a header when no cell of it holds a digit and one holds a
    // letter; its first cell naming a code ("Codice", "Badge", "Card",
    // "Tessera", "Matricola") picks the column, else the first one. The
    // separator is the first of tab, semicolon and comma found (outside
    // quotes) in that line; none: one code a line.
    static CodeList parse(std::string_view bytes);

    // The list in the file at `path`; nothing, and `error` says why, when it
    // cannot be read or holds more than MaxFileBytes.
    static std::optional<CodeList> load(const std::filesystem::path& path, std::string& error);
    static constexpr std::uintmax_t MaxFileBytes = std::uintmax_t{16} * 1024 * 1024;
};

}  // namespace lettore
