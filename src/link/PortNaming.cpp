#include "PortNaming.h"

#include "PortAddress.h"

namespace lettore {

PortNaming::PortNaming(std::string programDir) : m_programDir(std::move(programDir)) { }

std::string PortNaming::devicePath(int16_t number) const
{
    if (!m_pinnedDevice.empty())
        return resolved(m_pinnedDevice);
    return platformDevicePath(number);
}

std::string PortNaming::deviceFor(const std::string& address) const
{
    const PortAddress parsed = PortAddress::parse(address);
    switch (parsed.kind) {
    case PortAddress::Kind::Number: return parsed.number ? devicePath(*parsed.number) : std::string();
    case PortAddress::Kind::Device: return parsed.rest.empty() ? std::string() : resolved(parsed.rest);
    case PortAddress::Kind::Scheme: break;
    }
    return {};
}

}  // namespace lettore
