#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lettore {

// What an address names: a port number ("5", the link's CommPort), a
// device path ("/dev/ttyUSB0", "ttyUSB0", "COM3"), or a channel of another
// kind, written "scheme://rest" ("tcp://host:4001"). Port numbers outside
// the 16-bit range reach no device.
struct PortAddress {
    enum class Kind { Number, Device, Scheme };

    Kind kind = Kind::Device;
    std::optional<int16_t> number;  // Number: the port number, if it is one at all
    std::string scheme;  // Scheme: "tcp", ...
    std::string rest;  // Device: the path; Scheme: what follows "://"

    static PortAddress parse(const std::string& address);

    // The address of port number `number`.
    static std::string ofNumber(int16_t number) { return std::to_string(number); }
};

}  // namespace lettore
