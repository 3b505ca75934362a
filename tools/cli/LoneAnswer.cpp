#include "LoneAnswer.h"

namespace lettore {

namespace {

constexpr char Ack = 0x06;
constexpr char Nak = 0x15;

}  // namespace

void LoneAnswer::ComRX(const std::string& stringa)
{
    if (stringa.size() != 1)
        return;
    m_ack = m_ack || stringa[0] == Ack;
    m_nak = m_nak || stringa[0] == Nak;
}

std::string LoneAnswer::shown(const std::string& command, const CommandResult& result) const
{
    if (m_nak)
        return "NAK";
    const bool dataExpected = !result.values.empty() && command != "raw";
    return m_ack && dataExpected ? "ACK" : "";
}

}  // namespace lettore
