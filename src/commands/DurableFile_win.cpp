#include "DurableFile.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace lettore {

bool DurableFile::open(const std::filesystem::path& path, Mode mode)
{
    close();
    const int flags = _O_WRONLY | _O_CREAT | _O_BINARY | _O_NOINHERIT | (mode == Mode::Append ? _O_APPEND : _O_TRUNC);
    m_handle = ::_wopen(path.c_str(), flags, _S_IREAD | _S_IWRITE);
    if (m_handle < 0)
        fail("cannot open");
    return m_handle >= 0;
}

long DurableFile::writeSome(std::string_view bytes)
{
    // _write takes an unsigned count: at most 1 GiB a call.
    const unsigned chunk = bytes.size() > 1u << 30 ? 1u << 30 : static_cast<unsigned>(bytes.size());
    return ::_write(m_handle, bytes.data(), chunk);
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
