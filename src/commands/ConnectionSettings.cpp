#include "ConnectionSettings.h"

#include "NumberText.h"

#include <fstream>
#include <optional>
#include <vector>

namespace lettore {

namespace {

std::vector<std::string> lines(const std::string& contents)
{
    std::vector<std::string> out;
    std::string line;
    for (size_t i = 0; i < contents.size(); ++i) {
        const char c = contents[i];
        if (c == '\r' || c == '\n') {
            out.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < contents.size() && contents[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty())
        out.push_back(line);
    return out;
}

// The field that leads a line: up to a comma, blanks around it dropped.
std::string leadingField(const std::string& line)
{
    const std::string field = line.substr(0, line.find(','));
    const size_t first = field.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return field.substr(first, field.find_last_not_of(' ') - first + 1);
}

// A numeric field: the number that leads it up to a blank (a field that
// starts with no number reads as 0), rounded half to even; nothing when it
// falls outside the 16-bit range, one too large to read at all included.
std::optional<int16_t> numericField(const std::string& line)
{
    const std::string field = leadingField(line);
    return NumberText::leadingInt16(std::string_view(field).substr(0, field.find(' ')));
}

std::string numberLine(int16_t value) { return (value < 0 ? "" : " ") + std::to_string(value) + " "; }

}  // namespace

ConnectionSettings ConnectionSettings::parse(const std::string& contents)
{
    ConnectionSettings settings;
    const std::vector<std::string> fileLines = lines(contents);
    if (fileLines.size() > 0)
        settings.NSeriale = numericField(fileLines[0]).value_or(settings.NSeriale);
    if (fileLines.size() > 1)
        settings.Velocita = leadingField(fileLines[1]);
    if (fileLines.size() > 2)
        settings.Terminale = numericField(fileLines[2]).value_or(settings.Terminale);
    return settings;
}

ConnectionSettings ConnectionSettings::load(const std::filesystem::path& file, FileState* state)
{
    FileState found = FileState::Unreadable;
    ConnectionSettings settings;
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::status(file, error).type();
    if (type == std::filesystem::file_type::not_found) {
        found = FileState::Missing;
    } else if (type == std::filesystem::file_type::regular) {
        std::ifstream in(file, std::ios::binary);
        std::string contents(MaxFileBytes, '\0');
        in.read(contents.data(), static_cast<std::streamsize>(contents.size()));
        contents.resize(static_cast<size_t>(in.gcount()));
        if (in.is_open() && !in.bad()) {
            found = FileState::Read;
            // A file that goes on past the limit: its last line read may be cut.
            if (contents.size() == MaxFileBytes && in.peek() != std::ifstream::traits_type::eof())
                contents.erase(contents.find_last_of("\r\n") + 1);
            settings = parse(contents);
        }
    }
    if (state)
        *state = found;
    return settings;
}

std::string ConnectionSettings::text() const
{
    return numberLine(NSeriale) + "\r\n" + Velocita + "\r\n" + numberLine(Terminale) + "\r\n";
}

}  // namespace lettore
