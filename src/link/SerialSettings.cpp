#include "SerialSettings.h"

#include <array>
#include <charconv>
#include <utility>
#include <vector>

namespace lettore {

namespace {

std::string_view trimmed(std::string_view s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::vector<std::string_view> fields(std::string_view s)
{
    std::vector<std::string_view> out;
    for (;;) {
        const auto comma = s.find(',');
        out.push_back(trimmed(s.substr(0, comma)));
        if (comma == std::string_view::npos)
            return out;
        s.remove_prefix(comma + 1);
    }
}

using Parity = SerialSettings::Parity;
using StopBits = SerialSettings::StopBits;

// Each value with its spelling in the text; parity letters are upper case
// there and read in either case.
constexpr std::array<std::pair<char, Parity>, 5> Parities{{
    {'N', Parity::None},
    {'E', Parity::Even},
    {'O', Parity::Odd},
    {'M', Parity::Mark},
    {'S', Parity::Space},
}};
constexpr std::array<std::pair<std::string_view, int>, 4> DataBits{{
    {"5", 5},
    {"6", 6},
    {"7", 7},
    {"8", 8},
}};
constexpr std::array<std::pair<std::string_view, StopBits>, 3> StopBitsNames{{
    {"1", StopBits::One},
    {"1.5", StopBits::OneAndHalf},
    {"2", StopBits::Two},
}};

template <typename Key, typename Value, size_t N>
std::optional<Value> valueOf(const std::array<std::pair<Key, Value>, N>& table, Key key)
{
    for (const auto& [name, value] : table)
        if (name == key)
            return value;
    return std::nullopt;
}

template <typename Key, typename Value, size_t N>
Key nameOf(const std::array<std::pair<Key, Value>, N>& table, Value value)
{
    for (const auto& [name, v] : table)
        if (v == value)
            return name;
    return table.front().first;
}

}  // namespace

std::optional<SerialSettings> SerialSettings::parse(std::string_view text)
{
    const std::vector<std::string_view> f = fields(text);
    if (f.size() != 4 || f[1].size() != 1)
        return std::nullopt;

    SerialSettings out;
    const char* baudEnd = f[0].data() + f[0].size();
    const auto [end, error] = std::from_chars(f[0].data(), baudEnd, out.baudRate);
    if (f[0].empty() || error != std::errc() || end != baudEnd || out.baudRate <= 0)
        return std::nullopt;

    // Upper case by hand: the locale's rules may map other bytes to a letter.
    const char letter = f[1][0] >= 'a' && f[1][0] <= 'z' ? static_cast<char>(f[1][0] - 'a' + 'A') : f[1][0];
    const auto parity = valueOf(Parities, letter);
    const auto dataBits = valueOf(DataBits, f[2]);
    const auto stopBits = valueOf(StopBitsNames, f[3]);
    if (!parity || !dataBits || !stopBits)
        return std::nullopt;
    out.parity = *parity;
    out.dataBits = *dataBits;
    out.stopBits = *stopBits;
    return out;
}

std::string SerialSettings::text() const { return std::to_string(baudRate) + framingText(); }

std::string SerialSettings::readersLine(const std::string& baudRate)
{
    return baudRate + SerialSettings{}.framingText();
}

std::string SerialSettings::framingText() const
{
    return std::string{',', nameOf(Parities, parity), ','} + std::to_string(dataBits) + ','
           + std::string(nameOf(StopBitsNames, stopBits));
}

}  // namespace lettore
