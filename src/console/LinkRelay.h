#pragma once

#include "LinkEvents.h"
#include "TrafficView.h"

#include <functional>
#include <string>

namespace lettore {

// Passes the link's events on to the monitor and to the console's reading
// handler, in a fixed order: a transmission fills the command box before
// its lamp lights; a reception lights its lamp, fills the answer box, then
// offers the text to the reading handler; a time-out lights its lamp. A
// failure the link reports is shown too, so a port that fails on the write
// itself, when no frame went out, still tells in the monitor.
class LinkRelay : public LinkEvents {
public:
    // monitor: the monitor window, loaded on demand at each event (it may
    // have been closed since the last one). lettura: the reading handler.
    LinkRelay(std::function<TrafficView&()> monitor, std::function<void(const std::string&)> lettura);

    void ComTX(const std::string& Comando) override;
    void ComRX(const std::string& stringa) override;
    void ComTO() override;
    void Errore(int16_t ErroreCodice, const std::string& ErroreDescrizione) override;

private:
    std::function<TrafficView&()> m_monitor;
    std::function<void(const std::string&)> m_lettura;
};

}  // namespace lettore
