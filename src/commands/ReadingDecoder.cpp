#include "ReadingDecoder.h"

#include "Frame.h"

namespace lettore {

std::optional<Reading> ReadingDecoder::decode(const std::string& text)
{
    if (text.size() != Length)
        return std::nullopt;
    return Reading{Frame::address(text[1], text[2], false), text.substr(4, CodeLength)};
}

}  // namespace lettore
