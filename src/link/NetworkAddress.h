#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lettore {

// A port reached over the network: "tcp://HOST:PORT" carries the line's
// bytes as they are; "rfc2217://HOST:PORT" carries them with the line's
// settings and DTR (Telnet COM-PORT-OPTION). HOST is a name, an IPv4
// address or an IPv6 address in brackets; PORT is 1 to 65535.
struct NetworkAddress {
    enum class Scheme { Tcp, Rfc2217 };

    Scheme scheme = Scheme::Tcp;
    std::string host;
    uint16_t port = 0;

    // The address a text names; nothing when it names none.
    static std::optional<NetworkAddress> parse(std::string_view text);
    // True for a text that is meant as an address (it has a scheme), well
    // formed or not: such a text is never a device path.
    static bool isAddress(std::string_view text);

    std::string text() const;  // "rfc2217://127.0.0.1:4001"
    std::string hostPort() const;  // "127.0.0.1:4001"

    bool operator==(const NetworkAddress&) const = default;
};

}  // namespace lettore
