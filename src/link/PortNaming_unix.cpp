#include "PortNaming.h"

#include <filesystem>
#include <system_error>

namespace lettore {

namespace fs = std::filesystem;

namespace {

// The serial port library looks every name that does not start with "/",
// "./" or "../" up under /dev. A bare name ("ttyUSB0") is meant that way;
// a relative path with a folder in it ("odd/regular") names a file from the
// current directory, so it is made absolute before it reaches the library.
std::string fromCurrentDirectory(const fs::path& path)
{
    if (path.is_relative() && path.has_parent_path())
        return fs::absolute(path).lexically_normal().string();
    return path.string();
}

}  // namespace

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
        return fromCurrentDirectory(path);
    const fs::path target = fs::canonical(path, error);
    if (!error)
        return target.string();
    return fs::absolute(path.parent_path() / fs::read_symlink(path, error)).lexically_normal().string();
}

}  // namespace lettore
