#pragma once

#include "TrafficRow.h"

#include <functional>
#include <utility>
#include <vector>

namespace lettore {

// Where a program hands the traffic rows its port tap decodes, so that a
// test run can keep those of its own exchanges: the program offers every
// batch, the run listens while it lasts.
class TrafficCapture {
public:
    using Listener = std::function<void(const TrafficRow& row)>;

    void offer(const std::vector<TrafficRow>& rows) const
    {
        if (m_listener)
            for (const TrafficRow& row : rows)
                m_listener(row);
    }
    // The listener told from now on; an empty one tells nobody.
    void setListener(Listener listener) { m_listener = std::move(listener); }

private:
    Listener m_listener;
};

}  // namespace lettore
