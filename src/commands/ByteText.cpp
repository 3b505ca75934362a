#include "ByteText.h"

namespace lettore::ByteText {

std::string monitorHex(const std::string& bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string view;
    view.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto value = static_cast<unsigned char>(c);
        view += ' ';
        if (value >= 0x10)
            view += digits[value >> 4];
        view += digits[value & 0x0F];
    }
    return view;
}

}  // namespace lettore::ByteText
