#pragma once

#include <cstdint>
#include <string>

namespace lettore {

// What the communications monitor shows of the link: the last command and
// answer, the three lamps, and a failure the link reported.
class TrafficView {
public:
    virtual ~TrafficView() = default;
    virtual void setTextComando(const std::string& bytes) = 0;
    virtual void setRisposta(const std::string& bytes) = 0;
    virtual void AttivaLed_TX() = 0;
    virtual void AttivaLed_RX() = 0;
    virtual void AttivaLed_TO() = 0;
    virtual void MostraErrore(int16_t codice, const std::string& descrizione) = 0;
};

}  // namespace lettore
