#pragma once

#include "ByteChannel.h"
#include "Clock.h"
#include "clsComunicazioni.h"
#include "clsSibrant.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace lettore {

// Holds the two long-lived objects: the serial link, created together with
// the registry, and the reader command set, created on its first use.
// Neither is replaced while the registry lives.
class clsLettori {
public:
    // The link is built at once over the port opener, `clock` and the event
    // loop's yield hook; its port is configured but stays closed.
    clsLettori(PortOpener openPort, Clock& clock, std::function<void()> yieldToEventLoop = {});

    clsLettori(const clsLettori&) = delete;
    clsLettori& operator=(const clsLettori&) = delete;

    clsSibrant& Sibrant();
    clsComunicazioni& Comunicazione() { return *m_comunicazione; }

    // Hands the event loop a turn through the yield hook (the hook's own
    // rate limit applies) unless it had one in the last
    // clsComunicazioni::YieldStepMs, as a waiting link gives it; nothing
    // when there is no hook. For the console's long commands between two
    // exchanges: on a live line their waits give the turns already, off
    // the critical path, while exchanges that fail at once (a dead port)
    // give none.
    void yieldIfStarved();

private:
    void yieldNow();

    Clock& m_clock;
    std::function<void()> m_yield;
    // When the event loop last had a turn through the yield hook.
    std::optional<uint32_t> m_lastTurn;
    std::unique_ptr<clsComunicazioni> m_comunicazione;
    std::unique_ptr<clsSibrant> m_sibrant;
};

}  // namespace lettore
