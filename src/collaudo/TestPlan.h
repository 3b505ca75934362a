#pragma once

#include "ReaderCommand.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lettore {

struct CommandEntry;

// The command line's entry that sends `command`, whose checks of arguments
// a plan's arguments meet too; nullptr when none does.
const CommandEntry* commandLineEntry(const ReaderCommand& command);

// What a step's outcome must be for the step to pass.
struct Expectation {
    // The kind of answer. Unset: anything but a refusal (a lone NAK).
    enum class Answer { NotRefused, Ack, Nak, Frame, Any };
    // A named field of the answer: equal to a text, or matching a pattern
    // (ECMAScript regular expression, the whole field). Either may name
    // values found earlier, as ${step.field}.
    struct Field {
        std::string name{};
        std::string equals{};
        std::string pattern{};
        bool isPattern = false;
    };

    std::optional<int16_t> esito = 0;  // unset: any result code
    Answer answer = Answer::NotRefused;
    std::vector<Field> fields{};
    // The longest wait from the request to its answer; unset: the plan's.
    std::optional<uint32_t> maxLatencyMs{};
};

// One reader command with its named arguments (ReaderCommand::inputs), each
// a text that may name values found earlier, as ${step.field}.
struct PlanAction {
    std::string command{};
    ReaderCommand::Arguments arguments{};
};

// One step of a test plan.
struct PlanStep {
    enum class Kind {
        Command,  // one reader command, its answer checked
        Rate,  // the reader moved to `rate` and back, checked at each
        Badge,  // the operator presents a badge within `withinMs`
    };

    std::string id{};  // names the step in references and reports
    std::string title{};  // what the step checks, for people
    Kind kind = Kind::Command;
    PlanAction action{};  // Command
    // Command steps that change the reader: what puts back what they
    // change, run when the change is not put back by the plan itself.
    std::optional<PlanAction> undo{};
    // The step whose change this one puts back, once it passes.
    std::string restores{};
    // Steps that must have passed, their changes still in place, for this
    // one to run; otherwise it is skipped.
    std::vector<std::string> needs{};
    Expectation expect{};
    std::string rate{};  // Rate
    uint32_t withinMs = 20000;  // Badge
};

// A test plan: steps run in order on one reader.
struct TestPlan {
    std::string name{};
    // The latency bound of steps that set none.
    uint32_t maxLatencyMs = 1000;
    // How long a line that dropped is waited for, to put the reader back.
    uint32_t lineBackWithinMs = 30000;
    std::vector<PlanStep> steps{};

    // Whether the plan can run safely: "" when it can, else a one-line
    // refusal naming the step. Every command exists and takes the
    // arguments given (checked as the command line checks its own); a
    // command that changes the reader has an undo; nothing is run that
    // cannot be put back (records confirmed, the whole white list
    // cleared, an address or rate changed outside a rate step); ids are
    // unique and references point back to earlier steps.
    std::string check() const;

    // The step with `id`, or nullptr.
    const PlanStep* find(const std::string& id) const;
};

}  // namespace lettore
