#include "SocketTuning.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace lettore {

// The first probe after a third of the limit, then one every sixth, three
// unanswered ending it; TCP_MAXRT bounds a retransmission, in seconds.
void SocketTuning::noticeDeadPeer(intptr_t socket, int limitMs)
{
    const auto s = static_cast<SOCKET>(socket);
    const DWORD on = 1, idle = limitMs / 3000, interval = limitMs / 6000, count = 3, maxRt = limitMs / 1000;
    ::setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on);
    ::setsockopt(s, IPPROTO_TCP, TCP_KEEPIDLE, reinterpret_cast<const char*>(&idle), sizeof idle);
    ::setsockopt(s, IPPROTO_TCP, TCP_KEEPINTVL, reinterpret_cast<const char*>(&interval), sizeof interval);
    ::setsockopt(s, IPPROTO_TCP, TCP_KEEPCNT, reinterpret_cast<const char*>(&count), sizeof count);
    ::setsockopt(s, IPPROTO_TCP, TCP_MAXRT, reinterpret_cast<const char*>(&maxRt), sizeof maxRt);
}

// Windows has no such switch per read: its delayed acknowledgement stays.
void SocketTuning::acknowledgeAtOnce(intptr_t) { }

}  // namespace lettore
