#pragma once

#include "ByteText.h"
#include "ManualClock.h"
#include "Port.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace lettore::test {

// Hex of bytes, "02 30 21".
inline std::string hex(const std::string& bytes) { return ByteText::hex(bytes); }

// Bytes from space-separated hex, "02 30 21" -> "\x02\x30\x21".
inline std::string unhex(const std::string& text)
{
    std::istringstream in(text);
    std::string out;
    for (unsigned value = 0; in >> std::hex >> value;)
        out += static_cast<char>(value);
    return out;
}

// A port for tests: input scripted against a ManualClock, a record of every
// port call ("port 3", "settings 9600,N,8,1", "open", "dtr 1", "rts 1",
// "inputlen 0", "read 02 30" or "read", "write 02 30 21", "threshold 0";
// getters and waits are not recorded), and failures injected into any.
class SimulatedPort : public Port {
public:
    explicit SimulatedPort(ManualClock& clock) : m_clock(clock) {}

    // Bytes that become readable at a clock time (across the counter's wrap).
    void feedAt(uint32_t ms, const std::string& bytes) { m_scheduled.push_back({ms, bytes}); }
    void feed(const std::string& bytes) { feedAt(m_clock.nowMs(), bytes); }
    // Called after every write: a test's peer can feed its answer from here.
    std::function<void(const std::string&)> onWrite;

    const std::vector<std::string>& calls() const { return m_calls; }
    // The calls that change the port or the line: every call but reads.
    std::vector<std::string> controlCalls() const
    {
        std::vector<std::string> out = m_calls;
        std::erase_if(out, [](const std::string& call) { return call.starts_with("read"); });
        return out;
    }
    const std::vector<std::string>& writes() const { return m_writes; }
    void clearRecord()
    {
        m_calls.clear();
        m_writes.clear();
    }

    // From now on `operation` (a recorded call's first word, or "wait") throws `error`.
    void failAlways(const std::string& operation, const PortError& error)
    {
        m_failAlways.insert_or_assign(operation, error);
    }
    // The next call recorded as `call` ("dtr 1") or with it as first word throws, once.
    void failNext(const std::string& call, const PortError& error) { m_failNext.insert_or_assign(call, error); }
    // The port call `callsFromNow` calls on (0: the next; getters and waits count
    // too) fails once, before it does anything, as the latest `kind` chosen.
    void failCall(size_t callsFromNow, PortFailure kind)
    {
        m_failingCalls.insert(m_portCalls + callsFromNow);
        m_failingKind = kind;
    }
    bool callFailed() const { return m_callFailed; }

    // A busy number fails to open as unavailable, a missing one as invalid.
    void markBusy(int16_t number) { m_busy.insert(number); }
    void markMissing(int16_t number) { m_missing.insert(number); }

    // A receive notification, delivered (true) only while the threshold is at least 1.
    bool notify(CommEvent event = CommEvent::ReceivedData)
    {
        if (m_threshold < 1 || !m_handler)
            return false;
        m_handler(event);
        return true;
    }
    // The line drops: the port closes itself and tells the handler, whatever the threshold.
    void dropLine(const PortError& cause)
    {
        m_open = false;
        m_dropCause = cause;
        if (m_handler)
            m_handler(CommEvent::LineDropped);
    }

    // How late each wait returns after its time-out (a loaded machine).
    uint32_t oversleepMs = 0;
    // Reads allowed before every further read fails (0: no limit): a spin ends, not hangs.
    size_t maxReads = 0;

    int threshold() const { return m_threshold; }
    bool open() const { return m_open; }
    int16_t number() const { return m_number; }

