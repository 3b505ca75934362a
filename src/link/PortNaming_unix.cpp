#include "PortNaming.h"

#include <filesystem>
#include <system_error>

namespace lettore {

namespace fs = std::filesystem;

// A COM<N> link in the program's folder names the device; it is resolved
// so that two links to one device name the same device (the serial port
// library locks a device by its name). A link whose target is gone still
// names that target, so opening it reports a missing device rather than
// falling back to a different one.
std::string PortNaming::platformDevicePath(int16_t number) const
{
    if (!m_programDir.empty()) {
        const fs::path link = fs::path(m_programDir) / ("COM" + std::to_string(number));
        std::error_code error;
        if (fs::is_symlink(fs::symlink_status(link, error))) {
            const fs::path target = fs::canonical(link, error);
            if (!error)
                return target.string();
            const fs::path named = fs::read_symlink(link, error);
            return (link.parent_path() / named).lexically_normal().string();
        }
    }
    if (number < 1)
        return {};
    return "/dev/ttyS" + std::to_string(number - 1);
}

}  // namespace lettore
