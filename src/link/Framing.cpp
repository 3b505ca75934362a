#include "Framing.h"

namespace lettore {

std::vector<std::string> Framing::checkedFrames(std::string_view input)
{
    std::vector<std::string> frames;
    for (const Frame::Part& part : Frame::parse(input))
        if (part.kind == Frame::Part::Kind::Whole)
            frames.emplace_back(input.substr(part.begin, part.size));
    return frames;
}

}  // namespace lettore
