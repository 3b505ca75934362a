#pragma once

#include "TrafficRow.h"

#include <string>
#include <string_view>
#include <vector>

namespace lettore {

// Comma-separated values as spreadsheets read them: a record is its fields
// joined by commas and ended by CR LF; a field holding a comma, a quote or
// a line end is quoted, its quotes doubled.
//
// Every field is written so that a spreadsheet opening the file shows it as
// the text it is: one that begins with =, +, -, @, a tab or a carriage
// return (which a spreadsheet would run as a formula) is quoted behind an
// apostrophe; a run of digits that a spreadsheet would turn into a number,
// losing its leading zeros or showing it in scientific notation (a leading
// 0, or more than 11 digits), is written as ="digits", a formula whose
// value is that text.
class Csv {
public:
    static std::string record(const std::vector<std::string>& fields);

    // The fields of one line (without its line end) separated by
    // `separator` ('\0' for none: one field): a quoted field loses its
    // quotes and its doubled quotes become one; nothing else is undone.
    static std::vector<std::string> split(std::string_view line, char separator);

    // The traffic log's columns, and one row of it in them: time,
    // direction, kind, dialect, address, type, data (escaped), check, the
    // bytes in hex and as escaped text, note.
    static const std::string& trafficHeader();
    static std::string trafficRecord(const TrafficRow& row);
};

}  // namespace lettore
