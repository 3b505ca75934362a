#pragma once

#include "LinkPort.h"

#include <cstdint>
#include <functional>
#include <string>

namespace lettore {

// The port number, settings and open state the link was asked for, and
// their changes on the port with put-back: a change that fails is
// reported (the failure hook) and the port is given its old value again,
// reopened when it had been open. Should the put-back fail too, the value
// is in doubt: setting the stored value again still reaches the port. A
// port number is compared with the one the port is on, not the stored one:
// at creation the port is on 1 while 0 is stored, and port 0 must still
// reach it.
// After any failure the Attivo flag never claims a port that is closed.
class PortConfiguration {
public:
    using FailureHook = std::function<void(const PortError&)>;

    PortConfiguration(LinkPort& port, FailureHook reportFailure);

    // Stored values: 0, "" and false until first set.
    int16_t commPort() const { return m_commPort; }
    const std::string& commSettings() const { return m_commSettings; }
    bool attivo() const { return m_attivo; }

    // Moves the port to another number or settings, closing an open port
    // around the change; the stored value changes once the port took it.
    void setCommPort(int16_t vData);
    void setCommSettings(const std::string& vData);

    // DTR goes low first, always. True opens a closed port and raises DTR
    // (an open port is left open with DTR low); false closes an open port.
    void setAttivo(bool vData);

    // Probes port NumComm on a channel of its own, the link's port closed
    // meanwhile and reopened after when it was open. S_Stato: 1 usable,
    // 2 in use, 3 missing; unchanged for any other failure. S_Setting: the
    // line's settings, which the probed port would open with.
    void probe(int16_t NumComm, int16_t& S_Stato, std::string& S_Setting);

private:
    // How a change of port number or settings ended: made, undone (the
    // port has its old value back), or in doubt (it could not be put back).
    enum class Change { Made, Undone, InDoubt };

    Change reconfigure(const std::function<void()>& apply, const std::function<void()>& putBack);
    void clearAttivoIfClosed();

    LinkPort& m_port;
    FailureHook m_reportFailure;

    int16_t m_commPort = 0;
    std::string m_commSettings;
    bool m_attivo = false;
    // A failed change could not put the port's old settings back: the
    // port may hold others than the stored ones.
    bool m_commSettingsInDoubt = false;
};

}  // namespace lettore
