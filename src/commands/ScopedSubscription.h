#pragma once

#include "LinkEvents.h"
#include "clsComunicazioni.h"

namespace lettore {

// Subscribes a listener to the link for the life of this object, so that a
// link that outlives the listener never calls it.
class ScopedSubscription {
public:
    ScopedSubscription(clsComunicazioni& link, LinkEvents& listener) : m_link(link), m_listener(listener)
    {
        m_link.subscribe(&m_listener);
    }
    ~ScopedSubscription() { m_link.unsubscribe(&m_listener); }

    ScopedSubscription(const ScopedSubscription&) = delete;
    ScopedSubscription& operator=(const ScopedSubscription&) = delete;

private:
    clsComunicazioni& m_link;
    LinkEvents& m_listener;
};

}  // namespace lettore
