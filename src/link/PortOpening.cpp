#include "PortOpening.h"

#include "PortAddress.h"
#include "QtPort.h"

#include <QSerialPort>

namespace lettore {

std::unique_ptr<ByteChannel> openPort(const std::string& address, const PortNaming& naming, const PortTable& table,
                                      const NetworkPort::NoticeHook& notice)
{
    const PortAddress parsed = PortAddress::parse(address);
    switch (parsed.kind) {
    case PortAddress::Kind::Number:
        if (const auto network = parsed.number ? table.address(*parsed.number) : std::nullopt)
            return std::make_unique<NetworkPort>(*network, notice);
        [[fallthrough]];
    case PortAddress::Kind::Device: return std::make_unique<QtPort>(naming, address);
    case PortAddress::Kind::Scheme:
        if (const auto network = NetworkAddress::parse(address))
            return std::make_unique<NetworkPort>(*network, notice);
        if (parsed.scheme == "tcp" || parsed.scheme == "rfc2217")
            throw PortError(PortFailure::InvalidPortNumber, QSerialPort::DeviceNotFoundError,
                            "\"" + address + "\" is not " + parsed.scheme + "://HOST:PORT");
        break;
    }
    throw PortError(PortFailure::InvalidPortNumber, QSerialPort::DeviceNotFoundError,
                    "No kind of port is reached by \"" + parsed.scheme + "://\" addresses");
}

PortOpener portOpener(PortNaming naming, PortTable table, NetworkPort::NoticeHook notice)
{
    return [naming = std::move(naming), table = std::move(table), notice = std::move(notice)](
               const std::string& address) { return openPort(address, naming, table, notice); };
}

}  // namespace lettore
