#pragma once

#include "ByteChannel.h"
#include "ByteText.h"
#include "ManualClock.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
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

// A scripted line and the opener of its channels: input due on a ManualClock, calls recorded ("open",
// "write 02 30 21", "read", "dtr 1") and failures injected into any. All channels share the one line.
class SimulatedPort {
public:
    explicit SimulatedPort(ManualClock& clock) : m_clock(clock) { }

    PortOpener opener()
    {
        return [this](const std::string& address) -> std::unique_ptr<ByteChannel> {
            countCall().record("port " + address);
            m_number = static_cast<int16_t>(std::stoi(address));
            return std::make_unique<Channel>(*this, m_number);
        };
    }

    // Bytes that become readable at a clock time (across the counter's wrap).
    void feedAt(uint32_t ms, const std::string& bytes) { m_scheduled.push_back({ms, bytes}); }
    void feed(const std::string& bytes) { feedAt(m_clock.nowMs(), bytes); }
    // Called after every write: a test's peer feeds its answer from here.
    std::function<void(const std::string&)> onWrite;

    const std::vector<std::string>& calls() const { return m_calls; }
    // Every call but reads and discards.
    std::vector<std::string> controlCalls() const
    {
        std::vector<std::string> out = m_calls;
        std::erase_if(out,
                      [](const std::string& call) { return call.starts_with("read") || call.starts_with("discard"); });
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
    // The port call `callsFromNow` calls on (0: the next; getters and waits count) fails once, as `kind`.
    void failCall(size_t callsFromNow, PortFailure kind)
    {
        m_failingCalls.insert(m_portCalls + callsFromNow);
        m_failingKind = kind;
    }

    // A busy number fails to open as unavailable, a missing one as invalid.
    void markBusy(int16_t number) { m_busy.insert(number); }
    void markMissing(int16_t number) { m_missing.insert(number); }

    // A receive notification; true if delivered (notifications on).
    bool notify(CommEvent event = CommEvent::ReceivedData)
    {
        if (m_threshold < 1 || !m_handler)
            return false;
        m_handler(event);
        return true;
    }
    // The port closes itself and tells the handler, whatever the threshold.
    void dropLine(const PortError& cause)
    {
        m_open = false;
        m_dropCause = cause;
        if (m_handler)
            m_handler(CommEvent::LineDropped);
    }

    // How long each write takes, calling the wait hook every 100 ms.
    uint32_t writeStallMs = 0;
    // How late each wait returns after its time-out.
    uint32_t oversleepMs = 0;
    // Reads allowed before every further read fails (0: no limit), so a spin ends.
    size_t maxReads = 0;

    int threshold() const { return m_threshold; }
    bool open() const { return m_open; }
    int16_t number() const { return m_number; }
    const std::string& settings() const { return m_settings; }
    // The input due by now that nobody has read.
    std::string pending()
    {
        releaseDueInput();
        return m_input;
    }

private:
    class Channel : public ByteChannel, public LineControl {
    public:
        Channel(SimulatedPort& line, int16_t number) : m_line(line), m_number(number) { }

        void open() override { m_line.open(m_number); }
        void close() override { m_line.close(); }
        bool isOpen() override { return m_line.countCall().m_open; }
        std::string read(size_t maxBytes) override { return m_line.read("read", maxBytes); }
        std::string discardInput() override { return m_line.read("discard", SIZE_MAX); }
        void write(const std::string& bytes) override { m_line.write(bytes); }
        bool waitForInput(int timeoutMs) override { return m_line.waitForInput(timeoutMs); }
        void setWaitTurn(std::function<bool()> turn) override { m_line.m_waitTurn = std::move(turn); }
        void setInputNotifications(bool on) override
        {
            m_line.countCall().record(on ? "notify 1" : "notify 0");
            m_line.m_threshold = on ? 1 : 0;
        }
        void setEventHandler(std::function<void(CommEvent)> h) override { m_line.m_handler = std::move(h); }
        std::optional<PortError> closedByDrop() override { return m_line.m_open ? std::nullopt : m_line.m_dropCause; }
        LineControl* lineControl() override { return this; }
        void setSettings(const std::string& settings) override
        {
            m_line.countCall().record("settings " + settings);
            m_line.m_settings = settings;
        }
        std::string settings() override { return m_line.countCall().m_settings; }
        void setDtrEnabled(bool enabled) override { m_line.countCall().record(enabled ? "dtr 1" : "dtr 0"); }
        void setRtsEnabled(bool enabled) override { m_line.countCall().record(enabled ? "rts 1" : "rts 0"); }

    private:
        SimulatedPort& m_line;
        const int16_t m_number;
    };

    void open(int16_t number)
    {
        countCall();
        if (m_open)
            throw PortError(PortFailure::AlreadyOpen, 8005, "Port already open");
        if (m_busy.count(number))
            throw PortError(PortFailure::DeviceUnavailable, 68, "Device unavailable");
        if (m_missing.count(number))
            throw PortError(PortFailure::InvalidPortNumber, 8002, "Invalid port number");
        record("open");
        m_open = true;
        m_number = number;
        m_dropCause.reset();
    }
    void close()
    {
        countCall().record("close");
        m_open = false;
        m_dropCause.reset();
    }
    std::string read(const std::string& call, size_t maxBytes)
    {
        countCall();
        maybeFail(call);
        if (maxReads != 0 && ++m_readCount > maxReads)
            throw PortError(PortFailure::Other, 8020, "Read limit of the simulated port reached");
        requireOpen();
        releaseDueInput();
        const std::string out = m_input.substr(0, maxBytes);
        m_input.erase(0, out.size());
        record(out.empty() ? call : call + " " + hex(out));
        return out;
    }
    void write(const std::string& bytes)
    {
        countCall();
        requireOpen();
        for (uint32_t waited = 0; waited < writeStallMs; waited += 100) {
            m_clock.advance(100);
            if (m_waitTurn && !m_waitTurn())
                throw PortError(PortFailure::Abandoned, 8021, "write abandoned");
        }
        record("write " + hex(bytes));
        m_writes.push_back(bytes);
        if (onWrite)
            onWrite(bytes);
    }
    bool waitForInput(int timeoutMs)
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

    void requireOpen() const
    {
        if (!m_open)
            throw PortError(PortFailure::Other, 8018, "Operation valid only when the port is open");
    }

    SimulatedPort& countCall()
    {
        if (m_failingCalls.erase(m_portCalls++) == 0)
            return *this;
        throw PortError(m_failingKind, 8015, "injected port failure");
    }

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
    struct Scheduled {
        uint32_t due;
        std::string bytes;
    };
    std::vector<Scheduled> m_scheduled;  // in feeding order
    std::string m_input;
    std::vector<std::string> m_calls, m_writes;
    std::map<std::string, PortError> m_failAlways, m_failNext;
    std::set<int16_t> m_busy, m_missing;
    std::function<void(CommEvent)> m_handler;
    std::function<bool()> m_waitTurn;
    std::optional<PortError> m_dropCause;
    std::set<size_t> m_failingCalls;
    size_t m_portCalls = 0;
    PortFailure m_failingKind = PortFailure::Other;

    int16_t m_number = 1;
    std::string m_settings = "9600,N,8,1";
    bool m_open = false;
    int m_threshold = 0;
    size_t m_readCount = 0;
};

}  // namespace lettore::test
