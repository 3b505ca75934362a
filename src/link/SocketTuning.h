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
};

}  // namespace lettore
