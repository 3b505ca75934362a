#pragma once

#include "LinkEvents.h"

#include <functional>
#include <ostream>
#include <string>

namespace lettore {

// Writes every link event as one line: a millisecond timestamp, the
// event's name and its bytes in hex (the error's number and text for
// Errore).
class TraceListener : public LinkEvents {
public:
    // timestamp: the text that starts each line; the local time of day
    // with milliseconds unless a test gives its own.
    explicit TraceListener(std::ostream& out, std::function<std::string()> timestamp = {});

    void Errore(int16_t ErroreCodice, const std::string& ErroreDescrizione) override;
    void ComTX(const std::string& Comando) override;
    void ComRX(const std::string& stringa) override;
    void ComTO() override;

    // "HH:MM:SS.mmm" of the local time now.
    static std::string timeOfDay();

private:
    void line(const std::string& text);

    std::ostream& m_out;
    std::function<std::string()> m_timestamp;
};

}  // namespace lettore
