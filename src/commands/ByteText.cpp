#include "ByteText.h"

#include <cctype>

namespace lettore {

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

std::string hexByte(unsigned char byte) { return {HexDigits[byte >> 4], HexDigits[byte & 0x0F]}; }

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

}  // namespace

std::string ByteText::escape(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\')
            out += static_cast<char>(c);
        else
            out += "\\x" + hexByte(c);
    }
    return out;
}

std::optional<std::string> ByteText::unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            out += '\\';
            ++i;
            continue;
        }
        if (i + 3 >= text.size() || text[i + 1] != 'x')
            return std::nullopt;
        const int high = hexDigit(text[i + 2]);
        const int low = hexDigit(text[i + 3]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 3;
    }
    return out;
}

std::string ByteText::hex(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty())
            out += ' ';
        out += hexByte(c);
    }
    return out;
}

std::string ByteText::monitorHex(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        out += ' ';
        if (c > 0x0F)
            out += HexDigits[c >> 4];
        out += HexDigits[c & 0x0F];
    }
    return out;
}

}  // namespace lettore
