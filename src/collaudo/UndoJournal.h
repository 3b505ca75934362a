#pragma once

#include "TestPlan.h"

#include <optional>
#include <string>
#include <vector>

namespace lettore {

// The changes a run made to the reader that are not put back yet, each
// with what puts it back. An entry is written before the command that
// makes the change is sent: once the frame is on the line the reader may
// have carried it out, whatever its answer says.
class UndoJournal {
public:
    struct Entry {
        std::string stepId;
        std::string change;  // what the step changes, in words
        // What puts it back: a reader command, or, for a rate step, the
        // rate (`rateBack`) the reader is to be brought back to.
        std::optional<PlanAction> action;
        std::string rateBack;
    };

    void add(Entry entry) { m_entries.push_back(std::move(entry)); }
    // The plan put the change of step `stepId` back itself: the entry
    // goes. False when there was none.
    bool discharge(const std::string& stepId);
    bool empty() const { return m_entries.empty(); }
    // The latest change still to put back: changes are undone in the
    // reverse order of their making.
    Entry takeLatest();

private:
    std::vector<Entry> m_entries;
};

}  // namespace lettore
