#include "StandardStreams.h"

#include <cerrno>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace lettore {

bool StandardStreams::holdClosed()
{
    bool outputOpen = true;
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        outputOpen = outputOpen && fd != STDOUT_FILENO;
        // The lowest free descriptor: the closed one.
        ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    }
    return outputOpen;
}

bool StandardStreams::errorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace lettore
