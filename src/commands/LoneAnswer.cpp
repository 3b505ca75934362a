#include "LoneAnswer.h"

#include "Frame.h"

namespace lettore {

void LoneAnswer::ComRX(const std::string& stringa)
{
    if (stringa.size() != 1)
        return;
    m_ack = m_ack || stringa[0] == Frame::ACK;
    m_nak = m_nak || stringa[0] == Frame::NAK;
}

std::string LoneAnswer::shown(const CommandEntry& entry) const
{
    if (m_nak)
        return "NAK";
    const bool dataExpected = entry.command && entry.command->answersWithData();
    return m_ack && dataExpected ? "ACK" : "";
}

}  // namespace lettore
