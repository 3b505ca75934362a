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

// The far end of a pseudo-terminal line, on its own thread, answering the host per a script. Steps fire in order once
// their whole request has come (input up to it is dropped); a repeating step answers every such request.
class ScriptedPeer {
public:
    struct Step {
        std::string request, reply;
        bool repeat = false;
    };

    // Starts reading the master side of `line`, which must outlive the peer.
    explicit ScriptedPeer(PseudoTerminal& line);
    ~ScriptedPeer();
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
    std::thread m_thread;
};

}  // namespace lettore::test
