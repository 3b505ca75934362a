#include "DurableFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace lettore {

void DurableFile::fail(const char* what) { m_error = std::string(what) + ": " + std::strerror(errno); }

bool DurableFile::open(const std::filesystem::path& path, Mode mode)
{
    close();
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::Append ? O_APPEND : O_TRUNC);
    m_handle = ::open(path.c_str(), flags, 0666);
    if (m_handle < 0)
        fail("cannot open");
    return m_handle >= 0;
}

bool DurableFile::append(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_handle, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            fail("cannot write");
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
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
