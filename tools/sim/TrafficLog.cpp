#include "TrafficLog.h"

#include "ByteText.h"
#include "WallTime.h"

namespace lettore::sim {

void TrafficLog::frame(std::string_view direction, int baudRate, std::string_view bytes,
                       std::string_view meaning)
{
    if (m_out)
        line(std::string(direction) + " " + std::to_string(baudRate) + " [" + ByteText::hex(std::string(bytes)) + "] "
             + std::string(meaning));
}

void TrafficLog::event(std::string_view text)
{
    if (m_out)
        line("-- " + std::string(text));
}

void TrafficLog::line(std::string_view text)
{
    // The same time form as the host's trace, so the two logs line up.
    *m_out << isoTime(std::chrono::system_clock::now()) << ' ' << text << std::endl;
}

}  // namespace lettore::sim
