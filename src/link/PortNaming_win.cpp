#include "PortNaming.h"

namespace lettore {

// Windows names its serial ports itself; the serial port library reaches
// COM10 and above on its own.
std::string PortNaming::platformDevicePath(int16_t number) const
{
    if (number < 1)
        return {};
    return "COM" + std::to_string(number);
}

// Windows device names are not links.
std::string PortNaming::resolved(const std::string& device) { return device; }

}  // namespace lettore
