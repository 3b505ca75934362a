#pragma once

#include <cstdint>
#include <string>

namespace lettore {

// Subscriber to the link's four events. Events are delivered synchronously
// from inside the operation that raises them; a handler may start another
// send on the same link.
class LinkEvents {
public:
    virtual ~LinkEvents() = default;

    // A port operation failed: the platform's error number and text.
    virtual void Errore(int16_t ErroreCodice, const std::string& ErroreDescrizione)
    {
        (void)ErroreCodice;
        (void)ErroreDescrizione;
    }
    // Exactly the bytes just written to the port.
    virtual void ComTX(const std::string& Comando) { (void)Comando; }
    // An accepted answer, a lone ACK or NAK, or "" for an answer that failed its check.
    virtual void ComRX(const std::string& stringa) { (void)stringa; }
    // A reception ran out of time.
    virtual void ComTO() {}
};

}  // namespace lettore
