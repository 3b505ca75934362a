#include "DurableFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace lettore {

bool DurableFile::open(const std::filesystem::path& path, Mode mode)
{
    close();
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::Append ? O_APPEND : O_TRUNC);
    m_handle = ::open(path.c_str(), flags, 0666);
    if (m_handle < 0)
        fail("cannot open");
    return m_handle >= 0;
}

long DurableFile::writeSome(std::string_view bytes)
{
    ssize_t written;
    do
        written = ::write(m_handle, bytes.data(), bytes.size());
    while (written < 0 && errno == EINTR);
    return written;
}

bool DurableFile::flush()
{
    if (::fsync(m_handle) == 0)
        return true;
    fail("cannot write to the disk");
    return false;
}

void DurableFile::close()
{
    if (m_handle >= 0)
        ::close(m_handle);
    m_handle = -1;
}

}  // namespace lettore
