#include "Request.h"

#include "Framing.h"
#include "ReadingDecoder.h"

namespace lettore::sim {

namespace {

constexpr char BroadcastByte = 0x60;

bool inRange(char c, int low) { return c >= low && c <= low + 0x0F; }

// Names the command a data field carries, for the log.
std::string commandName(Request::Kind kind, const std::string& data)
{
    if (data.empty())
        return "empty data";
    if (data == std::string(1, Framing::ACK))
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
    return ReadingDecoder::address(high, low, ReadingDecoder::Form::Set);
}

std::optional<Request> Request::parse(std::string_view frame)
{
    // STX, two address bytes, ETX, BCC at the least.
    if (frame.size() < 5 || frame.front() != Framing::STX || frame[frame.size() - 2] != Framing::ETX)
        return std::nullopt;
    Request request;
    const char high = frame[1];
    const char low = frame[2];
    if (high == BroadcastByte && low == BroadcastByte) {
        request.kind = Kind::Broadcast;
    } else if (const auto set = decodeAddress(high, low)) {
        request.kind = Kind::Set;
        request.address = *set;
    } else if (inRange(high, 0x30) && inRange(low, 0x20)) {
        request.kind = Kind::Poll;
        request.address = *ReadingDecoder::address(high, low, ReadingDecoder::Form::Poll);
    } else {
        return std::nullopt;
    }
    request.data = std::string(frame.substr(3, frame.size() - 5));
    request.bccOk = Framing::CalcolaBCC(frame.substr(0, frame.size() - 1)) == frame.back();
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
