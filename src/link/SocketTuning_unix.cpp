#include "SocketTuning.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace lettore {

// The first probe after a third of the limit, then one every sixth, three
// unanswered ending it: all within the limit.
void SocketTuning::noticeDeadPeer(intptr_t socket, int limitMs)
{
    const int fd = static_cast<int>(socket);
    const int on = 1, idle = limitMs / 3000, interval = limitMs / 6000, count = 3;
    const unsigned userTimeout = static_cast<unsigned>(limitMs);
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
#ifdef TCP_USER_TIMEOUT
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeout, sizeof userTimeout);
#endif
}

void SocketTuning::acknowledgeAtOnce(intptr_t socket)
{
#ifdef TCP_QUICKACK
    const int on = 1;
    ::setsockopt(static_cast<int>(socket), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
#endif
}

}  // namespace lettore
