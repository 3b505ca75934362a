#pragma once

#include "TrafficAnalyser.h"
#include "TrafficRow.h"

#include <cstdint>
#include <deque>
#include <string>

namespace lettore {

// Traffic rows and their analysis held compactly, the oldest first: a
// fixed record per row and the row's bytes in one shared buffer, so a
// million rows fit in well under 100 MB. Rows come in at the back and go
// from the front, each at a constant cost. A row's texts (its ISO time,
// dialect, type, data) are rebuilt from the record when asked for.
class TrafficStore {
public:
    void push(const TrafficRow& row, const RowAnalysis& analysis);
    // Row `index` of `other`, pushed here.
    void pushFrom(const TrafficStore& other, std::size_t index);
    void popFront(std::size_t count);
    void clear();
    std::size_t size() const { return m_rows.size(); }
    bool empty() const { return m_rows.empty(); }

    TrafficRow row(std::size_t index) const;
    RowAnalysis analysis(std::size_t index) const;
    // What the filter asks of every row, without rebuilding it.
    TrafficRow::Direction direction(std::size_t index) const { return TrafficRow::Direction(m_rows[index].direction); }
    TrafficRow::Kind kind(std::size_t index) const { return TrafficRow::Kind(m_rows[index].kind); }
    // The reader whose exchange the row is in, else the frame's own address; -1: neither.
    int reader(std::size_t index) const;

private:
    struct Record {
        int64_t timeMs;  // when timeSize is 0
        uint32_t at;  // the row's time text (when not ISO), bytes and note in m_buffer
        uint32_t bytesSize;
        uint32_t dataAt;  // the data field, within the bytes
        uint32_t dataSize;
        uint16_t noteSize;
        uint8_t timeSize;  // 0: the time is timeMs
        uint8_t direction;
        uint8_t kind;
        uint8_t check;
        uint8_t dialect;  // index in the dialect names
        uint8_t type;  // index in the type names
        int16_t address;  // -1: none
        int16_t reader;
        int32_t sincePreviousMs;
        int32_t latencyMs;
        int8_t command;
        int8_t esito;
        int16_t longestPauseMs;  // at most 32767
    };

    void add(const Record& record, std::string_view text);

    std::deque<Record> m_rows;
    std::string m_buffer;
};

}  // namespace lettore
