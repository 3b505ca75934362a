#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace lettore::sim {

// The line's readable log: one line per frame heard or sent, and one per
// event, each with its UTC time to the millisecond (isoTime). Without a stream it
// writes nothing.
class TrafficLog {
public:
    explicit TrafficLog(std::ostream* out = nullptr) : m_out(out) {}

    // direction "RX" or "TX"; bytes in hexadecimal, then what they mean.
    void frame(std::string_view direction, int baudRate, std::string_view bytes,
               std::string_view meaning);
    void event(std::string_view text);

private:
    void line(std::string_view text);

    std::ostream* m_out;
};

}  // namespace lettore::sim
