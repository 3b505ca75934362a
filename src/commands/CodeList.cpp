#include "CodeList.h"

#include "BadgeCode.h"
#include "ByteText.h"
#include "Csv.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>

namespace lettore {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80; }

// The text as single bytes: a UTF-8 byte-order mark dropped; UTF-16 (with
// its mark, as spreadsheets save "Unicode text") taken a character at a
// time, those beyond ASCII, never part of a code, as '?'.
std::string decoded(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return std::string(bytes.substr(3));
    const bool little = bytes.starts_with("\xFF\xFE");
    if (!little && !bytes.starts_with("\xFE\xFF"))
        return std::string(bytes);
    std::string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto low = static_cast<unsigned char>(bytes[little ? i : i + 1]);
        const auto high = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
        text += high == 0 && low < 0x80 ? static_cast<char>(low) : '?';
    }
    return text;
}

// Lines ended by CR LF, LF or CR alone.
std::vector<std::string_view> lines(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        out.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        out.push_back(text.substr(start));
    return out;
}

char separatorOf(std::string_view line)
{
    for (const char candidate : {'\t', ';', ','}) {
        bool inQuotes = false;
        for (const char c : line) {
            if (c == '"')
                inQuotes = !inQuotes;
            else if (c == candidate && !inQuotes)
                return candidate;
        }
    }
    return '\0';
}

std::string trimmed(const std::string& cell)
{
    const std::size_t first = cell.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return cell.substr(first, cell.find_last_not_of(" \t") - first + 1);
}

bool blank(const std::vector<std::string>& cells)
{
    return std::all_of(cells.begin(), cells.end(), [](const std::string& c) { return trimmed(c).empty(); });
}

bool isHeader(const std::vector<std::string>& cells)
{
    const auto any = [&](bool (*test)(char)) {
        return std::any_of(cells.begin(), cells.end(),
                           [&](const std::string& cell) { return std::any_of(cell.begin(), cell.end(), test); });
    };
    return !any(isDigit) && any(isLetter);
}

std::size_t codeColumn(const std::vector<std::string>& header)
{
    for (std::size_t i = 0; i < header.size(); ++i) {
        std::string name = header[i];
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        for (const char* word : {"codic", "code", "badge", "card", "tessera", "matricola"})
            if (name.find(word) != std::string::npos)
                return i;
    }
    return 0;
}

// A cell written ="0042" by a spreadsheet-safe export.
std::string unwrapped(const std::string& cell)
{
    if (cell.size() >= 3 && cell.starts_with("=\"") && cell.ends_with('"'))
        return cell.substr(2, cell.size() - 3);
    return cell;
}

// Forms a spreadsheet gives a number it took a code for: 4.2E+10, 42.0.
bool looksReformatted(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), isDigit) && std::all_of(text.begin(), text.end(), [](char c) {
               return isDigit(c) || std::string_view(".,Ee+-").find(c) != std::string_view::npos;
           });
}

}  // namespace

std::string CodeList::Issue::message() const
{
    const std::string shown = "\"" + ByteText::escape(text) + "\"";
    switch (problem) {
    case Problem::Malformed:
        if (text.empty())
            return "no badge code";
        return "not a badge code (1 to 10 digits): " + shown
               + (looksReformatted(text) ? "; a spreadsheet made it a number: format the column as text" : "");
    case Problem::Overlong: return "badge code longer than 10 digits: " + shown;
    case Problem::Duplicate:
        return "badge code " + BadgeCode::padded(text) + " (" + shown + ") is already on line "
               + std::to_string(firstLine);
    }
    return {};
}

std::vector<std::string> CodeList::codes() const
{
    std::vector<std::string> out;
    out.reserve(entries.size());
    for (const Entry& entry : entries)
        out.push_back(entry.code);
    return out;
}

CodeList CodeList::parse(std::string_view bytes)
{
    CodeList list;
    const std::string text = decoded(bytes);
    const std::vector<std::string_view> all = lines(text);
    const auto firstFilled = std::find_if(all.begin(), all.end(), [](std::string_view line) {
        return line.find_first_not_of(" \t,;") != std::string_view::npos;
    });
    const char separator = firstFilled == all.end() ? '\0' : separatorOf(*firstFilled);
    std::map<std::string, int> seen;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const int line = static_cast<int>(i + 1);
        const std::vector<std::string> cells = Csv::split(all[i], separator);
        if (blank(cells))
            continue;
        if (list.headerLine == 0 && list.entries.empty() && list.issues.empty() && isHeader(cells)) {
            list.headerLine = line;
            list.column = codeColumn(cells);
            continue;
        }
        const std::string cell = unwrapped(trimmed(list.column < cells.size() ? cells[list.column] : ""));
        const bool digits = !cell.empty() && std::all_of(cell.begin(), cell.end(), isDigit);
        if (!digits) {
            list.issues.push_back({line, Problem::Malformed, cell});
        } else if (cell.size() > BadgeCode::Length) {
            list.issues.push_back({line, Problem::Overlong, cell});
        } else {
            const std::string code = BadgeCode::padded(cell);
            const auto [first, added] = seen.emplace(code, line);
            if (added)
                list.entries.push_back({line, code});
            else
                list.issues.push_back({line, Problem::Duplicate, cell, first->second});
        }
    }
    return list;
}

std::optional<CodeList> CodeList::load(const std::filesystem::path& path, std::string& error)
{
    std::error_code failure;
    const std::uintmax_t size = std::filesystem::file_size(path, failure);
    if (failure) {
        error = failure.message();
        return std::nullopt;
    }
    if (size > MaxFileBytes) {
        error = "larger than " + std::to_string(MaxFileBytes / (std::uintmax_t{1024} * 1024))
                + " MB, not a list of badge codes";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::generic_category().message(errno);
        return std::nullopt;
    }
    return parse(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
}

}  // namespace lettore
