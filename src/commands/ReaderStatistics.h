#pragma once

#include "TrafficAnalyser.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace lettore {

// Counts of the line's traffic per reader, from its rows and what the
// analyser made of them, and the line's own troubles: noise and port
// failures.
class ReaderStatistics {
public:
    struct Latency {
        int min = 0;
        double average = 0;
        int p95 = 0;  // nearest rank: the smallest latency that 95% of them do not exceed
        int max = 0;
    };
    struct Reader {
        long long requests = 0;  // commands sent to it
        long long answers = 0;  // answers and lone ACK/NAK accepted
        long long timeOuts = 0;
        long long rejected = 0;  // answers that failed their check
        long long naks = 0;
        long long readings = 0;
        std::vector<int32_t> latenciesMs;  // of every answer, ACK and NAK to a command

        // Nothing when no latency was measured.
        std::optional<Latency> latency() const;
    };

    void add(const TrafficRow& row, const RowAnalysis& analysis);
    void clear() { *this = {}; }

    // By address; 256 is every reader.
    const std::map<int, Reader>& readers() const { return m_readers; }
    long long noiseRows() const { return m_noiseRows; }
    long long noiseBytes() const { return m_noiseBytes; }
    long long portFailures() const { return m_portFailures; }

    // A table in plain text, a line per reader, then the line's counts; for
    // the end of a `lettore --stats` run.
    std::string text() const;

private:
    std::map<int, Reader> m_readers;
    long long m_noiseRows = 0;
    long long m_noiseBytes = 0;
    long long m_portFailures = 0;
};

}  // namespace lettore
