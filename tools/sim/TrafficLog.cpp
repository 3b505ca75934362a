#include "TrafficLog.h"

#include "ByteText.h"

#include <chrono>
#include <cstdio>
#include <ctime>

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
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char stamp[32];
    const auto length = std::strftime(stamp, sizeof stamp, "%FT%T", &utc);
    std::snprintf(stamp + length, sizeof stamp - length, ".%03dZ ", static_cast<int>(millis));
    *m_out << stamp << text << std::endl;
}

}  // namespace lettore::sim
