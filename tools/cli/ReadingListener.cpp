#include "ReadingListener.h"

#include "ByteText.h"
#include "Esito.h"
#include "ReadingDecoder.h"
#include "WallTime.h"
#include "clsLettori.h"

namespace lettore {

ReadingListener::ReadingListener(clsLettori& registry, std::ostream& out, bool acknowledge,
                                 std::function<std::string()> now)
    : m_registry(registry), m_out(out), m_acknowledge(acknowledge),
      m_now(now ? std::move(now) : [] { return isoTime(std::chrono::system_clock::now()); })
{ }

void ReadingListener::ComRX(const std::string& stringa)
{
    // A text that cannot name its reader is shown as it came, and not
    // acknowledged: there is no address to send the ACK to.
    const std::optional<Reading> reading = ReadingDecoder::decode(stringa);
    if (!reading || !reading->address) {
        m_out << otherLine(stringa, m_now()) << '\n' << std::flush;
        return;
    }
    const int address = *reading->address;
    // The character after the address, which the readers fill with the
    // reading's status.
    const auto last = m_unacknowledged.find(address);
    const bool repeated = last != m_unacknowledged.end() && last->second == stringa;
    m_out << readingLine({address, reading->code, std::string(1, stringa[3]), m_now(), repeated}) << '\n' << std::flush;
    // A reading that could not be shown stays unconfirmed, so the reader
    // keeps it and sends it again.
    if (m_acknowledge && m_out && m_registry.Sibrant().SendACK(reading->address.value()) == Esito::Accepted)
        m_unacknowledged.erase(address);
    else
        m_unacknowledged[address] = stringa;
}

std::string ReadingListener::readingLine(const Heard& reading) const
{
    return "lettura " + std::to_string(reading.address) + ' ' + ByteText::escape(reading.code) + " status "
           + ByteText::escape(reading.status) + ' ' + reading.time + (reading.repeated ? " repeated" : "");
}

std::string ReadingListener::otherLine(const std::string& stringa, const std::string& time) const
{
    return "ComRX " + ByteText::hex(stringa) + ' ' + time;
}

}  // namespace lettore
