#pragma once

#include "LinkEvents.h"

#include <functional>
#include <string>

namespace lettore {

// What the relay shows in the communications monitor: the last command
// and answer, and the three lamps.
class TrafficView {
public:
    virtual ~TrafficView() = default;
    virtual void setTextComando(const std::string& bytes) = 0;
    virtual void setRisposta(const std::string& bytes) = 0;
    virtual void AttivaLed_TX() = 0;
    virtual void AttivaLed_RX() = 0;
    virtual void AttivaLed_TO() = 0;
};

// Passes the link's events on to the monitor and to the console's reading
// handler, in a fixed order: a transmission fills the command box before
// its lamp lights; a reception lights its lamp, fills the answer box, then
// offers the text to the reading handler; a time-out lights its lamp. The
// link's errors go unheard here: a failed command shows as its result code.
class LinkRelay : public LinkEvents {
public:
    // monitor: the monitor window, loaded on demand at each event (it may
    // have been closed since the last one). lettura: the reading handler.
    LinkRelay(std::function<TrafficView&()> monitor, std::function<void(const std::string&)> lettura);

    void ComTX(const std::string& Comando) override;
    void ComRX(const std::string& stringa) override;
    void ComTO() override;

private:
    std::function<TrafficView&()> m_monitor;
    std::function<void(const std::string&)> m_lettura;
};

}  // namespace lettore
