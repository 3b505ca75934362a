#pragma once

#include "TrafficRow.h"

#include <string>
#include <vector>

namespace lettore {

// Comma-separated values as spreadsheets read them: a record is its fields
// joined by commas and ended by CR LF; a field holding a comma, a quote or
// a line end is quoted, its quotes doubled.
class Csv {
public:
    static std::string record(const std::vector<std::string>& fields);

    // The traffic log's columns, and one row of it in them: time,
    // direction, kind, dialect, address, type, data (escaped), check, the
    // bytes in hex and as escaped text, note.
    static const std::string& trafficHeader();
    static std::string trafficRecord(const TrafficRow& row);
};

}  // namespace lettore
