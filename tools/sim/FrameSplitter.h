#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lettore::sim {

// Cuts the byte stream a reader hears into request frames: STX, address
// field and data up to ETX, then one check character. Bytes outside a
// frame are noise and are dropped. An STX inside a frame starts the frame
// afresh, so a request the host abandoned halfway does not swallow the next
// one. Frames may arrive in any number of pieces.
class FrameSplitter {
public:
    // Takes the next bytes from the line and returns the frames they
    // complete, in order, each from STX to its check character.
    std::vector<std::string> feed(std::string_view bytes);

private:
    std::string m_frame;
    bool m_awaitingBcc = false;
};

}  // namespace lettore::sim
