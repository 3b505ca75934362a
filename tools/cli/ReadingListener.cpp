#include "ReadingListener.h"

#include "ByteText.h"
#include "ReadingDecoder.h"
#include "clsLettori.h"

namespace lettore {

ReadingListener::ReadingListener(clsLettori& registry, std::ostream& out, bool acknowledge)
    : m_registry(registry), m_out(out), m_acknowledge(acknowledge)
{
}

void ReadingListener::ComRX(const std::string& stringa)
{
    // A text that cannot name its reader is shown as it came, and not
    // acknowledged: there is no address to send the ACK to.
    const std::optional<Reading> reading = ReadingDecoder::decode(stringa);
    if (!reading || !reading->address) {
        m_out << otherLine(stringa) << '\n' << std::flush;
        return;
    }
    m_out << readingLine(*reading->address, reading->code) << '\n' << std::flush;
    // A reading that could not be shown stays unconfirmed, so the reader
    // keeps it and sends it again.
    if (m_acknowledge && m_out)
        m_registry.Sibrant().SendACK(*reading->address);
}

std::string ReadingListener::readingLine(int address, const std::string& code) const
{
    return "lettura " + std::to_string(address) + ' ' + ByteText::escape(code);
}

std::string ReadingListener::otherLine(const std::string& stringa) const
{
    return "ComRX " + ByteText::hex(stringa);
}

}  // namespace lettore
