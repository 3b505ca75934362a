#include "FrameSplitter.h"

namespace lettore::sim {

std::vector<std::string> FrameSplitter::feed(std::string_view bytes)
{
    using Kind = FrameReader::Part::Kind;
    std::vector<std::string> frames;
    for (FrameReader::Part& part : m_reader.push(bytes)) {
        if (part.kind == Kind::Frame || part.kind == Kind::Lone)
            frames.push_back(std::move(part.bytes));
        else if (part.kind == Kind::Overlong)
            m_dropped += part.bytes.size();
    }
    return frames;
}

}  // namespace lettore::sim
