#include "TrafficLog.h"

#include "ByteText.h"
#include "TrafficText.h"
#include "WallTime.h"

#include <cerrno>
#include <cstring>

namespace lettore::sim {

void TrafficLog::frame(std::string_view direction, int baudRate, std::string_view bytes, std::string_view meaning)
{
    if (!m_out)
        return;
    const std::string time = isoTime(std::chrono::system_clock::now());
    const bool heard = direction == "RX";
    auto rows = m_decoder.feed(heard ? TrafficRow::Direction::Sent : TrafficRow::Direction::Received, time, bytes);
    // The log line is written now: a frame the readers send is taken whole.
    for (auto& row : m_decoder.flush())
        rows.push_back(std::move(row));
    std::string words;
    for (const TrafficRow& row : rows) {
        words += words.empty() ? "" : ", ";
        words += TrafficRow::name(row.kind);
        if (const std::string fields = TrafficText::fields(row); !fields.empty())
            words += " " + fields;
    }
    line(std::string(direction) + " " + std::to_string(baudRate) + " [" + ByteText::hex(std::string(bytes)) + "] "
         + words + "; " + std::string(meaning));
}

void TrafficLog::event(std::string_view text)
{
    if (m_out)
        line("-- " + std::string(text));
}

void TrafficLog::line(std::string_view text)
{
    // The same time form as the host's trace, so the two logs line up.
    errno = 0;
    *m_out << isoTime(std::chrono::system_clock::now()) << ' ' << text << std::endl;
    if (*m_out)
        return;
    // The flush that failed set errno last.
    const std::string reason = errno != 0 ? std::strerror(errno) : "write error";
    m_out = nullptr;
    if (m_failed)
        m_failed(reason);
}

}  // namespace lettore::sim
