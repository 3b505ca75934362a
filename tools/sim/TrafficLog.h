#pragma once

#include "TrafficDecoder.h"

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

namespace lettore::sim {

// The line's readable log: one line per frame heard or sent, and one per
// event, each with its UTC time to the millisecond (isoTime). A frame's
// line names its parts with the host's traffic decoder, in the words of
// the host's trace, then says what the reader made of it. Without a
// stream it writes nothing.
class TrafficLog {
public:
    explicit TrafficLog(std::ostream* out = nullptr) : m_out(out) { }

    // direction "RX" (heard from the host) or "TX" (sent to it); the rate,
    // the bytes in hexadecimal, the decoder's words, then `meaning`:
    // "RX 9600 [02 30 21 32 03 22] command Sibrant2 address 1 P data "2"
    // check character good; reader 1 P: GetVersioneFirmware"
    void frame(std::string_view direction, int baudRate, std::string_view bytes, std::string_view meaning);
    void event(std::string_view text);
    // Called once, with the system's reason, when a line cannot be written;
    // nothing is written after it.
    void onFailure(std::function<void(const std::string& reason)> failed) { m_failed = std::move(failed); }

private:
    void line(std::string_view text);

    std::ostream* m_out;
    std::function<void(const std::string&)> m_failed;
    // Fed what the host sends as sent and what the readers send as
    // received, so that answers and readings are told apart as on the host.
    TrafficDecoder m_decoder;
};

}  // namespace lettore::sim
