#pragma once

#include <cstdint>
#include <string>

namespace lettore {

// Subscriber to the link's four events and to its busy state. Events are
// delivered synchronously from inside the operation that raises them. A
// handler of ComRX or ComTO may start another send or exchange on the same
// link; one that runs while the link is busy (Errore and ComTX raised
// during an exchange, anything run by the event loop's turns during a
// wait) is refused with Esito::LinkBusy.
class LinkEvents {
public:
    virtual ~LinkEvents() = default;

    // A port operation failed (the platform's error number and text), or
    // the link refused a call (its own numbers, listed in clsComunicazioni.h).
    virtual void Errore(int16_t ErroreCodice, const std::string& ErroreDescrizione)
    {
        (void)ErroreCodice;
        (void)ErroreDescrizione;
    }
    // Exactly the bytes just written to the port.
    virtual void ComTX(const std::string& Comando) { (void)Comando; }
    // An accepted answer, a lone ACK or NAK, or "" for an answer that failed
    // its check; or a frame a reader sent on its own (received while idle,
    // or found waiting before a send and raised once the call is over).
    virtual void ComRX(const std::string& stringa) { (void)stringa; }
    // A reception ran out of time.
    virtual void ComTO() { }
    // The link became busy (an exchange or a reception started) or idle
    // again. Idle is announced before the outcome's ComRX or ComTO, so
    // their handlers may use the link; a window disables its commands
    // while busy.
    virtual void busyChanged(bool busy) { (void)busy; }
};

}  // namespace lettore
