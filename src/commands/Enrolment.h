#pragma once

#include "CodeRange.h"
#include "EnrolmentJournal.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lettore {

class clsComunicazioni;

// Puts a list of badge codes on one reader's white list and checks it
// there. A reader cannot list its codes, so everything is learnt one code
// at a time: VerificaBadge tells whether a code is listed, and CreaBadge's
// status tells whether it was added (0), was listed already (1) or found
// the list full (2).
//
// compare() is the dry run: it checks every code of the list, and with a
// range, every code of the range not in the list (the extra ones). write()
// removes the extra codes of a range, adds the codes (CreaBadge on a
// listed code changes nothing, so its status is the difference), then
// reads every code back. A run stops between two exchanges when asked to,
// and at the first port failure; with a journal, the answered exchanges it
// records are not done again by the next run.
class Enrolment {
public:
    using Step = EnrolmentJournal::Step;

    using Range = CodeRange;

    // One exchange: the code, its result code and the status character
    // the reader answered (outESISTE, outst; "" for EliminaBadge).
    struct Outcome {
        std::string code;
        int16_t esito = 0;
        std::string status;

        bool listed() const { return esito == 0 && status == "1"; }
        bool notListed() const { return esito == 0 && status == "0"; }
    };

    // A code the reader does not hold as it should after a write.
    struct Mismatch {
        std::string code;
        std::string reason;  // in the console's words: "assente", "lista piena", ...
    };

    struct Report {
        // Range codes outside the list whose check did not say "not
        // listed": listed ones are the extra codes, others unknown.
        std::vector<Outcome> scanned;
        std::vector<Outcome> removed;  // EliminaBadge of each extra code
        std::vector<Outcome> added;  // CreaBadge of each code written
        std::vector<Outcome> checked;  // VerificaBadge of each code of the list
        std::vector<Outcome> checkedExtra;  // after removing, of each extra code
        int16_t esito = 0;  // Esito::PortFailed when a port failure ended the run
        bool stopped = false;  // ended by a stop request
        std::size_t resumed = 0;  // steps taken from the journal

        bool finished() const { return esito == 0 && !stopped; }
        std::vector<std::string> extra() const;
        // After a write: every code of the list not read back as listed,
        // every extra code still listed.
        std::vector<Mismatch> mismatches() const;
    };

    // One step done: which, its place in the step's run of codes (from 1),
    // and what it gave; fromJournal when a journal gave it.
    struct Progress {
        Step step;
        std::size_t index = 0;
        std::size_t count = 0;
        const Outcome& outcome;
        bool fromJournal = false;
    };
    using ProgressHandler = std::function<void(const Progress&)>;
    // What a step does, as progress names it: "controllo", "eliminazione",
    // "inserimento", "verifica".
    static const char* stepName(Step step);
    // Asked before each exchange (and again after the quiet gap before it).
    using StopRequested = std::function<bool()>;

    // journal: where steps are taken from and recorded; none by default.
    Enrolment(clsComunicazioni& link, int16_t term, ProgressHandler progress = {}, StopRequested stop = {},
              EnrolmentJournal* journal = nullptr);

    // Checks every code of `codes`, and those of `others` not in it.
    Report compare(const std::vector<std::string>& codes, const std::optional<Range>& others = {}) const;
    // Removes the extra codes of `others`, adds `toAdd` (all of `codes` by
    // default), then checks every code of `codes` and every extra code.
    Report write(const std::vector<std::string>& codes, const std::optional<Range>& others = {},
                 const std::vector<std::string>* toAdd = nullptr) const;

private:
    // Runs `step` over `codes`, keeping in `into` the outcomes `keep`
    // wants (all without it). False when the run ended before the last.
    bool runAll(Step step, const std::vector<std::string>& codes, Report& report, std::vector<Outcome>& into,
                EnrolmentJournal* journal, const std::function<bool(const Outcome&)>& keep = {}) const;
    // The step for outcome.code: taken from `journal`, or exchanged and
    // recorded there. False when the run ends before it (a stop, a port
    // failure).
    bool run(Step step, std::size_t index, std::size_t count, Report& report, Outcome& outcome,
             EnrolmentJournal* journal) const;
    // The codes of `others` not in `codes`, in order.
    std::vector<std::string> rangeCodes(const std::optional<Range>& others,
                                        const std::vector<std::string>& codes) const;

    clsComunicazioni& m_link;
    int16_t m_term = 0;
    ProgressHandler m_progress;
    StopRequested m_stop;
    EnrolmentJournal* m_journal = nullptr;
};

}  // namespace lettore
