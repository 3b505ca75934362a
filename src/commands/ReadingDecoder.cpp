#include "ReadingDecoder.h"

namespace lettore {

std::optional<Reading> ReadingDecoder::decode(const std::string& text)
{
    if (text.size() != Length)
        return std::nullopt;
    return Reading{address(text[1], text[2]), text.substr(4, CodeLength)};
}

std::optional<uint8_t> ReadingDecoder::address(char high, char low, Form form)
{
    const int highNibble = static_cast<unsigned char>(high) - 48;
    const int lowPart = static_cast<unsigned char>(low) - (form == Form::Poll ? 32 : 48);
    const int value = highNibble * 16 + lowPart;
    if (highNibble < 0 || highNibble > 15 || value < 0 || value > 255)
        return std::nullopt;
    return static_cast<uint8_t>(value);
}

}  // namespace lettore
