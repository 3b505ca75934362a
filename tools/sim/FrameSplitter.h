#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lettore::sim {

// Cuts the byte stream a reader hears into request frames (Frame::parse,
// the request rule): STX, address field and data up to ETX, then one check
// character, or a Tolvane request from EOT EOT to its ETX or ENQ; and the
// lone ACKs that acknowledge Tolvane answers. Other bytes outside a frame
// are noise and are dropped. An STX inside a frame starts the frame
// afresh, so a request the host abandoned halfway does not swallow the
// next one. Frames may arrive in any number of pieces.
//
// A frame is at most MaxFrameBytes long: an unfinished frame that reaches
// that length without its end is dropped whole, and the rest of it too
// until it ends, so a start character followed by endless bytes cannot
// grow the buffer without bound.
class FrameSplitter {
public:
    static constexpr std::size_t MaxFrameBytes = 1024;

    // Takes the next bytes from the line and returns the frames they
    // complete, in order, each whole (a lone ACK or NAK as one byte).
    std::vector<std::string> feed(std::string_view bytes);

    // Bytes of the frame still being collected.
    std::size_t pendingBytes() const { return m_pending.size(); }

    // Bytes of overlong frames dropped since the last call; resets the count.
    std::size_t takeDropped() { return std::exchange(m_dropped, 0); }

private:
    std::string m_pending;  // an unfinished frame, from its STX
    std::size_t m_dropped = 0;
    // m_pending holds only the opening of a frame already too long, which
    // goes on being dropped until it ends as it would in one read.
    bool m_overlong = false;
};

}  // namespace lettore::sim
