#pragma once

#include "CommandTable.h"
#include "LinkEvents.h"

#include <string>

namespace lettore {

// Notes the answers made of one ACK or NAK byte alone while a command
// runs. Both give esito 0, so only this tells a refusal (NAK), or an
// acknowledgement where data was asked for (ACK), from an answer.
class LoneAnswer : public LinkEvents {
public:
    void ComRX(const std::string& stringa) override;

    // "NAK" when the reader refused, else "ACK" when it acknowledged a
    // command whose answer carries data (the entry's reader command reads
    // fields from it; a raw exchange shows its whole answer, a lone byte
    // included), else "".
    std::string shown(const CommandEntry& entry) const;

private:
    bool m_ack = false;
    bool m_nak = false;
};

}  // namespace lettore
