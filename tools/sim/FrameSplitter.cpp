#include "FrameSplitter.h"

#include "Frame.h"

namespace lettore::sim {

std::vector<std::string> FrameSplitter::feed(std::string_view bytes)
{
    using Kind = Frame::Part::Kind;
    m_pending += bytes;
    std::vector<std::string> frames;
    std::string tail;
    for (const Frame::Part& part : Frame::parse(m_pending, Frame::Rule::Request)) {
        const bool frame = part.kind == Kind::Whole || part.kind == Kind::BadCheck;
        const bool unfinished = part.kind == Kind::Unfinished;
        if (part.kind == Kind::Lone)
            frames.push_back(m_pending.substr(part.begin, part.size));
        if (!frame && !unfinished && part.kind != Kind::Abandoned)
            continue;
        // A frame leaves room for ETX and the check character: one whose
        // first MaxFrameBytes - 1 bytes hold no ETX is too long to be a
        // request. Those bytes are dropped, and the rest, up to the next
        // STX, is noise.
        const bool endInTime = frame ? part.size <= MaxFrameBytes
                                     : part.size < MaxFrameBytes - 1
                || (unfinished && part.size == MaxFrameBytes - 1
                    && m_pending[part.begin + part.size - 1] == Frame::ETX);
        if (!endInTime)
            m_dropped += MaxFrameBytes - 1;
        else if (frame)
            frames.push_back(m_pending.substr(part.begin, part.size));
        else if (unfinished)
            tail = m_pending.substr(part.begin, part.size);
    }
    // An EOT at the very end may open a Tolvane request with the next read.
    if (tail.empty() && !m_pending.empty() && m_pending.back() == Frame::EOT)
        tail = std::string(1, Frame::EOT);
    m_pending = std::move(tail);
    return frames;
}

}  // namespace lettore::sim
