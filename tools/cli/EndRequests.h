#pragma once

#include <functional>
#include <memory>

namespace lettore {

// Requests from outside to end the program: Ctrl-C, and SIGTERM and SIGHUP
// where there are signals (on Windows, closing the console window). While
// an EndRequests lives they are noted instead of ending the process; there
// is one at a time. The platform's way is in EndRequests_unix.cpp or
// EndRequests_win.cpp.
class EndRequests {
public:
    // onRequest, when given, is called from the event loop once a request
    // came; without it the owner asks signal() when it can stop. From the
    // end of its life a request ends the process again.
    explicit EndRequests(std::function<void()> onRequest = {});
    ~EndRequests();

    // False when onRequest cannot be delivered (the platform refused what
    // it takes); requests then end the process as before.
    bool watching() const { return m_watching; }
    // 0 while no request came, else the signal number of the request
    // (SIGINT 2 for Ctrl-C, SIGTERM 15, SIGHUP 1): a program that stops for
    // it exits with 128 plus that number.
    static int signal();

private:
    struct Watch;  // the platform's own; it keeps an EndRequests from being copied

    std::function<void()> m_onRequest;
    std::unique_ptr<Watch> m_watch;
    bool m_watching = false;
};

}  // namespace lettore
