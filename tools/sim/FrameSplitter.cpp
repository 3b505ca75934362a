#include "FrameSplitter.h"

#include "Frame.h"

namespace lettore::sim {

std::vector<std::string> FrameSplitter::feed(std::string_view bytes)
{
    std::vector<std::string> frames;
    for (const char c : bytes) {
        if (m_awaitingBcc) {
            // The check character may take any value, STX and ETX included.
            m_frame += c;
            frames.push_back(std::move(m_frame));
            m_frame.clear();
            m_awaitingBcc = false;
        } else if (c == Frame::STX) {
            // A new STX abandons a frame left unfinished.
            m_frame.assign(1, c);
        } else if (!m_frame.empty()) {
            m_frame += c;
            m_awaitingBcc = c == Frame::ETX;
            // No room left for ETX and the check character: the frame is
            // too long to be a request, and what follows is noise until
            // the next STX.
            if (!m_awaitingBcc && m_frame.size() >= MaxFrameBytes - 1) {
                m_dropped += m_frame.size();
                m_frame.clear();
            }
        }
    }
    return frames;
}

}  // namespace lettore::sim
