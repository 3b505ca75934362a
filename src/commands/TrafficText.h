#pragma once

#include "TrafficRow.h"

#include <string>

namespace lettore {

// A traffic row as one line of text, for `lettore --trace` and the traffic
// log's plain-text file: time, direction, what it is, the decoded fields,
// then the bytes in hex and as text, so noise and rejected frames show too.
// "2026-12-06T23:16:45.669Z RX answer Sibrant2 address 1 P data "OK" check
// character wrong [02 30 21 4F 4B 03 00] "\x020!OK\x03\x00""
class TrafficText {
public:
    static std::string line(const TrafficRow& row);
    // The decoded fields alone: dialect, "address N" or "broadcast", type,
    // data (escaped, in quotes), check and note, blank-separated.
    static std::string fields(const TrafficRow& row);
};

}  // namespace lettore
