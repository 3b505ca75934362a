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
// port call, and failures injected into any operation.
//
// Calls are recorded as short strings: "port 3", "settings 9600,N,8,1",
// "open", "close", "dtr 1", "rts 1", "inputlen 0", "read 02 30" (hex of
// what was returned, "read" alone when nothing), "write 02 30 21",
// "threshold 0". Getters and waits are not recorded.
class SimulatedPort : public Port {
public:
    explicit SimulatedPort(ManualClock& clock);

    // Input: bytes that become readable at a clock time (compared across
    // the counter's wrap, so a time just past 2^32 works).
    void feedAt(uint32_t timeMs, const std::string& bytes) { m_scheduled.push_back({timeMs, bytes}); }
    // Bytes readable from now on.
    void feed(const std::string& bytes) { feedAt(m_clock.nowMs(), bytes); }
    // Called after every write with the bytes written; a test's peer can
    // feed its answer from here.
    std::function<void(const std::string&)> onWrite;

    // Record.
    const std::vector<std::string>& calls() const { return m_calls; }
    // The calls that change the port or the line: every call but reads.
    std::vector<std::string> controlCalls() const;
    const std::vector<std::string>& writes() const { return m_writes; }
    void clearRecord();

    // Failures: from now on, `operation` throws `error`. It is the first
    // word of a recorded call ("open", "read", "write", ...) or "wait".
    void failAlways(const std::string& operation, const PortError& error)
    {
        m_failAlways.insert_or_assign(operation, error);
    }
    // The next call that is `call` as recorded ("dtr 1", "port 2") or has
    // it as its first word ("close") throws `error`, once.
    void failNext(const std::string& call, const PortError& error) { m_failNext.insert_or_assign(call, error); }

    // Devices: a number marked busy fails to open as unavailable, one
    // marked missing as an invalid port number.
    void markBusy(int16_t number) { m_busy.insert(number); }
    void markMissing(int16_t number) { m_missing.insert(number); }

    // Delivers a receive notification as the platform would: only while
    // the threshold is at least 1. Returns whether it was delivered.
    bool notify(CommEvent event = CommEvent::ReceivedData);
    // The line drops between operations: the port closes itself for
    // `cause` and tells the handler, whatever the threshold.
    void dropLine(const PortError& cause);

    // Waits: how many were made, and how late each one returns after its
    // time-out, as on a loaded machine (0: exactly on time).
    size_t waitCount() const { return m_waitCount; }
    uint32_t oversleepMs = 0;
    // Reads allowed before every further read fails (0: no limit), so a
    // loop that spins without waiting ends in a port failure, not a hang.
    size_t maxReads = 0;

    // State, for assertions (not recorded).
    int threshold() const { return m_threshold; }
    bool open() const { return m_open; }
    int16_t number() const { return m_number; }

    // Port
    void setPortNumber(int16_t number) override;
    int16_t portNumber() override;
    void setSettings(const std::string& settings) override;
    std::string settings() override;
    void setOpen(bool open) override;
    bool isOpen() override;
    void setDtrEnabled(bool enabled) override;
    void setRtsEnabled(bool enabled) override;
    void setInputLength(int length) override;
    std::string read() override;
    void write(const std::string& bytes) override;
    int receiveThreshold() override;
    void setReceiveThreshold(int threshold) override;
    void setReceiveHandler(std::function<void(CommEvent)> handler) override;
    bool waitForInput(int timeoutMs) override;
    std::optional<PortError> closedByDrop() override;

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
