#include "DurableFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace lettore {

void DurableFile::fail(const char* what) { m_error = std::string(what) + ": " + std::strerror(errno); }

bool DurableFile::open(const std::filesystem::path& path, Mode mode)
{
    close();
    const int flags = _O_WRONLY | _O_CREAT | _O_BINARY | _O_NOINHERIT | (mode == Mode::Append ? _O_APPEND : _O_TRUNC);
    m_handle = ::_wopen(path.c_str(), flags, _S_IREAD | _S_IWRITE);
    if (m_handle < 0)
        fail("cannot open");
    return m_handle >= 0;
}

bool DurableFile::append(std::string_view bytes)
{
    while (!bytes.empty()) {
        const unsigned chunk = bytes.size() > 1u << 30 ? 1u << 30 : static_cast<unsigned>(bytes.size());
        const int written = ::_write(m_handle, bytes.data(), chunk);
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
    if (::_commit(m_handle) == 0)
        return true;
    fail("cannot write to the disk");
    return false;
}

void DurableFile::close()
{
    if (m_handle >= 0)
        ::_close(m_handle);
    m_handle = -1;
}

}  // namespace lettore
