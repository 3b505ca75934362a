#include "Csv.h"

#include "ByteText.h"

namespace lettore {

namespace {

std::string field(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

std::string Csv::record(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        line += (i == 0 ? "" : ",") + field(fields[i]);
    return line + "\r\n";
}

const std::string& Csv::trafficHeader()
{
    static const std::string header =
        record({"time", "direction", "kind", "dialect", "address", "type", "data", "check", "hex", "text", "note"});
    return header;
}

std::string Csv::trafficRecord(const TrafficRow& row)
{
    return record({row.time, TrafficRow::name(row.direction), TrafficRow::name(row.kind), row.dialect,
                   row.address ? std::to_string(*row.address) : "", row.type, ByteText::escape(row.data),
                   TrafficRow::name(row.check), ByteText::hex(row.bytes), ByteText::escape(row.bytes), row.note});
}

}  // namespace lettore
