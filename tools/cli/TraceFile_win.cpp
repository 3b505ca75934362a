#include "TraceFile.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace lettore {

// Windows has no named pipes in the file system to wait on.
int TraceFile::openDescriptor(const std::string& path)
{
    return ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
}

}  // namespace lettore
