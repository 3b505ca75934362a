#pragma once

#include "Clock.h"
#include "Port.h"
#include "clsComunicazioni.h"
#include "clsSibrant.h"

#include <functional>
#include <memory>

namespace lettore {

// Holds the two long-lived objects: the serial link, created together with
// the registry, and the reader command set, created on its first use.
// Neither is replaced while the registry lives.
class clsLettori {
public:
    // The link is built at once over `port`, `clock` and the event loop's
    // yield hook; the port is configured but stays closed.
    clsLettori(std::unique_ptr<Port> port, Clock& clock, std::function<void()> yieldToEventLoop = {});

    clsLettori(const clsLettori&) = delete;
    clsLettori& operator=(const clsLettori&) = delete;

    clsSibrant& Sibrant();
    clsComunicazioni& Comunicazione() { return *m_comunicazione; }

private:
    std::unique_ptr<clsComunicazioni> m_comunicazione;
    std::unique_ptr<clsSibrant> m_sibrant;
};

}  // namespace lettore
