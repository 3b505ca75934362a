#include "DurableFile.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace lettore {

void DurableFile::fail(const char* what) { m_error = std::string(what) + ": " + std::strerror(errno); }

bool DurableFile::append(std::string_view bytes)
{
    while (!bytes.empty()) {
        const long written = writeSome(bytes);
        if (written <= 0) {
            fail("cannot write");
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool DurableFile::replace(const std::filesystem::path& path, std::string_view content, std::string& error)
{
    std::filesystem::path fresh = path;
    fresh += ".new";
    DurableFile file;
    if (!file.open(fresh, Mode::Replace) || !file.append(content) || !file.flush()) {
        error = file.error();
        return false;
    }
    file.close();
    std::error_code failure;
    std::filesystem::rename(fresh, path, failure);
    if (failure)
        error = failure.message();
    return !failure;
}

}  // namespace lettore
