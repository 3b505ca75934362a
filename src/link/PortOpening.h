#pragma once

#include "ByteChannel.h"
#include "NetworkPort.h"
#include "PortNaming.h"
#include "PortTable.h"

#include <memory>
#include <string>

namespace lettore {

// The channel an address names, closed (see PortAddress): a port number
// that `table` gives an address is that address's channel; any other
// number, or a device path, is the serial device PortNaming gives it.
// "tcp://HOST:PORT" and "rfc2217://HOST:PORT" are a device server's line
// (NetworkPort, which tells `notice` what it says once); another scheme,
// or one of these without a host and port, fails as a port that does not
// exist.
std::unique_ptr<ByteChannel> openPort(const std::string& address, const PortNaming& naming, const PortTable& table = {},
                                      const NetworkPort::NoticeHook& notice = {});

// The programs' opener: openPort over `naming`, `table` and `notice`.
PortOpener portOpener(PortNaming naming, PortTable table = {}, NetworkPort::NoticeHook notice = {});

}  // namespace lettore
