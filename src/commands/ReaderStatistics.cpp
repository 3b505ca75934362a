#include "ReaderStatistics.h"

#include "Esito.h"
#include "Frame.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace lettore {

namespace {

using Kind = TrafficRow::Kind;
using Direction = TrafficRow::Direction;

}  // namespace

std::optional<ReaderStatistics::Latency> ReaderStatistics::Reader::latency() const
{
    if (latenciesMs.empty())
        return std::nullopt;
    std::vector<int32_t> sorted = latenciesMs;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    const std::size_t rank = (n * 95 + 99) / 100;  // ceil(0.95 n), at least 1
    return Latency{sorted.front(), std::accumulate(sorted.begin(), sorted.end(), 0.0) / double(n), sorted[rank - 1],
                   sorted.back()};
}

void ReaderStatistics::add(const TrafficRow& row, const RowAnalysis& analysis)
{
    switch (row.kind) {
    case Kind::Noise:
    case Kind::Unfinished:
        if (row.direction != Direction::Sent) {
            ++m_noiseRows;
            m_noiseBytes += static_cast<long long>(row.bytes.size());
        }
        return;
    case Kind::PortFailed: ++m_portFailures; break;
    default: break;
    }
    if (analysis.reader == RowAnalysis::None)
        return;
    Reader& reader = m_readers[analysis.reader];
    switch (row.kind) {
    case Kind::Command:
        if (row.direction == Direction::Sent)
            ++reader.requests;
        return;
    case Kind::Reading:
        if (row.direction == Direction::Received)
            ++reader.readings;
        return;
    case Kind::TimedOut: ++reader.timeOuts; return;
    case Kind::Answer:
    case Kind::Ack:
    case Kind::Nak:
        if (analysis.esito == RowAnalysis::None)
            return;  // no command waited for it
        if (row.kind == Kind::Nak)
            ++reader.naks;
        if (analysis.esito == Esito::Rejected)
            ++reader.rejected;
        else
            ++reader.answers;
        if (analysis.latencyMs != RowAnalysis::None)
            reader.latenciesMs.push_back(analysis.latencyMs);
        return;
    default: return;
    }
}

std::string ReaderStatistics::text() const
{
    std::string text = "reader  requests  answers  time-outs  rejected  NAKs  readings  latency ms min/avg/p95/max\n";
    char line[200];
    for (const auto& [address, reader] : m_readers) {
        std::string latency = "-";
        if (const auto l = reader.latency()) {
            char figures[80];
            std::snprintf(figures, sizeof figures, "%d/%.1f/%d/%d", l->min, l->average, l->p95, l->max);
            latency = figures;
        }
        const std::string name = address == Frame::Broadcast ? "all" : std::to_string(address);
        std::snprintf(line, sizeof line, "%-6s  %8lld  %7lld  %9lld  %8lld  %4lld  %8lld  %s\n", name.c_str(),
                      reader.requests, reader.answers, reader.timeOuts, reader.rejected, reader.naks, reader.readings,
                      latency.c_str());
        text += line;
    }
    std::snprintf(line, sizeof line, "line: %lld noise rows (%lld bytes), %lld port failures\n", m_noiseRows,
                  m_noiseBytes, m_portFailures);
    return text + line;
}

}  // namespace lettore
