#include "Request.h"

#include "Frame.h"
#include "ReaderCommand.h"

#include <cstring>

namespace lettore::sim {

namespace {

bool inRange(char c, int low) { return c >= low && c <= low + 0x0F; }

// Names the command a data field carries, for the log: its name in the
// command set, then what follows its code ("CreaBadge 0000000042").
std::string commandName(Request::Kind kind, const std::string& data)
{
    if (data.empty())
        return "empty data";
    const ReaderCommand* command = Request::command(kind, data);
    if (!command)
        return "unknown command";
    const std::string rest = data.substr(std::strlen(command->code));
    return command->name + (rest.empty() ? "" : " " + rest);
}

}  // namespace

const ReaderCommand* Request::command(Kind kind, const std::string& data)
{
    return ReaderCommand::carriedBy(kind == Kind::Poll ? "P" : "S", data);
}

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
    request.kind = decoded->term == Frame::Broadcast ? Kind::Broadcast : decoded->set ? Kind::Set : Kind::Poll;
    request.address = decoded->term == Frame::Broadcast ? 0 : decoded->term;
    request.data = decoded->data;
    request.bccOk = Frame::checkHolds(frame);
    return request;
}

std::optional<Request> Request::heardBy(std::string_view frame, const Dialect& model, int address)
{
    if (&model == &Dialect::sibrant2()) {
        auto request = parse(frame);
        if (request && request->kind != Kind::Broadcast && request->address != address)
            return std::nullopt;
        return request;
    }
    // The data lies after STX, the two address bytes, and before ETX and
    // the check character; in a Tolvane set request after EOT EOT STX and
    // the address, before ETX. A Tolvane poll carries none.
    const bool tolvane = model.answers == Frame::Rule::Tolvane;
    const bool tolvanePoll = tolvane && !frame.empty() && frame.back() == Frame::ENQ;
    const std::size_t head = tolvane ? 4 : 3;
    const std::size_t tail = tolvane ? 1 : 2;
    if (!tolvanePoll && frame.size() < head + tail)
        return std::nullopt;
    const std::string data(tolvanePoll ? std::string_view() : frame.substr(head, frame.size() - head - tail));
    // A Tolvane poll carries no data: the reader takes it as the
    // transaction query.
    const std::string asked = tolvanePoll ? "3" : data;
    const std::size_t compared = tolvane ? frame.size() : frame.size() - 1;
    // The model's broadcast address. Its bytes may equal another reader's
    // own (0x40: broadcast poll, reader 0 set): a reader takes its own
    // address first, and one at the broadcast address hears only
    // broadcasts, as the host sends them.
    constexpr int everyReader = 32;
    for (const int term : {address, everyReader}) {
        for (const bool set : {true, false}) {
            const auto bytes = model.encode(Frame{static_cast<int16_t>(term), set, data});
            if (!bytes || bytes->size() != frame.size() || bytes->compare(0, compared, frame, 0, compared) != 0)
                continue;
            Request request;
            request.kind = term == everyReader ? Kind::Broadcast : set ? Kind::Set : Kind::Poll;
            request.address = term == everyReader ? 0 : address;
            request.data = asked;
            request.bccOk = tolvane || Frame::checkHolds(frame);
            return request;
        }
    }
    return std::nullopt;
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
