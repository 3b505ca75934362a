#pragma once

#include "CommandResult.h"
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
    // command that expects data (one that returns values; raw shows its
    // whole answer, a lone byte included), else "".
    std::string shown(const std::string& command, const CommandResult& result) const;

private:
    bool m_ack = false;
    bool m_nak = false;
};

}  // namespace lettore
