#pragma once

#include "Fault.h"
#include "FrameSplitter.h"
#include "LineCommand.h"
#include "PseudoTerminal.h"
#include "ReaderSettings.h"
#include "ReadingSchedule.h"
#include "TrafficLog.h"
#include "Transmitter.h"
#include "VirtualReader.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace lettore::sim {

// How the line as a whole behaves.
struct LineSettings {
    bool pace = false;  // bytes take their real time at the line's rate
    bool multimaster = false;  // readers send badge readings on their own
    // Every so many seconds a badge from presentCodes is held to the next
    // reader in turn; 0: never.
    int presentEverySeconds = 0;
    std::vector<std::string> presentCodes{"0000000001", "0000000002", "0000000003"};
    FaultTiming faultTiming;
    std::chrono::milliseconds readingRepeat{2000};  // unconfirmed readings are sent again
    // A reading waits this long after the last frame heard, so that it does
    // not land between a request and its answer.
    std::chrono::milliseconds readingQuiet{50};
};

// An RS-485 line of emulated readers behind a pseudo-terminal. Frames the
// host writes to the slave side are cut out of the byte stream and reach
// every reader whose address they carry (all of them for a broadcast), but
// only a reader whose rate equals the rate the host has set on the line
// hears one. Answers, readings and faults go back through a Transmitter.
//
// The loop runs in the caller's thread (run) or its own (start); stop and
// submit may be called from any thread, stop also from a signal handler.
// Whatever the host and the program's input send, what the line holds stays
// bounded: see FrameSplitter, Transmitter and MaxWaitingCommands.
class VirtualLine {
public:
    using Clock = std::chrono::steady_clock;

    // Opens the pseudo-terminal; throws std::system_error on failure.
    // `log` may be null; it must outlive the line.
    VirtualLine(const std::vector<ReaderSettings>& readers, const LineSettings& settings, std::ostream* log = nullptr);
    ~VirtualLine();

    VirtualLine(const VirtualLine&) = delete;
    VirtualLine& operator=(const VirtualLine&) = delete;

    // The device path the host opens (another one after the line came back
    // on a new device).
    const std::string& slavePath() const { return m_pty.slavePath(); }
    // Makes `path` a symbolic link to the device, removed when the line
    // closes. Call it before the loop runs. Throws std::system_error.
    void linkAs(const std::string& path) { m_pty.linkAs(path); }

    // Serves the line until stop(), a "quit" command or a line drop that
    // is not to come back.
    void run();
    void start();
    void stop();

    // The loop also ends once `fd` is readable (a request to end the
    // program). Set it before the loop runs.
    void stopWhenReadable(int fd) { m_stopFd = fd; }

    // At most this many commands wait for the loop; submit() waits for room.
    static constexpr std::size_t MaxWaitingCommands = 256;
    // Queues a command for the loop, once there is room; false when the
    // loop has ended and will take no more.
    bool submit(const LineCommand& command);

    // Where the "state" command writes; null: nowhere. Set it before the
    // loop runs.
    void reportTo(std::ostream* out) { m_report = out; }
    // Told, in a sentence, what the line refuses or cannot do: a command
    // for a reader that is not on the line, a log that cannot be written.
    // Set it before the loop runs.
    void tellProblemsTo(const std::function<void(const std::string&)>& tell);

private:
    struct Slot {
        Slot(const ReaderSettings& settings, const LineSettings& line)
            : reader(settings), fault(settings.fault), readings(line.readingRepeat, line.readingQuiet)
        { }

        VirtualReader reader;
        Fault fault = Fault::None;
        ReadingSchedule readings;
        bool awaitsAck = false;  // its last answer was a Tolvane frame
    };

    void waitForWork(Clock::time_point now);
    void readLine();
    void handleFrame(const std::string& frame);
    // A lone byte from the host: an ACK confirms the Tolvane answer that
    // waits for it.
    void acknowledge(const std::string& byte, int lineBaud);
    void answer(Slot& slot, const std::string& bytes, int baudRate, std::size_t heardBytes);
    // Whether `bytes` fit in the transmitter's queue; when not, the log
    // says they are dropped.
    bool roomFor(const std::string& bytes);
    void sendReadings(Clock::time_point now);
    void presentOnSchedule(Clock::time_point now);
    void writeDue(Clock::time_point now);
    void runCommands();
    // No more commands are taken; a submit() waiting for room returns.
    void endCommands();
    void execute(const LineCommand& command);
    void dropLine(const std::string& why, int backAfterMs = -1);
    void comeBackIfDue(Clock::time_point now);
    Slot* slotAt(int address);
    Clock::duration byteTime(int baudRate) const;
    void logChanges(const VirtualReader& reader, int oldAddress, int oldBaud, const std::string& oldOutputs);

    PseudoTerminal m_pty;
    LineSettings m_settings;
    TrafficLog m_log;
    std::ostream* m_report = nullptr;
    std::vector<Slot> m_slots;
    FrameSplitter m_splitter;
    Transmitter m_transmitter;
    Clock::time_point m_lastHeard{};
    std::optional<Clock::time_point> m_nextPresent;
    std::size_t m_presented = 0;
    std::optional<Clock::time_point> m_comeBack;  // a dropped line is offered again

    std::function<void(const std::string&)> m_tellProblem;

    int m_wakeFd = -1;
    int m_stopFd = -1;
    std::atomic<bool> m_stopRequested = false;
    std::mutex m_commandsMutex;
    std::condition_variable m_roomForCommands;
    std::vector<LineCommand> m_commands;
    bool m_loopEnded = false;  // guarded by m_commandsMutex
    std::thread m_thread;
};

}  // namespace lettore::sim
