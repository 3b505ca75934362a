#pragma once

#include "clsComunicazioni.h"

#include <functional>

namespace lettore {

// The stop point of a run of many exchanges, before each one.
class BetweenExchanges {
public:
    // Whether `stopRequested` asks the run to end before its next exchange:
    // asked once, then again after the quiet gap a time-out may have left
    // due, so a stop that comes during the gap sends nothing more.
    static bool stop(clsComunicazioni& link, const std::function<bool()>& stopRequested)
    {
        if (!stopRequested)
            return false;
        if (stopRequested())
            return true;
        link.keepQuietGap();
        return stopRequested();
    }
};

}  // namespace lettore