    void setPortNumber(int16_t number) override
    {
        countCall();
        if (m_open)
            throw PortError(PortFailure::Other, 8000, "Operation not valid while the port is opened");
        record("port " + std::to_string(number));
        m_number = number;
    }
    int16_t portNumber() override { return countCall().m_number; }
    void setSettings(const std::string& settings) override
    {
        countCall().record("settings " + settings);
        m_settings = settings;
    }
    std::string settings() override { return countCall().m_settings; }
    void setOpen(bool open) override
    {
        countCall();
        if (open && m_open)
            throw PortError(PortFailure::AlreadyOpen, 8005, "Port already open");
        if (open && m_busy.count(m_number))
            throw PortError(PortFailure::DeviceUnavailable, 68, "Device unavailable");
        if (open && m_missing.count(m_number))
            throw PortError(PortFailure::InvalidPortNumber, 8002, "Invalid port number");
        record(open ? "open" : "close");
        m_open = open;
        m_dropCause.reset();
    }
    bool isOpen() override { return countCall().m_open; }
    void setDtrEnabled(bool enabled) override { countCall().record(enabled ? "dtr 1" : "dtr 0"); }
    void setRtsEnabled(bool enabled) override { countCall().record(enabled ? "rts 1" : "rts 0"); }
    void setInputLength(int length) override
    {
        countCall().record("inputlen " + std::to_string(length));
        m_inputLength = length;
    }
    std::string read() override
    {
        countCall();
        maybeFail("read");
        if (maxReads != 0 && ++m_readCount > maxReads)
            throw PortError(PortFailure::Other, 8020, "Read limit of the simulated port reached");
        requireOpen();
        releaseDueInput();
        const std::string out = m_input.substr(0, m_inputLength == 0 ? std::string::npos : m_inputLength);
        m_input.erase(0, out.size());
        record(out.empty() ? "read" : "read " + hex(out));
        return out;
    }
    void write(const std::string& bytes) override
    {
        countCall();
        requireOpen();
        record("write " + hex(bytes));
        m_writes.push_back(bytes);
        if (onWrite)
            onWrite(bytes);
    }
    int receiveThreshold() override { return countCall().m_threshold; }
    void setReceiveThreshold(int threshold) override
    {
        countCall().record("threshold " + std::to_string(threshold));
        m_threshold = threshold;
    }
    void setReceiveHandler(std::function<void(CommEvent)> h) override { m_handler = std::move(h); }
    bool waitForInput(int timeoutMs) override
    {
        countCall();
        maybeFail("wait");
        releaseDueInput();
        if (!m_input.empty())
            return true;
        // What is still scheduled is sorted, the soonest first, and not yet due.
        const uint32_t limit = timeoutMs > 0 ? static_cast<uint32_t>(timeoutMs) : 0;
        const uint32_t toNext = m_scheduled.empty() ? UINT32_MAX : m_scheduled.front().due - m_clock.nowMs();
        m_clock.advance(toNext <= limit ? toNext : limit + oversleepMs);
        return toNext <= limit;
    }
    std::optional<PortError> closedByDrop() override { return m_open ? std::nullopt : m_dropCause; }

private:
    void requireOpen() const
    {
        if (!m_open)
            throw PortError(PortFailure::Other, 8018, "Operation valid only when the port is open");
    }

    // Every call through the port interface counts towards failCall.
    SimulatedPort& countCall()
    {
        if (m_failingCalls.erase(m_portCalls++) == 0)
            return *this;
        m_callFailed = true;
        throw PortError(m_failingKind, 8015, "injected port failure");
    }

    // A call fails before it is recorded.
    void record(const std::string& call)
    {
        maybeFail(call);
        m_calls.push_back(call);
    }

    void maybeFail(const std::string& call)
    {
        const std::string operation = call.substr(0, call.find(' '));
        if (auto it = m_failAlways.find(operation); it != m_failAlways.end())
            throw it->second;
        for (const std::string& key : {call, operation}) {
            if (auto it = m_failNext.find(key); it != m_failNext.end()) {
                const PortError error = it->second;
                m_failNext.erase(it);
                throw error;
            }
        }
    }

    void releaseDueInput()
    {
        // Stable: bytes due at the same time keep their feeding order.
        const uint32_t now = m_clock.nowMs();
        std::stable_sort(m_scheduled.begin(), m_scheduled.end(), [now](auto& a, auto& b) {
            return static_cast<int32_t>(a.due - now) < static_cast<int32_t>(b.due - now);
        });
        auto it = m_scheduled.begin();
        // Due at or before now, across the counter's wrap.
        for (; it != m_scheduled.end() && static_cast<int32_t>(now - it->due) >= 0; ++it)
            m_input += it->bytes;
        m_scheduled.erase(m_scheduled.begin(), it);
    }

    ManualClock& m_clock;
    struct Scheduled { uint32_t due; std::string bytes; };
    std::vector<Scheduled> m_scheduled;  // in feeding order
    std::string m_input;
    std::vector<std::string> m_calls, m_writes;
    std::map<std::string, PortError> m_failAlways, m_failNext;
    std::set<int16_t> m_busy, m_missing;
    std::function<void(CommEvent)> m_handler;
    std::optional<PortError> m_dropCause;
    std::set<size_t> m_failingCalls;
    size_t m_portCalls = 0;
    PortFailure m_failingKind = PortFailure::Other;
    bool m_callFailed = false;

    int16_t m_number = 1;
    std::string m_settings = "9600,N,8,1";
    bool m_open = false;
    size_t m_inputLength = 0;  // 0: all that is waiting
    int m_threshold = 0;
    size_t m_readCount = 0;
};

}  // namespace lettore::test
