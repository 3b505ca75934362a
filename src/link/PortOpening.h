#pragma once

#include "ByteChannel.h"
#include "PortNaming.h"

#include <memory>
#include <string>

namespace lettore {

// The channel an address names, closed (see PortAddress): a port number or
// a device path is the serial device PortNaming gives it. An address with a
// scheme ("tcp://HOST:PORT") is a channel of that scheme's kind; a scheme
// that has none yet fails as a port that does not exist.
std::unique_ptr<ByteChannel> openPort(const std::string& address, const PortNaming& naming);

// The programs' opener: openPort over `naming`.
PortOpener portOpener(PortNaming naming);

}  // namespace lettore
