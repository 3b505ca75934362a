#pragma once

#include "ReaderCommand.h"
#include "TrafficRow.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lettore {

// One command sent during a run and what came of it: the traffic rows of
// its request and answer (and of an acknowledgement it sent), its result
// code and fields, and the time from its request to its answer or
// time-out.
struct ExchangeRecord {
    std::string command{};
    ReaderCommand::Arguments arguments{};
    std::string rate{};  // the line's rate when it was sent
    int16_t esito = 0;
    std::string answer{};  // as the link delivered it
    std::vector<ReaderCommand::Value> values{};
    std::optional<uint32_t> latencyMs{};  // none when no answer was awaited
    std::vector<TrafficRow> rows{};
};

enum class Verdict {
    Passed,
    Failed,
    Skipped,  // its conditions did not hold; nothing was sent
    NotRun,  // the run ended before it (stopped, or the line dropped)
};

struct StepResult {
    std::string id{};
    std::string title{};
    std::string expectation{};  // what the step expects, in words
    Verdict verdict = Verdict::NotRun;
    // Why it failed, was skipped or did not run; one line each.
    std::vector<std::string> reasons{};
    std::vector<ExchangeRecord> exchanges{};
    std::optional<uint32_t> latencyMs{};  // the longest of its exchanges
};

// A change a step made, and what became of its undo.
struct UndoResult {
    enum class Outcome {
        Done,  // sent and accepted
        Discharged,  // the plan put it back itself
        NotMade,  // the reader refused the change: nothing to put back
        Unconfirmed,  // sent, but no acceptance came back
        Refused,  // the reader refused it
        NotRun,  // it could not be sent: the change is still in place
    };
    std::string stepId{};
    std::string change{};  // what the step changed, in words
    Outcome outcome = Outcome::NotRun;
    std::string note{};
    std::vector<ExchangeRecord> exchanges{};

    // Whether the reader is as it was before the step, as far as is known.
    bool putBack() const
    {
        return outcome == Outcome::Done || outcome == Outcome::Discharged || outcome == Outcome::NotMade;
    }
};

// What the run knows of the reader from its answers.
struct ReaderIdentity {
    int16_t address = 0;
    std::string rate{};
    std::string model{};  // the dialect its answers were framed in
    std::string firmware{};
    std::string firstSerial{};
    std::string currentSerial{};
};

// One plan run on one reader.
struct ReaderRecord {
    ReaderIdentity reader{};
    std::string start{};  // UTC, ISO 8601 with milliseconds
    std::string end{};
    std::vector<StepResult> steps{};
    std::vector<UndoResult> undos{};
    bool stopped = false;  // a stop request ended it
    bool lineDropped = false;  // the line dropped during it
    std::vector<TrafficRow> traffic{};  // every row of the run

    // Every step passed or was skipped, and every change was put back.
    bool passed() const;
    // The changes still in place: their words, one each.
    std::vector<std::string> changesLeft() const;
    std::size_t count(Verdict verdict) const;
};

// What a report says about the run as a whole.
struct RunInfo {
    std::string program{};  // "lettore 0.1"
    std::string planName{};
    std::string planSha256{};
    std::string operatorName{};
    std::string station{};
};

// Words for reports, in the console's language.
const char* verdictText(Verdict verdict);
const char* outcomeText(UndoResult::Outcome outcome);

}  // namespace lettore
