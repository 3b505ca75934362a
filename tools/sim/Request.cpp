#include "Request.h"

#include "Frame.h"

namespace lettore::sim {

namespace {

bool inRange(char c, int low) { return c >= low && c <= low + 0x0F; }

// Names the command a data field carries, for the log.
std::string commandName(Request::Kind kind, const std::string& data)
{
    if (data.empty())
        return "empty data";
    if (data == std::string(1, Frame::ACK))
        return "acknowledgement";
    const bool set = kind != Request::Kind::Poll;
    const std::string rest = data.substr(1);
    switch (data[0]) {
    case '1': return set ? "setup base " + rest : "setup base query";
    case '2': return set ? "serial setup " + rest : "firmware version query";
    case '3': return set ? "output test " + rest : "transaction query";
    case '4':
        if (!set)
            return "first serial number query";
        if (data.size() >= 2 && data[1] == '1')
            return "white list add " + data.substr(2);
        if (data.size() >= 2 && data[1] == '2')
            return "white list delete " + data.substr(2);
        if (data.size() >= 2 && data[1] == '3')
            return "white list clear " + data.substr(2);
        break;
    case '5': return set ? "set address by card " + rest : "current serial number query";
    case '6': return set ? "unknown command" : "next serial number query";
    case '7': return set ? "unknown command" : "white list check " + rest;
    default: break;
    }
    return "unknown command";
}

}  // namespace

std::optional<int> Request::decodeAddress(char high, char low)
{
    if (!inRange(high, 0x30) || !inRange(low, 0x30))
        return std::nullopt;
    return Frame::address(high, low, true);
}

std::optional<Request> Request::parse(std::string_view frame)
{
    const std::optional<Frame> decoded = Frame::decode(frame);
    if (!decoded)
        return std::nullopt;
    Request request;
    request.kind = decoded->term == Frame::Broadcast ? Kind::Broadcast
                 : decoded->set                      ? Kind::Set
                                                     : Kind::Poll;
    request.address = decoded->term == Frame::Broadcast ? 0 : decoded->term;
    request.data = decoded->data;
    request.bccOk = Frame::checkHolds(frame);
    return request;
}

std::string Request::describe() const
{
    std::string text;
    switch (kind) {
    case Kind::Set: text = "reader " + std::to_string(address) + " S: "; break;
    case Kind::Poll: text = "reader " + std::to_string(address) + " P: "; break;
    case Kind::Broadcast: text = "all readers: "; break;
    }
    text += commandName(kind, data);
    if (!bccOk)
        text += " (bad check character)";
    return text;
}

}  // namespace lettore::sim
