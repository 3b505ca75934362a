#include "TraceFile.h"

#include <fcntl.h>

namespace lettore {

// Opened without waiting: a named pipe with no reader fails at once
// (ENXIO) instead of blocking before anything is sent. Writes then wait as
// they do on standard output.
int TraceFile::openDescriptor(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd != -1)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace lettore
