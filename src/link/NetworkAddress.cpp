#include "NetworkAddress.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace lettore {

namespace {

constexpr std::string_view TcpPrefix = "tcp://", Rfc2217Prefix = "rfc2217://";

}  // namespace

bool NetworkAddress::isAddress(std::string_view text) { return text.find("://") != std::string_view::npos; }

std::optional<NetworkAddress> NetworkAddress::parse(std::string_view text)
{
    NetworkAddress out;
    // The scheme in any case, as in a URL.
    std::string scheme(text.substr(0, std::min(text.find("://"), text.size())));
    for (char& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string lowered = scheme + std::string(text.substr(scheme.size()));
    text = lowered;
    if (text.starts_with(TcpPrefix)) {
        text.remove_prefix(TcpPrefix.size());
    } else if (text.starts_with(Rfc2217Prefix)) {
        out.scheme = Scheme::Rfc2217;
        text.remove_prefix(Rfc2217Prefix.size());
    } else {
        return std::nullopt;
    }
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::string_view host = text.substr(0, colon);
    const std::string_view port = text.substr(colon + 1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    else if (host.find_first_of("[]:") != std::string_view::npos)
        return std::nullopt;
    if (host.empty() || host.find_first_of(" /?#@") != std::string_view::npos)
        return std::nullopt;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (port.empty() || error != std::errc() || end != port.data() + port.size() || value < 1 || value > 65535)
        return std::nullopt;
    out.host = std::string(host);
    out.port = static_cast<uint16_t>(value);
    return out;
}

std::string NetworkAddress::hostPort() const
{
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::string NetworkAddress::text() const
{
    return std::string(scheme == Scheme::Tcp ? TcpPrefix : Rfc2217Prefix) + hostPort();
}

}  // namespace lettore
