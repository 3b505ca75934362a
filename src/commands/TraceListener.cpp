#include "TraceListener.h"

#include "ByteText.h"
#include "LocalTime.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace lettore {

TraceListener::TraceListener(std::ostream& out, std::function<std::string()> timestamp)
    : m_out(out), m_timestamp(timestamp ? std::move(timestamp) : &TraceListener::timeOfDay)
{
}

std::string TraceListener::timeOfDay()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::tm local = localTime(seconds);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(ms));
    return buffer;
}

void TraceListener::line(const std::string& text)
{
    m_out << m_timestamp() << ' ' << text << '\n' << std::flush;
}

void TraceListener::Errore(int16_t ErroreCodice, const std::string& ErroreDescrizione)
{
    line("Errore " + std::to_string(ErroreCodice) + " " + ErroreDescrizione);
}

void TraceListener::ComTX(const std::string& Comando) { line("ComTX " + ByteText::hex(Comando)); }

void TraceListener::ComRX(const std::string& stringa) { line("ComRX " + ByteText::hex(stringa)); }

void TraceListener::ComTO() { line("ComTO"); }

}  // namespace lettore
