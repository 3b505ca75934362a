#include "PortNaming.h"

#include <filesystem>
#include <system_error>

namespace lettore {

namespace fs = std::filesystem;

std::string PortNaming::platformDevicePath(int16_t number) const
{
    if (!m_programDir.empty()) {
        const fs::path link = fs::path(m_programDir) / ("COM" + std::to_string(number));
        std::error_code error;
        if (fs::is_symlink(fs::symlink_status(link, error)))
            return resolved(link.string());
    }
    if (number < 1)
        return {};
    return "/dev/ttyS" + std::to_string(number - 1);
}

// A device reached through links is named by its real path, so that every
// name of one device is the same name (the serial port library locks a
// device by its name). A link whose target is gone still names that
// target, so opening it reports a missing device rather than reaching a
// different one.
std::string PortNaming::resolved(const std::string& device)
{
    const fs::path path(device);
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error)))
        return device;
    const fs::path target = fs::canonical(path, error);
    if (!error)
        return target.string();
    return (path.parent_path() / fs::read_symlink(path, error)).lexically_normal().string();
}

}  // namespace lettore
