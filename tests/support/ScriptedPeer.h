#pragma once

#include "PseudoTerminal.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace lettore::test {

// The far end of a pseudo-terminal line, on its own thread: it reads what
// the host writes and answers per a script, like a reader on the line.
//
// Steps are taken in order. A step fires once its whole request has
// arrived; the input up to the end of the request is then dropped, the
// reply written, and the line closed if the step says so. A repeating step
// stays at the head of the script and answers every such request.
class ScriptedPeer {
public:
    struct Step {
        std::string request;
        std::string reply;
        bool hangUp = false;  // close the line after the reply: the peer vanishes
        bool repeat = false;
    };

    // Starts reading the master side of `line`, which must outlive the peer.
    explicit ScriptedPeer(PseudoTerminal& line);
    ~ScriptedPeer();

    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    void expect(Step step);

    // Writes `bytes` to the host now, as a reader does on its own.
    void send(const std::string& bytes);

    // Waits until everything read from the host contains `bytes`.
    bool waitForReceived(const std::string& bytes, std::chrono::milliseconds limit);

private:
    void run();
    void takeSteps();  // with m_mutex held

    PseudoTerminal& m_line;
    std::atomic<bool> m_stop = false;
    std::mutex m_mutex;
    std::condition_variable m_receivedChanged;
    std::deque<Step> m_script;
    std::string m_received;
    std::string m_pending;  // received but not yet matched by a step
    bool m_hungUp = false;
    std::thread m_thread;
};

}  // namespace lettore::test
