#include "TestPlan.h"

#include "ArgumentChecks.h"
#include "CommandTable.h"
#include "FieldCodec.h"
#include "FoundValues.h"

#include <algorithm>
#include <regex>
#include <set>

namespace lettore {

namespace {

// Commands a plan may not run: what they do cannot be put back. A
// confirmed record is gone or passed for good, the cleared white list
// cannot be read back to be rebuilt, and an address or rate moved by a
// command step would leave the rest of the plan talking to nobody (a rate
// step moves the reader and brings it back itself).
const std::set<std::string, std::less<>> NotUndoable{"SendACK", "GetMatricolaNext", "CancellaWL", "SetupSeriale",
                                                     "SetIndirizzo"};

// The fields a badge step finds.
const std::vector<std::string> BadgeFields{"indirizzo", "codice"};

class Checker {
public:
    explicit Checker(const TestPlan& plan) : m_plan(plan) { }

    std::string run()
    {
        if (m_plan.steps.empty())
            return "the plan has no steps";
        for (const PlanStep& step : m_plan.steps) {
            if (std::string refusal = checkStep(step); !refusal.empty())
                return "step " + std::to_string(m_seen.size() + 1) + " ("
                       + (step.id.empty() ? std::string("no id") : step.id) + "): " + refusal;
            m_seen.insert(step.id);
            if (step.undo)
                m_undoable.insert(step.id);
        }
        return {};
    }

private:
    std::string checkStep(const PlanStep& step)
    {
        if (step.id.empty() || step.id.find_first_of(".${} ") != std::string::npos)
            return "an id is a word without blanks, dots or braces";
        if (m_seen.contains(step.id))
            return "the id is used twice";
        if (step.title.empty())
            return "a step needs a title";
        for (const std::string& needed : step.needs)
            if (!m_seen.contains(needed))
                return "needs \"" + needed + "\", which is not an earlier step";
        if (!step.restores.empty() && !m_undoable.contains(step.restores))
            return "restores \"" + step.restores + "\", which is not an earlier step with an undo";
        for (const Expectation::Field& field : step.expect.fields) {
            if (std::string refusal = references(field.isPattern ? field.pattern : field.equals); !refusal.empty())
                return refusal;
            if (field.isPattern && !compiles(field.pattern))
                return "the pattern of " + field.name + " is not a regular expression";
        }
        switch (step.kind) {
        case PlanStep::Kind::Command: return checkCommand(step);
        case PlanStep::Kind::Rate:
            if (step.undo || !step.restores.empty())
                return "a rate step puts the reader back itself";
            return ArgumentChecks::baudRate("rate", step.rate);
        case PlanStep::Kind::Badge:
            for (const Expectation::Field& field : step.expect.fields)
                if (std::find(BadgeFields.begin(), BadgeFields.end(), field.name) == BadgeFields.end())
                    return "a badge step finds indirizzo and codice, not " + field.name;
            return ArgumentChecks::integer("withinMs", std::to_string(step.withinMs), 1, 600000);
        }
        return {};
    }

    std::string checkCommand(const PlanStep& step)
    {
        const ReaderCommand* command = ReaderCommand::find(step.action.command);
        if (std::string refusal = checkAction(step.action); !refusal.empty())
            return refusal;
        for (const Expectation::Field& field : step.expect.fields)
            if (std::none_of(command->fields.begin(), command->fields.end(),
                             [&](const ReaderCommand::Field& f) { return field.name == f.name; }))
                return step.action.command + " has no field " + field.name;
        // A step that puts an earlier change back is itself undone by that
        // step's undo, should it fail.
        if (command->effect == ReaderCommand::Effect::Changes && !step.undo && step.restores.empty())
            return step.action.command + " changes the reader: the step needs an undo";
        if (step.undo)
            return checkAction(*step.undo);
        return {};
    }

    std::string checkAction(const PlanAction& action)
    {
        const ReaderCommand* command = ReaderCommand::find(action.command);
        if (!command)
            return "unknown reader command \"" + action.command + "\"";
        if (NotUndoable.contains(action.command))
            return action.command + " cannot be undone, so a plan does not run it";
        const CommandEntry* entry = commandLineEntry(*command);
        for (const auto& [name, text] : action.arguments) {
            const auto input = std::find(command->inputs.begin(), command->inputs.end(), name);
            if (input == command->inputs.end())
                return action.command + " has no argument " + name;
            if (std::string refusal = references(text); !refusal.empty())
                return refusal;
            // What is known now is checked now; a value found by the run
            // is checked when the step runs.
            const std::size_t n = static_cast<std::size_t>(input - command->inputs.begin());
            if (FoundValues::references(text).empty() && entry)
                if (std::string refusal = ArgumentChecks::argument(entry->inputs[n], text); !refusal.empty())
                    return refusal;
        }
        for (const char* input : command->inputs)
            if (!action.arguments.contains(input))
                return action.command + " needs the argument " + input;
        return {};
    }

    // Each ${step.field} names an earlier step.
    std::string references(const std::string& text) const
    {
        for (const std::string& name : FoundValues::references(text)) {
            const std::size_t dot = name.find('.');
            if (dot == std::string::npos || !m_seen.contains(name.substr(0, dot)))
                return "${" + name + "} does not name a field of an earlier step";
        }
        return {};
    }

    static bool compiles(const std::string& pattern)
    {
        try {
            [[maybe_unused]] const std::regex compiled{pattern};
            return true;
        } catch (const std::regex_error&) {
            return false;
        }
    }

    const TestPlan& m_plan;
    std::set<std::string> m_seen;
    std::set<std::string> m_undoable;
};

}  // namespace

const CommandEntry* commandLineEntry(const ReaderCommand& command)
{
    for (const CommandEntry& entry : CommandTable::all())
        if (entry.command == &command && !entry.longRun)
            return &entry;
    return nullptr;
}

std::string TestPlan::check() const { return Checker(*this).run(); }

const PlanStep* TestPlan::find(const std::string& id) const
{
    for (const PlanStep& step : steps)
        if (step.id == id)
            return &step;
    return nullptr;
}

}  // namespace lettore
