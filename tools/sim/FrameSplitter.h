#pragma once

#include "FrameReader.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lettore::sim {

// Cuts the byte stream a reader hears into request frames with a
// FrameReader under the request rule: STX, address field and data up to
// ETX, then one check character, or a Tolvane request from EOT EOT to its
// ETX or ENQ; and the lone ACKs that acknowledge Tolvane answers. Other
// bytes outside a frame are noise and are dropped. A frame that fails its
// check is handed on (its reader refuses it), unless an STX inside it
// starts one that passes: a request the host abandoned halfway does not
// swallow the next one. Frames may arrive in any number of pieces.
//
// A frame is at most FrameReader::MaxFrameBytes long: one that reaches
// that length without its end is dropped whole, and the rest of it too
// until it ends, so a start character followed by endless bytes cannot
// grow the buffer without bound.
class FrameSplitter {
public:
    static constexpr std::size_t MaxFrameBytes = FrameReader::MaxFrameBytes;

    // Takes the next bytes from the line and returns the frames they
    // complete, in order, each whole (a lone ACK or NAK as one byte).
    std::vector<std::string> feed(std::string_view bytes);

    // Bytes of overlong frames dropped since the last call (the part of
    // each that showed it too long); resets the count.
    std::size_t takeDropped() { return std::exchange(m_dropped, 0); }

private:
    FrameReader m_reader{Frame::Rule::Request};
    std::size_t m_dropped = 0;
};

}  // namespace lettore::sim
