#include "EventFanOut.h"

#include <algorithm>

namespace lettore {

EventFanOut::Operation::Operation(EventFanOut& events) : m_events(events) { ++m_events.m_operationDepth; }

EventFanOut::Operation::~Operation()
{
    if (--m_events.m_operationDepth == 0 && !m_events.m_heldFrames.empty())
        m_events.raiseHeldFrames();
}

void EventFanOut::subscribe(LinkEvents* listener)
{
    if (listener && std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void EventFanOut::unsubscribe(LinkEvents* listener) { std::erase(m_listeners, listener); }

void EventFanOut::hold(std::vector<std::string> frames)
{
    for (std::string& frame : frames)
        m_heldFrames.push_back(std::move(frame));
}

// Raises each held frame, oldest first. Meanwhile the calls that its
// handlers make (an acknowledgement) count as nested, so frames they hold
// join this loop instead of starting another.
void EventFanOut::raiseHeldFrames()
{
    ++m_operationDepth;
    while (!m_heldFrames.empty()) {
        const std::string frame = std::move(m_heldFrames.front());
        m_heldFrames.pop_front();
        ComRX(frame);
    }
    --m_operationDepth;
}

template <typename Event>
void EventFanOut::raise(Event&& event)
{
    const std::vector<LinkEvents*> snapshot = m_listeners;
    for (LinkEvents* listener : snapshot) {
        if (std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end())
            event(*listener);
    }
}

void EventFanOut::Errore(int16_t ErroreCodice, const std::string& ErroreDescrizione)
{
    raise([&](LinkEvents& l) { l.Errore(ErroreCodice, ErroreDescrizione); });
}

void EventFanOut::ComTX(const std::string& Comando)
{
    raise([&](LinkEvents& l) { l.ComTX(Comando); });
}

void EventFanOut::ComRX(const std::string& stringa)
{
    raise([&](LinkEvents& l) { l.ComRX(stringa); });
}

void EventFanOut::ComTO()
{
    raise([](LinkEvents& l) { l.ComTO(); });
}

void EventFanOut::busyChanged(bool busy)
{
    raise([=](LinkEvents& l) { l.busyChanged(busy); });
}

}  // namespace lettore
