#include "TrafficText.h"

#include "ByteText.h"
#include "Frame.h"

namespace lettore {

namespace {

void append(std::string& text, const std::string& field)
{
    if (field.empty())
        return;
    if (!text.empty())
        text += ' ';
    text += field;
}

}  // namespace

std::string TrafficText::fields(const TrafficRow& row)
{
    std::string text;
    append(text, row.dialect);
    if (row.address)
        append(text, *row.address == Frame::Broadcast ? "broadcast" : "address " + std::to_string(*row.address));
    append(text, row.type);
    if (!row.data.empty())
        append(text, "data \"" + ByteText::escape(row.data) + "\"");
    append(text, TrafficRow::name(row.check));
    append(text, row.note);
    return text;
}

std::string TrafficText::line(const TrafficRow& row)
{
    std::string text = row.time;
    append(text, TrafficRow::name(row.direction));
    append(text, TrafficRow::name(row.kind));
    append(text, fields(row));
    if (!row.bytes.empty())
        append(text, "[" + ByteText::hex(row.bytes) + "] \"" + ByteText::escape(row.bytes) + "\"");
    return text;
}

}  // namespace lettore
