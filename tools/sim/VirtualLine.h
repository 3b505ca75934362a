#pragma once

#include "LineCommand.h"
#include "PseudoTerminal.h"
#include "ReaderBus.h"
#include "ReaderSettings.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace lettore::sim {

// An RS-485 line of emulated readers behind a pseudo-terminal: a ReaderBus
// hears what the host writes to the slave side, at the rate the host has set
// on the line, and what it sends goes out on the master side when due. The
// pseudo-terminal closes when the bus drops the line and is opened anew when
// the bus wants it back.
//
// The loop runs in the caller's thread (run) or its own (start); stop and
// submit may be called from any thread, stop also from a signal handler.
// Whatever the host and the program's input send, what the line holds stays
// bounded: see ReaderBus and MaxWaitingCommands.
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
    void reportTo(std::ostream* out) { m_bus.reportTo(out); }
    // Told, in a sentence, what the line refuses or cannot do: a command
    // for a reader that is not on the line, a log that cannot be written.
    // Set it before the loop runs.
    void tellProblemsTo(const std::function<void(const std::string&)>& tell) { m_bus.tellProblemsTo(tell); }

private:
    void waitForWork(Clock::time_point now);
    void readLine();
    void writeDue(Clock::time_point now);
    void runCommands();
    // No more commands are taken; a submit() waiting for room returns.
    void endCommands();
    // Closes the pseudo-terminal once the bus has dropped the line.
    void followBus();
    void comeBackIfDue(Clock::time_point now);

    PseudoTerminal m_pty;
    ReaderBus m_bus;

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
