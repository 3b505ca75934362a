#include "PortNaming.h"

namespace lettore {

PortNaming::PortNaming(std::string programDir) : m_programDir(std::move(programDir)) {}

std::string PortNaming::devicePath(int16_t number) const
{
    if (!m_pinnedDevice.empty())
        return resolved(m_pinnedDevice);
    return platformDevicePath(number);
}

}  // namespace lettore
