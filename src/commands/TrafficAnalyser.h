#pragma once

#include "TrafficRow.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lettore {

// What a traffic row means within the line's exchanges, worked out as the
// rows come, in order: the time since the row before, the command it
// carries or answers, the reader whose exchange it belongs to, its
// latency from that command and the exchange's result code.
struct RowAnalysis {
    static constexpr int None = -1;

    int sincePreviousMs = None;  // None: first row, or a time that is no ISO time
    int latencyMs = None;  // answers, lone ACK/NAK, time-outs: since their command
    int command = None;  // index in ReaderCommand::all() of the command carried or answered
    int reader = None;  // 0 .. 255, 256 for every reader; None: no reader's exchange
    int esito = None;  // the result code (Esito) on the row that ends an exchange
};

// Ties each row to its exchange. An exchange starts with a command to one
// reader and ends with the first answer, lone ACK or NAK, time-out or port
// failure after it; the rows in between (noise, an unfinished frame) are
// part of it. A command to every reader, and the host's acknowledgement,
// await nothing and end their exchange at once.
class TrafficAnalyser {
public:
    RowAnalysis next(const TrafficRow& row);
    void reset() { *this = {}; }

    // The row's meaning in words, in Italian, for the log: the command's
    // name and what follows its code; a reading's address, status and
    // badge; an answer's fields; a time-out's command.
    static std::string meaning(const TrafficRow& row, const RowAnalysis& analysis);
    // The result code's name: "accettato", "time-out", "rifiutato", ...
    static const char* esitoName(int esito);

private:
    struct Waiting {
        long long sentMs;
        bool timed;
        int command;
        int reader;
    };
    std::optional<Waiting> m_waiting;
    std::optional<long long> m_lastMs;
};

}  // namespace lettore
