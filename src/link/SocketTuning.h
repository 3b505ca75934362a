#pragma once

#include <cstdint>

namespace lettore {

// What NetworkPort needs of a connected socket that Qt does not offer; the
// platform's way is in SocketTuning_unix.cpp or SocketTuning_win.cpp.
class SocketTuning {
public:
    // Makes the system end the connection when the far end is gone for
    // about limitMs: keepalive probes while the line is quiet, and a limit
    // on how long sent bytes may stay unacknowledged. TCP's own defaults
    // take two hours and more. Best effort: an option the system lacks is
    // left out.
    static void noticeDeadPeer(intptr_t socket, int limitMs);

    // Acknowledges what arrives at once rather than after the system's
    // delay (up to 40 ms): a device server that sends an answer in several
    // small segments waits for that acknowledgement before the next one.
    // Lasts until the next read on some systems, so it is asked after each.
    static void acknowledgeAtOnce(intptr_t socket);
};

}  // namespace lettore
