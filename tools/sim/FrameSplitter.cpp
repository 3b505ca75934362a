#include "FrameSplitter.h"

#include "Frame.h"

namespace lettore::sim {

std::vector<std::string> FrameSplitter::feed(std::string_view bytes)
{
    using Kind = Frame::Part::Kind;
    m_pending += bytes;
    std::vector<std::string> frames;
    std::string tail;
    bool overlongTail = false;
    bool endsInNoise = false;
    for (const Frame::Part& part : Frame::parse(m_pending, Frame::Rule::Request)) {
        endsInNoise = part.kind == Kind::Noise;
        const bool frame = part.kind == Kind::Whole || part.kind == Kind::BadCheck;
        const bool unfinished = part.kind == Kind::Unfinished;
        // The rest of a frame found too long in an earlier read.
        const bool continued = m_overlong && part.begin == 0;
        if (part.kind == Kind::Lone)
            frames.push_back(m_pending.substr(part.begin, part.size));
        if (!frame && !unfinished && part.kind != Kind::Abandoned)
            continue;
        // A frame leaves room for ETX and the check character: one whose
        // first MaxFrameBytes - 1 bytes hold no ETX is too long to be a
        // request. It is dropped whole, up to where it ends.
        const bool endInTime = !continued
            && (frame ? part.size <= MaxFrameBytes
                      : part.size < MaxFrameBytes - 1
                    || (unfinished && part.size == MaxFrameBytes - 1
                        && m_pending[part.begin + part.size - 1] == Frame::ETX));
        if (!endInTime) {
            // Counted once, however many reads the frame spans. Of one
            // still open only its opening is kept, to end it as one read
            // would: a Tolvane request at its ETX or ENQ, any other at its
            // ETX and check, an STX or EOT EOT (so a last ETX or EOT stays).
            if (!continued)
                m_dropped += MaxFrameBytes - 1;
            if (unfinished) {
                const std::string_view open = std::string_view(m_pending).substr(part.begin, 2);
                tail = open == "\x04\x04" ? std::string(open) : std::string(1, Frame::STX);
                if (tail.size() == 1 && (m_pending.back() == Frame::EOT || m_pending.back() == Frame::ETX))
                    tail += m_pending.back();
                overlongTail = true;
            }
        } else if (frame)
            frames.push_back(m_pending.substr(part.begin, part.size));
        else if (unfinished)
            tail = m_pending.substr(part.begin, part.size);
    }
    // An EOT at the very end, outside any frame, may open a Tolvane request
    // with the next read.
    if (tail.empty() && endsInNoise && m_pending.back() == Frame::EOT)
        tail = std::string(1, Frame::EOT);
    m_pending = std::move(tail);
    m_overlong = overlongTail;
    return frames;
}

}  // namespace lettore::sim
