#include "TrafficStore.h"

#include "WallTime.h"

#include <algorithm>
#include <array>
#include <limits>

namespace lettore {

namespace {

// The names the decoder gives; a name not among them is stored as "".
constexpr std::array<std::string_view, 7> Dialects{"", "Sibrant2", "Sibrant", "Parlow", "Quen", "Zem", "Tolvane"};
constexpr std::array<std::string_view, 4> Types{"", "S", "P", "poll"};

template <std::size_t N>
uint8_t indexOf(const std::array<std::string_view, N>& names, std::string_view name)
{
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? 0 : static_cast<uint8_t>(found - names.begin());
}

// Rows gone from the front leave their bytes at the front of the buffer
// until they are at least half of it and 1 MB.
constexpr std::size_t CompactFrom = 1 << 20;

}  // namespace

void TrafficStore::push(const TrafficRow& row, const RowAnalysis& analysis)
{
    Record record{};
    const std::optional<long long> ms = isoMilliseconds(row.time);
    const std::string_view time = ms ? std::string_view() : std::string_view(row.time).substr(0, 255);
    const std::string_view note = std::string_view(row.note).substr(0, std::numeric_limits<uint16_t>::max());
    record.timeMs = ms.value_or(0);
    record.timeSize = static_cast<uint8_t>(time.size());
    record.bytesSize = static_cast<uint32_t>(row.bytes.size());
    // The decoder's data is always a part of the bytes.
    const std::size_t dataAt = row.data.empty() ? std::string::npos : row.bytes.find(row.data);
    record.dataAt = dataAt == std::string::npos ? 0 : static_cast<uint32_t>(dataAt);
    record.dataSize = dataAt == std::string::npos ? 0 : static_cast<uint32_t>(row.data.size());
    record.noteSize = static_cast<uint16_t>(note.size());
    record.direction = static_cast<uint8_t>(row.direction);
    record.kind = static_cast<uint8_t>(row.kind);
    record.check = static_cast<uint8_t>(row.check);
    record.dialect = indexOf(Dialects, row.dialect);
    record.type = indexOf(Types, row.type);
    record.address = row.address ? static_cast<int16_t>(*row.address) : int16_t(-1);
    record.reader = static_cast<int16_t>(analysis.reader);
    record.sincePreviousMs = analysis.sincePreviousMs;
    record.latencyMs = analysis.latencyMs;
    record.command = static_cast<int8_t>(analysis.command);
    record.esito = static_cast<int8_t>(analysis.esito);
    record.longestPauseMs = static_cast<int16_t>(std::min(row.longestPauseMs, int(INT16_MAX)));
    std::string text;
    text.reserve(time.size() + row.bytes.size() + note.size());
    text.append(time).append(row.bytes).append(note);
    add(record, text);
}

void TrafficStore::pushFrom(const TrafficStore& other, std::size_t index)
{
    const Record& record = other.m_rows[index];
    add(record, std::string_view(other.m_buffer)
                    .substr(record.at, std::size_t(record.timeSize) + record.bytesSize + record.noteSize));
}

void TrafficStore::add(const Record& record, std::string_view text)
{
    m_rows.push_back(record);
    m_rows.back().at = static_cast<uint32_t>(m_buffer.size());
    m_buffer.append(text);
}

void TrafficStore::popFront(std::size_t count)
{
    count = std::min(count, m_rows.size());
    m_rows.erase(m_rows.begin(), m_rows.begin() + static_cast<long>(count));
    if (m_rows.empty()) {
        m_buffer.clear();
        return;
    }
    const uint32_t unused = m_rows.front().at;
    if (unused < CompactFrom || unused < m_buffer.size() / 2)
        return;
    m_buffer.erase(0, unused);
    for (Record& record : m_rows)
        record.at -= unused;
}

void TrafficStore::clear()
{
    m_rows.clear();
    m_buffer.clear();
    m_buffer.shrink_to_fit();
}

TrafficRow TrafficStore::row(std::size_t index) const
{
    const Record& r = m_rows[index];
    const std::string_view text = std::string_view(m_buffer).substr(r.at);
    TrafficRow row;
    row.time = r.timeSize ? std::string(text.substr(0, r.timeSize)) : isoTime(r.timeMs);
    row.bytes = text.substr(r.timeSize, r.bytesSize);
    row.note = text.substr(r.timeSize + r.bytesSize, r.noteSize);
    row.data = std::string_view(row.bytes).substr(r.dataAt, r.dataSize);
    row.direction = TrafficRow::Direction(r.direction);
    row.kind = TrafficRow::Kind(r.kind);
    row.check = TrafficRow::Check(r.check);
    row.dialect = Dialects[r.dialect];
    row.type = Types[r.type];
    if (r.address >= 0)
        row.address = r.address;
    row.longestPauseMs = r.longestPauseMs;
    return row;
}

RowAnalysis TrafficStore::analysis(std::size_t index) const
{
    const Record& r = m_rows[index];
    return {r.sincePreviousMs, r.latencyMs, r.command, r.reader, r.esito};
}

int TrafficStore::reader(std::size_t index) const
{
    const Record& r = m_rows[index];
    return r.reader >= 0 ? r.reader : r.address;
}

}  // namespace lettore
