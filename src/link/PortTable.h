#pragma once

#include "NetworkAddress.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lettore {

// The network ports, by number: the file PortTable::FileName beside
// Seriale.cfg, one "NUMBER = ADDRESS" a line, e.g.
//
//     # device server in the wiring closet, port 1
//     9 = rfc2217://192.168.1.50:2001
//
// Blank lines and lines starting with # are skipped; blanks around both
// fields are allowed. A number in the table reaches its address instead of
// a device. A line that is not of that form, a number outside -32768..32767
// or one given twice is a problem, told with its line number and otherwise
// ignored (a number given twice keeps its first address).
class PortTable {
public:
    static constexpr const char* FileName = "PorteRete.cfg";

    static PortTable parse(std::string_view text);
    // The table in `file`; an empty table when there is no such file, and
    // a problem when it is there but cannot be read.
    static PortTable load(const std::filesystem::path& file);

    std::optional<NetworkAddress> address(int16_t number) const;
    const std::map<int16_t, NetworkAddress>& entries() const { return m_entries; }
    const std::vector<std::string>& problems() const { return m_problems; }

private:
    std::map<int16_t, NetworkAddress> m_entries;
    std::vector<std::string> m_problems;
};

}  // namespace lettore
