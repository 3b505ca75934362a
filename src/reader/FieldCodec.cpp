#include "FieldCodec.h"

#include <array>
#include <utility>

namespace lettore {

std::string FieldCodec::addressCharacters(int value)
{
    const auto b = static_cast<uint8_t>(value);
    return {static_cast<char>('0' + b / 16), static_cast<char>('0' + b % 16)};
}

std::string FieldCodec::threeDigitField(const std::string& text)
{
    const std::string padded = "000" + text;
    return padded.substr(padded.size() - 3);
}

namespace {

constexpr std::array<std::pair<const char*, char>, 6> BaudCodes{{
    {"1200", '0'},
    {"2400", '1'},
    {"4800", '2'},
    {"9600", '3'},
    {"19200", '4'},
    {"38400", '5'},
}};

}  // namespace

std::optional<char> FieldCodec::baudCode(const std::string& baudRate)
{
    for (const auto& [text, code] : BaudCodes)
        if (baudRate == text)
            return code;
    return std::nullopt;
}

std::vector<std::string> FieldCodec::baudRates()
{
    std::vector<std::string> rates;
    for (const auto& entry : BaudCodes)
        rates.emplace_back(entry.first);
    return rates;
}

std::string FieldCodec::field(const std::string& text, size_t position, size_t length)
{
    if (position == 0 || position > text.size())
        return {};
    return text.substr(position - 1, length);
}

}  // namespace lettore
