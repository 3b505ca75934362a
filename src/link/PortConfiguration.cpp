#include "PortConfiguration.h"

#include "PortAddress.h"

namespace lettore {

PortConfiguration::PortConfiguration(LinkPort& port, FailureHook reportFailure)
    : m_port(port), m_reportFailure(std::move(reportFailure))
{ }

void PortConfiguration::setCommPort(int16_t vData)
{
    const std::string address = PortAddress::ofNumber(vData);
    if (m_port.address() == address) {
        m_commPort = vData;
        return;
    }
    const std::string old = m_port.address();
    const Change change = reconfigure([&] { m_port.moveTo(address); }, [&] { m_port.moveTo(old); });
    if (change == Change::Made)
        m_commPort = vData;
}

// Nothing happens when the stored settings are vData already and the port
// is known to hold them too. The stored value changes only once the port
// has taken vData.
void PortConfiguration::setCommSettings(const std::string& vData)
{
    if (vData == m_commSettings && !m_commSettingsInDoubt)
        return;
    std::string old;
    try {
        old = m_port.settings();
    } catch (const PortError& error) {
        m_reportFailure(error);
        return;
    }
    switch (reconfigure([&] { m_port.setSettings(vData); }, [&] { m_port.setSettings(old); })) {
    case Change::Made:
        m_commSettings = vData;
        m_commSettingsInDoubt = false;
        break;
    case Change::Undone: break;
    case Change::InDoubt: m_commSettingsInDoubt = true; break;
    }
}

// An open port is closed around the change, with DTR low while closed and
// raised again once reopened; a closed port is changed in place. When a
// step fails it is reported, and the port is put back as it was: its old
// value (putBack) once the new one was applied, reopened with DTR raised if
// it had been closed, DTR raised if it had only been lowered. InDoubt: the
// old value could not be put back.
PortConfiguration::Change PortConfiguration::reconfigure(const std::function<void()>& apply,
                                                         const std::function<void()>& putBack)
{
    bool wasOpen = false;
    bool dtrLowered = false;
    bool applied = false;
    try {
        wasOpen = m_port.isOpen();
        if (wasOpen) {
            m_port.setDtrEnabled(false);
            dtrLowered = true;
            m_port.close();
        }
        apply();
        applied = true;
        if (wasOpen) {
            m_port.open();
            m_port.setDtrEnabled(true);
        }
        return Change::Made;
    } catch (const PortError& error) {
        m_reportFailure(error);
    }

    bool putBackDone = !applied;
    try {
        if (applied) {
            if (m_port.isOpen())
                m_port.close();
            putBack();
            putBackDone = true;
        }
        if (dtrLowered) {
            if (!m_port.isOpen())
                m_port.open();
            m_port.setDtrEnabled(true);
        }
    } catch (const PortError& error) {
        m_reportFailure(error);
    }
    clearAttivoIfClosed();
    return putBackDone ? Change::Undone : Change::InDoubt;
}

// When a step fails it is reported and the stored flag kept; a port opened
// here is closed again, and a flag that claimed an open port follows it
// closed.
void PortConfiguration::setAttivo(bool vData)
{
    bool opened = false;
    try {
        m_port.setDtrEnabled(false);
        const bool open = m_port.isOpen();
        if (vData && !open) {
            m_port.open();
            opened = true;
            m_port.setDtrEnabled(true);
        } else if (!vData && open) {
            m_port.close();
        }
        m_attivo = vData;
        return;
    } catch (const PortError& error) {
        m_reportFailure(error);
    }
    if (opened) {
        try {
            m_port.close();
        } catch (const PortError& error) {
            m_reportFailure(error);
        }
    }
    clearAttivoIfClosed();
}

void PortConfiguration::clearAttivoIfClosed()
{
    try {
        if (!m_port.isOpen())
            m_attivo = false;
    } catch (const PortError& error) {
        m_reportFailure(error);
    }
}

void PortConfiguration::probe(int16_t NumComm, int16_t& S_Stato, std::string& S_Setting)
{
    bool wasOpen = false;
    try {
        wasOpen = m_port.isOpen();
        if (wasOpen)
            m_port.close();
    } catch (const PortError& error) {
        // Without the port's current state there is nothing safe to probe.
        m_reportFailure(error);
        return;
    }

    try {
        const std::unique_ptr<ByteChannel> probed = m_port.channelFor(PortAddress::ofNumber(NumComm));
        if (!probed)
            throw PortError(PortFailure::InvalidPortNumber, 8002, "Invalid port number");
        S_Setting = m_port.settings();
        probed->open();
        S_Stato = 1;
        probed->close();
    } catch (const PortError& error) {
        switch (error.kind()) {
        case PortFailure::DeviceUnavailable: S_Stato = 2; break;
        case PortFailure::AlreadyOpen:
        case PortFailure::InvalidPortNumber: S_Stato = 3; break;
        case PortFailure::Abandoned:
        case PortFailure::Other: break;
        }
    }

    try {
        if (wasOpen)
            m_port.open();
    } catch (const PortError& error) {
        m_reportFailure(error);
        clearAttivoIfClosed();
    }
}

}  // namespace lettore
