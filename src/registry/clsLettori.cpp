#include "clsLettori.h"

namespace lettore {

clsLettori::clsLettori(std::unique_ptr<Port> port, Clock& clock,
                       std::function<void()> yieldToEventLoop)
    : m_comunicazione(std::make_unique<clsComunicazioni>(std::move(port), clock,
                                                         std::move(yieldToEventLoop)))
{
}

clsSibrant& clsLettori::Sibrant()
{
    if (!m_sibrant)
        m_sibrant = std::make_unique<clsSibrant>(*this);
    return *m_sibrant;
}

}  // namespace lettore
