#include "PortConfiguration.h"

namespace lettore {

PortConfiguration::PortConfiguration(Port& port, FailureHook reportFailure)
    : m_port(port), m_reportFailure(std::move(reportFailure))
{
}

void PortConfiguration::setCommPort(int16_t vData)
{
    assign(m_commPort, m_commPortInDoubt, vData, [this] { return m_port.portNumber(); },
           [this](int16_t number) { m_port.setPortNumber(number); });
}

void PortConfiguration::setCommSettings(const std::string& vData)
{
    assign(m_commSettings, m_commSettingsInDoubt, vData, [this] { return m_port.settings(); },
           [this](const std::string& settings) { m_port.setSettings(settings); });
}

// Nothing happens when `stored` holds vData already and the port is known
// to hold it too. The stored value changes only once the port has taken
// vData; `inDoubt` records that a failed change could not give the port
// its old value back.
template <typename Value, typename Read, typename Write>
void PortConfiguration::assign(Value& stored, bool& inDoubt, const Value& vData, Read read, Write write)
{
    if (vData == stored && !inDoubt)
        return;
    Value old{};
    try {
        old = read();
    } catch (const PortError& error) {
        m_reportFailure(error);
        return;
    }
    switch (reconfigure([&] { write(vData); }, [&] { write(old); })) {
    case Change::Made:
        stored = vData;
        inDoubt = false;
        break;
    case Change::Undone:
        break;
    case Change::InDoubt:
        inDoubt = true;
        break;
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
            m_port.setOpen(false);
        }
        apply();
        applied = true;
        if (wasOpen) {
            m_port.setOpen(true);
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
                m_port.setOpen(false);
            putBack();
            putBackDone = true;
        }
        if (dtrLowered) {
            if (!m_port.isOpen())
                m_port.setOpen(true);
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
            m_port.setOpen(true);
            opened = true;
            m_port.setDtrEnabled(true);
        } else if (!vData && open) {
            m_port.setOpen(false);
        }
        m_attivo = vData;
        return;
    } catch (const PortError& error) {
        m_reportFailure(error);
    }
    if (opened) {
        try {
            m_port.setOpen(false);
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
    int16_t number = 0;
    bool wasOpen = false;
    try {
        number = m_port.portNumber();
        wasOpen = m_port.isOpen();
        if (wasOpen)
            m_port.setOpen(false);
    } catch (const PortError& error) {
        // Without the port's current state there is nothing safe to probe.
        m_reportFailure(error);
        return;
    }

    try {
        m_port.setPortNumber(NumComm);
        S_Setting = m_port.settings();
        m_port.setOpen(true);
        S_Stato = 1;
        m_port.setOpen(false);
    } catch (const PortError& error) {
        switch (error.kind()) {
        case PortFailure::DeviceUnavailable:
            S_Stato = 2;
            break;
        case PortFailure::AlreadyOpen:
        case PortFailure::InvalidPortNumber:
            S_Stato = 3;
            break;
        case PortFailure::Other:
            break;
        }
    }

    // The old number goes back before the port is reopened, so a failure
    // there never leaves the probed device open.
    bool numberBack = false;
    try {
        if (m_port.portNumber() != number)
            m_port.setPortNumber(number);
        numberBack = true;
        if (wasOpen)
            m_port.setOpen(true);
    } catch (const PortError& error) {
        m_reportFailure(error);
        m_commPortInDoubt = m_commPortInDoubt || !numberBack;
        clearAttivoIfClosed();
    }
}

}  // namespace lettore
