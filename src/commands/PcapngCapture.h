#pragma once

#include "TrafficRow.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lettore {

// Traffic rows as a pcapng capture that Wireshark and tshark open: one
// section, one interface of link type 250 (RTAC serial), and a packet per
// row whose data is the 12-byte RTAC header (time in seconds and
// microseconds, the direction as a TX or RX data event, the control lines,
// not known here so 0, and a 2-byte footer) followed by the row's bytes.
// The packet's own time is the row's, in microseconds, and its flags carry
// the direction too. A row with no bytes of its own (a time-out, a port
// failure) is a status event whose comment says what happened; discarded
// bytes are received data with the comment "discarded".
//
// All numbers of the blocks are little-endian; the RTAC header's are
// big-endian, as its format has them.
class PcapngCapture {
public:
    static constexpr uint16_t LinkType = 250;
    static constexpr std::size_t RtacHeader = 12;
    enum Event : uint8_t { StatusChange = 0x00, DataTx = 0x01, DataRx = 0x02 };

    // The section header and the interface description: a file's start.
    static std::string header();
    // One row's packet.
    static std::string packet(const TrafficRow& row);

    // What one packet of a capture holds, as the traffic decoder takes it.
    struct Packet {
        std::string time;  // ISO, as isoTime() writes it
        TrafficRow::Direction direction = TrafficRow::Direction::Line;
        TrafficRow::Kind event = TrafficRow::Kind::TimedOut;  // for a Line packet
        std::string note;  // for a Line packet
        std::string bytes;
    };
    // The packets of a capture this class wrote; nothing when `file` is no
    // such capture (another link type, a cut block, big-endian sections).
    static std::optional<std::vector<Packet>> read(std::string_view file);
    // The rows a capture's packets give, cut again by the traffic decoder.
    static std::vector<TrafficRow> rows(const std::vector<Packet>& packets);
};

}  // namespace lettore
