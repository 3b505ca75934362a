#include "TrafficRow.h"

namespace lettore {

const char* TrafficRow::name(Direction direction)
{
    switch (direction) {
    case Direction::Sent: return "TX";
    case Direction::Received: return "RX";
    case Direction::Discarded: return "discarded";
    case Direction::Line: return "--";
    }
    return "";
}

const char* TrafficRow::name(Kind kind)
{
    switch (kind) {
    case Kind::Command: return "command";
    case Kind::Answer: return "answer";
    case Kind::Reading: return "reading";
    case Kind::Ack: return "ACK";
    case Kind::Nak: return "NAK";
    case Kind::Noise: return "noise";
    case Kind::Unfinished: return "unfinished";
    case Kind::TimedOut: return "time-out";
    case Kind::PortFailed: return "port error";
    }
    return "";
}

const char* TrafficRow::name(Check check)
{
    switch (check) {
    case Check::None: return "";
    case Check::Good: return "check character good";
    case Check::Wrong: return "check character wrong";
    case Check::CutShort: return "cut short by ACK";
    case Check::Rejected: return "answer rejected";
    }
    return "";
}

}  // namespace lettore
