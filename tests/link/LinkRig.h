#pragma once

#include "SimulatedPort.h"
#include "clsComunicazioni.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace lettore::test {

// Records the link's events as "Errore 68 Device unavailable", "ComTX 02 30", "ComRX \"\"", "ComTO"; calls onEvent.
class EventLog : public LinkEvents {
public:
    std::vector<std::string> events;
    std::function<void(const std::string& event)> onEvent;

    void Errore(int16_t code, const std::string& s) override { record("Errore " + std::to_string(code) + " " + s); }
    void ComTX(const std::string& s) override { record("ComTX " + hex(s)); }
    void ComRX(const std::string& s) override { record(s.empty() ? "ComRX \"\"" : "ComRX " + hex(s)); }
    void ComTO() override { record("ComTO"); }
    std::vector<bool> busyChanges;  // kept apart from the link's four events
    void busyChanged(bool busy) override { busyChanges.push_back(busy); }

private:
    void record(const std::string& event)
    {
        events.push_back(event);
        if (onEvent)
            onEvent(event);
    }
};

// Pieces of input as (ms, hex bytes).
using Pieces = std::vector<std::pair<uint32_t, std::string>>;

// A link on a simulated port and clock: its events logged, the time of each turn it yields, onYield run on each.
struct LinkRig {
    explicit LinkRig(uint32_t startMs = 0)
        : clock(startMs), line(clock), port(&line), link(line.opener(), clock, [this] {
              yieldTimes.push_back(clock.nowMs());
              if (onYield)
                  onYield();
          })
    {
        link.subscribe(&log);
        creationCalls = port->calls();
        port->clearRecord();
    }

    // The answer, in pieces due after the next write.
    void answerWith(Pieces pieces)
    {
        port->onWrite = [this, pieces](const std::string&) {
            sentAt = clock.nowMs();
            for (const auto& [offset, bytes] : pieces)
                port->feedAt(sentAt + offset, unhex(bytes));
            port->onWrite = nullptr;
        };
    }

    ManualClock clock;
    SimulatedPort line;
    SimulatedPort* port;
    std::vector<uint32_t> yieldTimes;
    std::function<void()> onYield;
    std::vector<std::string> creationCalls;
    clsComunicazioni link;
    EventLog log;
    uint32_t sentAt = 0;
};

inline PortError deviceGone() { return PortError(PortFailure::Other, 8020, "Error reading comm device"); }

}  // namespace lettore::test
