#include "PortOpening.h"

#include "PortAddress.h"
#include "QtPort.h"

#include <QSerialPort>

namespace lettore {

std::unique_ptr<ByteChannel> openPort(const std::string& address, const PortNaming& naming)
{
    const PortAddress parsed = PortAddress::parse(address);
    switch (parsed.kind) {
    case PortAddress::Kind::Number:
    case PortAddress::Kind::Device:
        return std::make_unique<QtPort>(naming, address);
    case PortAddress::Kind::Scheme:
        break;
    }
    throw PortError(PortFailure::InvalidPortNumber, QSerialPort::DeviceNotFoundError,
                    "No kind of port is reached by \"" + parsed.scheme + "://\" addresses");
}

PortOpener portOpener(PortNaming naming)
{
    return [naming = std::move(naming)](const std::string& address) { return openPort(address, naming); };
}

}  // namespace lettore
