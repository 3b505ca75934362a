#pragma once

#include "LinkEvents.h"

#include <deque>
#include <string>
#include <vector>

namespace lettore {

// Raises the link's events to its subscribers, in subscription order, and
// holds the readers' frames found while a call runs until it is over.
//
// Each event goes to a snapshot of the subscribers, so a handler may
// subscribe, unsubscribe or call the link; one unsubscribed meanwhile is
// no longer called. Held frames are raised as ComRX, oldest first and each
// once, when the outermost Operation ends (after the events of the call
// itself); frames held by the calls their handlers make join the same
// queue, so delivery never nests.
class EventFanOut final : public LinkEvents {
public:
    // One public call of the link; one may run inside another's handler.
    class Operation {
    public:
        explicit Operation(EventFanOut& events);
        ~Operation();

        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;

    private:
        EventFanOut& m_events;
    };

    // A listener already subscribed, or null, is not added again.
    void subscribe(LinkEvents* listener);
    void unsubscribe(LinkEvents* listener);

    // Queues frames to raise once the outermost operation is over.
    void hold(std::vector<std::string> frames);

    void Errore(int16_t ErroreCodice, const std::string& ErroreDescrizione) override;
    void ComTX(const std::string& Comando) override;
    void ComRX(const std::string& stringa) override;
    void ComTO() override;
    void busyChanged(bool busy) override;

private:
    template <typename Event>
    void raise(Event&& event);
    void raiseHeldFrames();

    std::vector<LinkEvents*> m_listeners;
    std::deque<std::string> m_heldFrames;
    int m_operationDepth = 0;
};

}  // namespace lettore
