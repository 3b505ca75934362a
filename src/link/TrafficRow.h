#pragma once

#include <optional>
#include <string>

namespace lettore {

// One row of the traffic log: a frame or a stray run of bytes that crossed
// the line, or an event of the line (a time-out, a port failure), with the
// wall time its first byte was seen and what the bytes mean.
struct TrafficRow {
    // Sent: written by the host. Received: read from the readers.
    // Discarded: read from the readers and thrown away before a send.
    // Line: an event with no bytes of its own.
    enum class Direction { Sent, Received, Discarded, Line };
    enum class Kind {
        Command,  // a frame the host sends
        Answer,  // a frame a reader sends back to a command
        Reading,  // a frame a reader sends on its own
        Ack,  // a lone ACK
        Nak,  // a lone NAK
        Noise,  // bytes outside any frame
        Unfinished,  // a frame begun but not ended
        TimedOut,  // a command's answer did not come in time
        PortFailed,  // a port operation failed; `note` says how
    };
    // How a frame ends. None: no check character in this layout (Tolvane).
    enum class Check { None, Good, Wrong, CutShort, Rejected };

    std::string time;
    Direction direction = Direction::Line;
    Kind kind = Kind::Noise;
    std::string dialect;  // "" when no dialect's layout fits
    std::optional<int> address;  // 256: every reader (broadcast)
    std::string type;  // "S" sets, "P" polls (Tolvane: "poll")
    std::string data;
    Check check = Check::None;
    std::string bytes;  // exactly as they crossed the line
    std::string note;
    // The longest silence between two reads that brought the row's bytes,
    // in milliseconds; -1 when they came in one read (or the reads' times
    // are not ISO times).
    int longestPauseMs = -1;

    // "TX", "RX", "discarded", "--"
    static const char* name(Direction direction);
    // "command", "answer", "reading", "ACK", "NAK", "noise", "unfinished",
    // "time-out", "port error"
    static const char* name(Kind kind);
    // "", "check character good", "check character wrong", "cut short by
    // ACK", "answer rejected"
    static const char* name(Check check);
};

}  // namespace lettore
