#include "TestRecord.h"

#include <algorithm>

namespace lettore {

bool ReaderRecord::passed() const
{
    return !stopped && !lineDropped && count(Verdict::Failed) == 0 && count(Verdict::NotRun) == 0
           && changesLeft().empty();
}

std::vector<std::string> ReaderRecord::changesLeft() const
{
    std::vector<std::string> left;
    for (const UndoResult& undo : undos)
        if (!undo.putBack())
            left.push_back(undo.change);
    return left;
}

std::size_t ReaderRecord::count(Verdict verdict) const
{
    return static_cast<std::size_t>(std::count_if(
        steps.begin(), steps.end(), [verdict](const StepResult& step) { return step.verdict == verdict; }));
}

const char* verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Passed: return "superato";
    case Verdict::Failed: return "fallito";
    case Verdict::Skipped: return "saltato";
    case Verdict::NotRun: return "non eseguito";
    }
    return "";
}

const char* outcomeText(UndoResult::Outcome outcome)
{
    switch (outcome) {
    case UndoResult::Outcome::Done: return "rimesso com'era";
    case UndoResult::Outcome::Discharged: return "rimesso dal piano";
    case UndoResult::Outcome::NotMade: return "non fatta: rifiutata";
    case UndoResult::Outcome::Unconfirmed: return "inviato, non confermato";
    case UndoResult::Outcome::Refused: return "rifiutato dal lettore";
    case UndoResult::Outcome::NotRun: return "non eseguito";
    }
    return "";
}

}  // namespace lettore
