#include "NumberedPort.h"

#include "QtPort.h"

namespace lettore {

NumberedPort::NumberedPort(PortNaming naming, PortTable table, NetworkPort::NoticeHook notice)
    : m_naming(std::move(naming)), m_table(std::move(table)), m_notice(std::move(notice)),
      m_port(std::make_unique<QtPort>(m_naming))
{
}

std::unique_ptr<Port> NumberedPort::portFor(int16_t number) const
{
    if (const auto address = m_table.address(number))
        return std::make_unique<NetworkPort>(*address, m_notice);
    return std::make_unique<QtPort>(m_naming);
}

// A number that leads elsewhere than the current port gets a port of its
// own, given what the link set on the old one; an open port keeps refusing
// a new number as before.
void NumberedPort::setPortNumber(int16_t number)
{
    const auto address = m_table.address(number);
    if (address != m_address && !m_port->isOpen()) {
        std::unique_ptr<Port> next = portFor(number);
        next->setSettings(m_port->settings());
        next->setDtrEnabled(m_dtr);
        next->setRtsEnabled(m_rts);
        next->setInputLength(m_inputLength);
        next->setReceiveThreshold(m_port->receiveThreshold());
        next->setReceiveHandler(m_handler);
        m_port->setReceiveHandler({});
        m_port = std::move(next);
        m_address = address;
    }
    m_port->setPortNumber(number);
}

void NumberedPort::setSettings(const std::string& settings)
{
    m_port->setSettings(settings);
}

void NumberedPort::setDtrEnabled(bool enabled)
{
    m_port->setDtrEnabled(enabled);
    m_dtr = enabled;
}

void NumberedPort::setRtsEnabled(bool enabled)
{
    m_port->setRtsEnabled(enabled);
    m_rts = enabled;
}

void NumberedPort::setInputLength(int length)
{
    m_port->setInputLength(length);
    m_inputLength = length;
}

void NumberedPort::setReceiveHandler(std::function<void(CommEvent)> handler)
{
    m_handler = handler;
    m_port->setReceiveHandler(std::move(handler));
}

}  // namespace lettore
