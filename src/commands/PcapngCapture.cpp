#include "PcapngCapture.h"

#include "TrafficDecoder.h"
#include "WallTime.h"

#include <cstring>

namespace lettore {

namespace {

using Direction = TrafficRow::Direction;
using Kind = TrafficRow::Kind;

constexpr uint32_t SectionHeader = 0x0A0D0D0A;
constexpr uint32_t InterfaceDescription = 0x00000001;
constexpr uint32_t EnhancedPacket = 0x00000006;
constexpr uint32_t ByteOrderMagic = 0x1A2B3C4D;
constexpr uint16_t OptionEnd = 0;
constexpr uint16_t OptionComment = 1;
constexpr uint16_t ShbUserApplication = 4;
constexpr uint16_t EpbFlags = 2;
constexpr uint32_t Inbound = 1;
constexpr uint32_t Outbound = 2;
constexpr const char* Discarded = "discarded";

void le16(std::string& out, uint16_t value)
{
    out += char(value & 0xFF);
    out += char(value >> 8);
}

void le32(std::string& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out += char((value >> shift) & 0xFF);
}

void be32(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char((value >> shift) & 0xFF);
}

void padded(std::string& out, std::string_view bytes)
{
    out += bytes;
    out.append((4 - bytes.size() % 4) % 4, '\0');
}

void option(std::string& out, uint16_t code, std::string_view value)
{
    le16(out, code);
    le16(out, static_cast<uint16_t>(value.size()));
    padded(out, value);
}

// A block of `type` around `body`, its total length before and after.
std::string block(uint32_t type, const std::string& body)
{
    std::string out;
    const auto length = static_cast<uint32_t>(12 + body.size());
    le32(out, type);
    le32(out, length);
    out += body;
    le32(out, length);
    return out;
}

uint32_t readLe32(std::string_view bytes, std::size_t at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
    return value;
}

uint16_t readLe16(std::string_view bytes, std::size_t at)
{
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at])
                                 | static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::string lineComment(const TrafficRow& row)
{
    std::string comment = TrafficRow::name(row.kind);
    if (!row.note.empty())
        comment += ": " + row.note;
    return comment;
}

}  // namespace

std::string PcapngCapture::header()
{
    std::string section;
    le32(section, ByteOrderMagic);
    le16(section, 1);
    le16(section, 0);
    le32(section, 0xFFFFFFFF);  // section length not given
    le32(section, 0xFFFFFFFF);
    option(section, ShbUserApplication, "lettore");
    le32(section, OptionEnd);
    std::string interface;
    le16(interface, LinkType);
    le16(interface, 0);
    le32(interface, 0);  // no snapshot length limit
    return block(SectionHeader, section) + block(InterfaceDescription, interface);
}

std::string PcapngCapture::packet(const TrafficRow& row)
{
    const long long ms = isoMilliseconds(row.time).value_or(0);
    const auto micro = static_cast<unsigned long long>(ms) * 1000;
    const Event event = row.direction == Direction::Sent   ? DataTx
                        : row.direction == Direction::Line ? StatusChange
                                                           : DataRx;
    std::string data;
    be32(data, static_cast<uint32_t>(ms / 1000));
    be32(data, static_cast<uint32_t>(ms % 1000 * 1000));
    data += char(event);
    data += '\0';  // control lines: not known
    data.append(2, '\0');
    data += row.bytes;

    std::string body;
    le32(body, 0);  // the one interface
    le32(body, static_cast<uint32_t>(micro >> 32));
    le32(body, static_cast<uint32_t>(micro & 0xFFFFFFFF));
    le32(body, static_cast<uint32_t>(data.size()));
    le32(body, static_cast<uint32_t>(data.size()));
    padded(body, data);
    if (row.direction == Direction::Line)
        option(body, OptionComment, lineComment(row));
    else if (row.direction == Direction::Discarded)
        option(body, OptionComment, Discarded);
    if (row.direction != Direction::Line) {
        le16(body, EpbFlags);
        le16(body, 4);
        le32(body, row.direction == Direction::Sent ? Outbound : Inbound);
    }
    le32(body, OptionEnd);
    return block(EnhancedPacket, body);
}

std::optional<std::vector<PcapngCapture::Packet>> PcapngCapture::read(std::string_view file)
{
    std::vector<Packet> packets;
    bool rtac = false;
    std::size_t at = 0;
    while (at < file.size()) {
        if (file.size() - at < 12)
            return std::nullopt;
        const uint32_t type = readLe32(file, at);
        const uint32_t length = readLe32(file, at + 4);
        if (length < 12 || length % 4 != 0 || length > file.size() - at || readLe32(file, at + length - 4) != length)
            return std::nullopt;
        const std::string_view body = file.substr(at + 8, length - 12);
        at += length;
        if (type == SectionHeader) {
            if (body.size() < 4 || readLe32(body, 0) != ByteOrderMagic)
                return std::nullopt;
        } else if (type == InterfaceDescription) {
            if (body.size() < 8 || readLe16(body, 0) != LinkType)
                return std::nullopt;
            rtac = true;
        } else if (type == EnhancedPacket) {
            if (!rtac || body.size() < 20)
                return std::nullopt;
            const uint32_t captured = readLe32(body, 12);
            const std::size_t dataEnd = 20 + (captured + 3) / 4 * 4;
            if (captured < RtacHeader || dataEnd > body.size())
                return std::nullopt;
            const std::string_view data = body.substr(20, captured);
            Packet packet;
            const unsigned long long micro
                = static_cast<unsigned long long>(readLe32(body, 4)) << 32 | readLe32(body, 8);
            packet.time = isoTime(static_cast<long long>(micro / 1000));
            packet.bytes = data.substr(RtacHeader);
            std::string comment;
            for (std::size_t o = dataEnd; o + 4 <= body.size();) {
                const uint16_t code = readLe16(body, o);
                const uint16_t size = readLe16(body, o + 2);
                if (code == OptionEnd || o + 4 + size > body.size())
                    break;
                if (code == OptionComment)
                    comment = body.substr(o + 4, size);
                o += 4 + (size + 3u) / 4 * 4;
            }
            switch (static_cast<unsigned char>(data[8])) {
            case DataTx: packet.direction = Direction::Sent; break;
            case DataRx: packet.direction = comment == Discarded ? Direction::Discarded : Direction::Received; break;
            default: {
                packet.direction = Direction::Line;
                const std::string portFailed = TrafficRow::name(Kind::PortFailed);
                if (comment.starts_with(portFailed)) {
                    packet.event = Kind::PortFailed;
                    packet.note = comment.size() > portFailed.size() + 2 ? comment.substr(portFailed.size() + 2) : "";
                }
            }
            }
            packets.push_back(std::move(packet));
        }
    }
    if (!rtac)
        return std::nullopt;
    return packets;
}

std::vector<TrafficRow> PcapngCapture::rows(const std::vector<Packet>& packets)
{
    TrafficDecoder decoder;
    std::vector<TrafficRow> rows;
    const auto take = [&rows](std::vector<TrafficRow>&& more) {
        for (TrafficRow& row : more)
            rows.push_back(std::move(row));
    };
    for (const Packet& packet : packets) {
        if (packet.direction == Direction::Line)
            take(decoder.event(packet.event, packet.time, packet.note));
        else
            take(decoder.feed(packet.direction, packet.time, packet.bytes));
    }
    take(decoder.flush());
    return rows;
}

}  // namespace lettore
