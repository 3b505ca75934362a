#pragma once

#include "LinkEvents.h"

#include <functional>
#include <optional>
#include <string>

namespace lettore {

// Remembers the link's last Errore, so that a caller can tell a port that
// could not be opened, or failed, and give the port's own text.
class ErrorWatcher : public LinkEvents {
public:
    // onError: called after each Errore has been recorded.
    explicit ErrorWatcher(std::function<void()> onError = {}) : m_onError(std::move(onError)) { }

    void Errore(int16_t ErroreCodice, const std::string& ErroreDescrizione) override
    {
        m_last = ErroreDescrizione.empty() ? "port error " + std::to_string(ErroreCodice) : ErroreDescrizione;
        if (m_onError)
            m_onError();
    }

    const std::optional<std::string>& last() const { return m_last; }
    void clear() { m_last.reset(); }

private:
    std::function<void()> m_onError;
    std::optional<std::string> m_last;
};

}  // namespace lettore
