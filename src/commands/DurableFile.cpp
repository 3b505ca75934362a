#include "DurableFile.h"

#include <system_error>

namespace lettore {

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
