#pragma once

#include "Clock.h"
#include "FoundValues.h"
#include "LinkEvents.h"
#include "TestPlan.h"
#include "TestRecord.h"
#include "UndoJournal.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace lettore {

class TrafficCapture;
class clsComunicazioni;

// Runs a test plan on one reader through the link and records every step.
//
// Steps run in order. A step whose needs did not pass, or whose change was
// undone since, is skipped; so is one naming a value no step found. Before
// a command that changes the reader is sent, its undo goes into the
// journal. When a step fails, every change in the journal is put back at
// once, newest first, so the reader is as it was found before the plan goes
// on with the steps that need none of them; a step that puts a change back
// (restores) takes it off the journal. At the end, at a stop request and
// after a line drop once the line is back, whatever the journal still holds
// is put back. A second request (abandon) gives that up too; the record
// then names the changes left in place.
//
// The link's own settings (rate, time limit, quiet gap) are what the run
// finds; a rate step moves them and puts them back.
class PlanRunner : private LinkEvents {
public:
    struct Hooks {
        Clock& clock;
        // Lets `ms` pass, serving the program's events.
        std::function<void(uint32_t ms)> pause;
        // Asked between two exchanges: the plan ends, its changes are put back.
        std::function<bool()> stopRequested;
        // Asked while changes are put back: the rest of them are left.
        std::function<bool()> abandonRequested;
        // A line for the operator: a badge to present, a line to wait for.
        std::function<void(const std::string& text)> tell;
        // A step began (its verdict NotRun) or ended.
        std::function<void(std::size_t index, const StepResult& step, bool running)> stepChanged;
        // The wall time, as traffic rows carry it.
        std::function<std::string()> now;
    };
    struct Options {
        int16_t term = 0;
        bool alone = false;  // nobody else on the line: rate steps may run
        bool badge = false;  // an operator is at the reader: badge steps run
    };

    // The link's traffic rows come through `traffic` while run() lasts.
    PlanRunner(clsComunicazioni& link, TrafficCapture& traffic, Hooks hooks);

    ReaderRecord run(const TestPlan& plan, const Options& options);

    // How often a badge step asks the reader, and a dropped line is tried.
    static constexpr uint32_t PollMs = 500;

private:
    void runStep(const PlanStep& step, StepResult& result);
    void runCommand(const PlanStep& step, StepResult& result);
    void runRate(const PlanStep& step, StepResult& result);
    void runBadge(const PlanStep& step, StepResult& result);
    // Why `step` cannot run now; "" when it can.
    std::string skipReason(const PlanStep& step) const;
    // `action` with its references resolved; nothing, and `missing` set,
    // when a value is not known.
    std::optional<PlanAction> resolved(const PlanAction& action, std::string& missing) const;

    // Sends one command to the reader and records it.
    ExchangeRecord send(const std::string& command, const ReaderCommand::Arguments& arguments = {});
    // Checks `exchange` against `expect`: the problems, none when it passed.
    std::vector<std::string> problems(const Expectation& expect, const ExchangeRecord& exchange) const;
    // Records `exchange` in `result` and checks it: false, with the
    // verdict and its reasons set, when it did not meet `expect`.
    bool judge(const Expectation& expect, StepResult& result, ExchangeRecord exchange);
    void finish(StepResult& result);
    void noteIdentity(const ExchangeRecord& exchange);

    // Puts back every change in the journal, newest first.
    void undoAll();
    UndoResult undo(const UndoJournal::Entry& entry);
    void bringRateBack(const std::string& rate, UndoResult& result);
    // Waits for a dropped line to come back, that is for the reader to
    // answer again; false when it did not, or the wait was abandoned.
    bool waitForLine();

    void lineDropped();
    std::string lineRate() const;
    void setLineRate(const std::string& rate);

    // LinkEvents: the time of each exchange's request and answer.
    void ComTX(const std::string& Comando) override;
    void ComRX(const std::string& stringa) override;
    void ComTO() override;
    void heard(const TrafficRow& row);

    clsComunicazioni& m_link;
    TrafficCapture& m_traffic;
    Hooks m_hooks;
    const TestPlan* m_plan = nullptr;
    Options m_options;
    ReaderRecord m_record;
    FoundValues m_values;
    UndoJournal m_journal;
    std::vector<std::string> m_passed;  // steps passed, their changes in place
    bool m_lineDown = false;
    bool m_portFailed = false;  // a port failure was heard since it was last cleared
    bool m_ending = false;  // the plan stopped: only the journal is left

    ExchangeRecord* m_exchange = nullptr;  // the exchange under way
    std::optional<uint32_t> m_sentAt;
    std::optional<uint32_t> m_answeredAt;
    std::vector<TrafficRow> m_readings;  // readings heard during a badge step
};

}  // namespace lettore
