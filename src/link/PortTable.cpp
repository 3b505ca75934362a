#include "PortTable.h"

#include "NumberText.h"

#include <fstream>
#include <sstream>

namespace lettore {

namespace {

std::string_view trimmed(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

PortTable PortTable::parse(std::string_view text)
{
    PortTable table;
    int lineNumber = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (line.empty() || line.front() == '#')
            continue;
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        const auto equals = line.find('=');
        const std::string numberText(trimmed(line.substr(0, equals)));
        const std::string_view addressText = equals == std::string_view::npos ? "" : trimmed(line.substr(equals + 1));
        const auto number = numberText.find_first_not_of("+-0123456789") == std::string::npos
                                ? NumberText::whole(numberText, -32768, 32767)
                                : std::nullopt;
        const auto address = NetworkAddress::parse(addressText);
        if (equals == std::string_view::npos || !number || !address) {
            table.m_problems.push_back(where + "not NUMBER = tcp://HOST:PORT or rfc2217://HOST:PORT");
            continue;
        }
        if (!table.m_entries.emplace(static_cast<int16_t>(*number), *address).second)
            table.m_problems.push_back(where + "port " + numberText + " is given twice; the first address stays");
    }
    return table;
}

PortTable PortTable::load(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, error)))
        return {};
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    if (in && std::filesystem::is_regular_file(file, error))
        text << in.rdbuf();
    if (!in || in.bad() || !std::filesystem::is_regular_file(file, error)) {
        PortTable table;
        table.m_problems.push_back("cannot be read");
        return table;
    }
    return parse(text.str());
}

std::optional<NetworkAddress> PortTable::address(int16_t number) const
{
    const auto it = m_entries.find(number);
    if (it == m_entries.end())
        return std::nullopt;
    return it->second;
}

}  // namespace lettore
