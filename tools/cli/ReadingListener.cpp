#include "ReadingListener.h"

#include "ByteText.h"
#include "clsLettori.h"

namespace lettore {

namespace {

constexpr size_t ReadingLength = 16;

}  // namespace

ReadingListener::ReadingListener(clsLettori& registry, std::ostream& out, bool acknowledge)
    : m_registry(registry), m_out(out), m_acknowledge(acknowledge)
{
}

std::optional<uint8_t> ReadingListener::readingAddress(const std::string& reading)
{
    if (reading.size() != ReadingLength)
        return std::nullopt;
    const int high = static_cast<unsigned char>(reading[1]) - 48;
    const int low = static_cast<unsigned char>(reading[2]) - 32;
    const int address = high * 16 + low;
    if (high < 0 || high > 15 || low < 0 || address > 255)
        return std::nullopt;
    return static_cast<uint8_t>(address);
}

void ReadingListener::ComRX(const std::string& stringa)
{
    // A text that cannot name its reader is shown as it came, and not
    // acknowledged: there is no address to send the ACK to.
    const auto address = readingAddress(stringa);
    if (!address) {
        m_out << "ComRX " << ByteText::hex(stringa) << '\n' << std::flush;
        return;
    }
    m_out << "lettura " << int(*address) << ' ' << ByteText::escape(stringa.substr(4, 10)) << '\n'
          << std::flush;
    if (m_acknowledge)
        m_registry.Sibrant().SendACK(*address);
}

}  // namespace lettore
