#include "Csv.h"

#include "ByteText.h"

#include <algorithm>

namespace lettore {

namespace {

// Spreadsheets show up to 11 digits of a number as typed; longer ones in
// scientific notation, and past 15 digits they lose the rest.
constexpr std::size_t LongestPlainNumber = 11;

bool allDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string field(const std::string& text)
{
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
        return quoted("'" + text);
    if (allDigits(text) && text.size() > 1 && (text.front() == '0' || text.size() > LongestPlainNumber))
        return "=\"" + text + "\"";
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    return quoted(text);
}

}  // namespace

std::string Csv::record(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        line += (i == 0 ? "" : ",") + field(fields[i]);
    return line + "\r\n";
}

std::vector<std::string> Csv::split(std::string_view line, char separator)
{
    std::vector<std::string> fields(1);
    bool inQuotes = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inQuotes && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"' && (inQuotes || fields.back().find_first_not_of(' ') == std::string::npos)) {
            // A quote opens a field only at its start (after blanks), so
            // ="0042" keeps its quotes for the caller to judge.
            if (!inQuotes)
                fields.back().clear();
            inQuotes = !inQuotes;
        } else if (c == separator && separator != '\0' && !inQuotes) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

const std::string& Csv::trafficHeader()
{
    static const std::string header
        = record({"time", "direction", "kind", "dialect", "address", "type", "data", "check", "hex", "text", "note"});
    return header;
}

std::string Csv::trafficRecord(const TrafficRow& row)
{
    return record({row.time, TrafficRow::name(row.direction), TrafficRow::name(row.kind), row.dialect,
                   row.address ? std::to_string(*row.address) : "", row.type, ByteText::escape(row.data),
                   TrafficRow::name(row.check), ByteText::hex(row.bytes), ByteText::escape(row.bytes), row.note});
}

}  // namespace lettore
