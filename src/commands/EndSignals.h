#pragma once

namespace lettore {

// Requests from outside to end the program: SIGINT (Ctrl-C), SIGTERM (kill,
// a session logging out) and SIGHUP (its terminal gone). While an
// EndSignals lives they are noted instead of ending the process: the
// handler only notes the signal and writes a byte to a pipe, whose read end
// the program's own loop watches (a socket notifier, poll), so the program
// ends its own way, from its loop. One at a time. POSIX only: on Windows
// the programs hear such requests through their console or windows.
class EndSignals {
public:
    // What a system call that a request interrupts does: carry on
    // (Restarted), or fail with EINTR (Interrupted), so that a program
    // blocked in a write can give it up.
    enum class Calls { Restarted, Interrupted };

    explicit EndSignals(Calls calls = Calls::Restarted);
    // The default actions are back: a request ends the process again.
    ~EndSignals();

    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

    // False when the pipe could not be made: requests then end the process
    // as they would without an EndSignals.
    bool watching() const { return m_watching; }
    // Readable once a request came; -1 when not watching.
    int fd() const;
    // 0 while no request came since the last EndSignals was made, else the
    // signal number of the latest (a program that stops for it exits with
    // 128 plus that number).
    static int received();
    // From now on a request ends the process at once: a second request
    // while the program is busy acting on the first.
    void release();

private:
    bool m_watching = false;
};

}  // namespace lettore
