#pragma once

#include "NetworkPort.h"
#include "Port.h"
#include "PortNaming.h"
#include "PortTable.h"

#include <memory>

namespace lettore {

// The port a number names: a network port when the port table gives the
// number an address, otherwise the serial device PortNaming gives it. The
// port under it is chosen again whenever the number changes (the port is
// closed then), and takes over the settings, modem lines, input length,
// threshold and handler the link gave.
class NumberedPort : public Port {
public:
    NumberedPort(PortNaming naming, PortTable table, NetworkPort::NoticeHook notice = {});

    void setPortNumber(int16_t number) override;
    int16_t portNumber() override { return m_port->portNumber(); }
    void setSettings(const std::string& settings) override;
    std::string settings() override { return m_port->settings(); }
    void setOpen(bool open) override { m_port->setOpen(open); }
    bool isOpen() override { return m_port->isOpen(); }
    void setDtrEnabled(bool enabled) override;
    void setRtsEnabled(bool enabled) override;
    void setInputLength(int length) override;
    std::string read() override { return m_port->read(); }
    void write(const std::string& bytes) override { m_port->write(bytes); }
    int receiveThreshold() override { return m_port->receiveThreshold(); }
    void setReceiveThreshold(int threshold) override { m_port->setReceiveThreshold(threshold); }
    void setReceiveHandler(std::function<void(CommEvent)> handler) override;
    bool waitForInput(int timeoutMs) override { return m_port->waitForInput(timeoutMs); }
    std::optional<PortError> closedByDrop() override { return m_port->closedByDrop(); }

private:
    std::unique_ptr<Port> portFor(int16_t number) const;

    PortNaming m_naming;
    PortTable m_table;
    NetworkPort::NoticeHook m_notice;
    std::unique_ptr<Port> m_port;
    std::optional<NetworkAddress> m_address;  // where m_port leads, for a network port
    std::function<void(CommEvent)> m_handler;
    bool m_dtr = false, m_rts = false;
    int m_inputLength = 0;
};

}  // namespace lettore
