#include "UndoJournal.h"

#include <algorithm>

namespace lettore {

bool UndoJournal::discharge(const std::string& stepId)
{
    const auto entry
        = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.stepId == stepId; });
    if (entry == m_entries.end())
        return false;
    m_entries.erase(entry);
    return true;
}

UndoJournal::Entry UndoJournal::takeLatest()
{
    Entry latest = std::move(m_entries.back());
    m_entries.pop_back();
    return latest;
}

}  // namespace lettore
