#pragma once

#include "Port.h"

#include <cstddef>
#include <set>

namespace lettore::fuzz {

// Passes every call on to another port, except the calls chosen to fail:
// the n-th call from the moment of choosing throws instead, once.
class FaultyPort : public Port {
public:
    explicit FaultyPort(Port& inner) : m_inner(inner) {}

    void failCall(size_t callsFromNow, PortFailure kind)
    {
        m_failing.insert(m_calls + callsFromNow);
        m_kind = kind;
    }
    // Whether any call has failed so far.
    bool failed() const { return m_failed; }

    void setPortNumber(int16_t number) override { check(); m_inner.setPortNumber(number); }
    int16_t portNumber() override { check(); return m_inner.portNumber(); }
    void setSettings(const std::string& settings) override { check(); m_inner.setSettings(settings); }
    std::string settings() override { check(); return m_inner.settings(); }
    void setOpen(bool open) override { check(); m_inner.setOpen(open); }
    bool isOpen() override { check(); return m_inner.isOpen(); }
    void setDtrEnabled(bool enabled) override { check(); m_inner.setDtrEnabled(enabled); }
    void setRtsEnabled(bool enabled) override { check(); m_inner.setRtsEnabled(enabled); }
    void setInputLength(int length) override { check(); m_inner.setInputLength(length); }
    std::string read() override { check(); return m_inner.read(); }
    void write(const std::string& bytes) override { check(); m_inner.write(bytes); }
    int receiveThreshold() override { check(); return m_inner.receiveThreshold(); }
    void setReceiveThreshold(int threshold) override { check(); m_inner.setReceiveThreshold(threshold); }
    void setReceiveHandler(std::function<void(CommEvent)> handler) override
    {
        m_inner.setReceiveHandler(std::move(handler));
    }
    bool waitForInput(int timeoutMs) override { check(); return m_inner.waitForInput(timeoutMs); }
    std::optional<PortError> closedByDrop() override { return m_inner.closedByDrop(); }

private:
    void check()
    {
        if (m_failing.erase(m_calls++) == 0)
            return;
        m_failed = true;
        throw PortError(m_kind, 8015, "injected port failure");
    }

    Port& m_inner;
    std::set<size_t> m_failing;
    size_t m_calls = 0;
    PortFailure m_kind = PortFailure::Other;
    bool m_failed = false;
};

}  // namespace lettore::fuzz
