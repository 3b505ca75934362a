#pragma once

#include "ManualClock.h"
#include "Port.h"

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace lettore::test {

// A port for tests: input scripted against a ManualClock, a record of every
// port call ("port 3", "settings 9600,N,8,1", "open", "dtr 1", "rts 1",
// "inputlen 0", "read 02 30" or "read", "write 02 30 21", "threshold 0";
// getters and waits are not recorded), and failures injected into any.
class SimulatedPort : public Port {
public:
    explicit SimulatedPort(ManualClock& clock) : m_clock(clock) {}

    // Bytes that become readable at a clock time (across the counter's wrap).
    void feedAt(uint32_t timeMs, const std::string& bytes) { m_scheduled.push_back({timeMs, bytes}); }
    // Bytes readable from now on.
    void feed(const std::string& bytes) { feedAt(m_clock.nowMs(), bytes); }
    // Called after every write: a test's peer can feed its answer from here.
    std::function<void(const std::string&)> onWrite;

    const std::vector<std::string>& calls() const { return m_calls; }
    // The calls that change the port or the line: every call but reads.
    std::vector<std::string> controlCalls() const;
    const std::vector<std::string>& writes() const { return m_writes; }
    void clearRecord();

    // From now on `operation` (a recorded call's first word, or "wait") throws `error`.
    void failAlways(const std::string& operation, const PortError& error)
    {
        m_failAlways.insert_or_assign(operation, error);
    }
    // The next call recorded as `call` ("dtr 1") or with it as first word throws, once.
    void failNext(const std::string& call, const PortError& error) { m_failNext.insert_or_assign(call, error); }

    // A busy number fails to open as unavailable, a missing one as invalid.
    void markBusy(int16_t number) { m_busy.insert(number); }
    void markMissing(int16_t number) { m_missing.insert(number); }

    // A receive notification, delivered (true) only while the threshold is at least 1.
    bool notify(CommEvent event = CommEvent::ReceivedData);
    // The line drops: the port closes itself and tells the handler, whatever the threshold.
    void dropLine(const PortError& cause);

    // Waits made, and how late each returns after its time-out (a loaded machine).
    size_t waitCount() const { return m_waitCount; }
    uint32_t oversleepMs = 0;
    // Reads allowed before every further read fails (0: no limit): a spin ends, not hangs.
    size_t maxReads = 0;

    int threshold() const { return m_threshold; }
    bool open() const { return m_open; }
    int16_t number() const { return m_number; }

    void setPortNumber(int16_t number) override;
    int16_t portNumber() override { return m_number; }
    void setSettings(const std::string& settings) override { record("settings " + settings); m_settings = settings; }
    std::string settings() override { return m_settings; }
    void setOpen(bool open) override;
    bool isOpen() override { return m_open; }
    void setDtrEnabled(bool enabled) override { record(enabled ? "dtr 1" : "dtr 0"); }
    void setRtsEnabled(bool enabled) override { record(enabled ? "rts 1" : "rts 0"); }
    void setInputLength(int length) override { record("inputlen " + std::to_string(length)); m_inputLength = length; }
    std::string read() override;
    void write(const std::string& bytes) override;
    int receiveThreshold() override { return m_threshold; }
    void setReceiveThreshold(int threshold) override
    {
        record("threshold " + std::to_string(threshold));
        m_threshold = threshold;
    }
    void setReceiveHandler(std::function<void(CommEvent)> handler) override { m_handler = std::move(handler); }
    bool waitForInput(int timeoutMs) override;
    std::optional<PortError> closedByDrop() override { return m_open ? std::nullopt : m_dropCause; }

private:
    void record(const std::string& call);
    void maybeFail(const std::string& call);
    void releaseDueInput();

    ManualClock& m_clock;
    struct Scheduled {
        uint32_t due;
        std::string bytes;
    };
    std::vector<Scheduled> m_scheduled;  // in feeding order
    std::deque<char> m_input;
    std::vector<std::string> m_calls;
    std::vector<std::string> m_writes;
    std::map<std::string, PortError> m_failAlways;
    std::map<std::string, PortError> m_failNext;
    std::set<int16_t> m_busy;
    std::set<int16_t> m_missing;
    std::function<void(CommEvent)> m_handler;
    std::optional<PortError> m_dropCause;

    int16_t m_number = 1;
    std::string m_settings = "9600,N,8,1";
    bool m_open = false;
    int m_inputLength = 0;
    int m_threshold = 0;
    size_t m_waitCount = 0;
    size_t m_readCount = 0;
};

// Hex of bytes, "02 30 21".
std::string hex(const std::string& bytes);
// Bytes from space-separated hex, "02 30 21" -> "\x02\x30\x21".
std::string unhex(const std::string& text);

}  // namespace lettore::test
