#include "ReportText.h"

#include "ByteText.h"

#include <cstdio>

namespace lettore {

namespace {

std::string escaped(unsigned char byte)
{
    char text[5];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    return text;
}

// The length of the UTF-8 sequence starting at `at`, 0 when none starts there.
std::size_t sequence(const std::string& text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4  ? 4
                               : lead >= 0xE0                ? 3
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                                                             : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
    // No overlong forms, surrogates or values past U+10FFFF.
    const unsigned char second = byte(at + 1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90)
        || (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

}  // namespace

std::string ReportText::words(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += text[i++];
        } else if (const std::size_t length = c >= 0x80 ? sequence(text, i) : 0; length > 0) {
            out += text.substr(i, length);
            i += length;
        } else {
            out += escaped(c);
            ++i;
        }
    }
    return out;
}

std::string ReportText::bytes(const std::string& bytes) { return ByteText::escape(bytes); }

std::string ReportText::markup(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string ReportText::json(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char code[7];
            std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned char>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string ReportText::stamp(const std::string& isoTime)
{
    std::string out;
    for (const char c : isoTime.substr(0, 19))
        if (c != '-' && c != ':')
            out += c;
    return out + "Z";
}

}  // namespace lettore
