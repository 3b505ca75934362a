#pragma once

#include "CommandLine.h"
#include "ConnectionSettings.h"
#include "EndRequests.h"
#include "ReaderScan.h"
#include "TestPlan.h"
#include "TestRecord.h"

#include <optional>
#include <ostream>

namespace lettore {

class Clock;
class TrafficCapture;
class clsLettori;

// `lettore collaudo` on an open link: loads the plan, runs it on the
// reader --term names (or on each reader a scan finds), prints a line per
// step and per change put back, writes the reports and gives the exit
// status. The first request to end (Ctrl-C) stops the plan and puts the
// reader back; a second one leaves what is not back yet.
class CollaudoSession {
public:
    // clock: the one the registry's link runs on, for the plan's time limits.
    CollaudoSession(clsLettori& registry, Clock& clock, const Invocation& invocation, const ConnectionSettings& stored,
                    TrafficCapture& traffic, std::ostream& out, std::ostream& err);

    int run();

private:
    // One reader: the plan run, its lines printed, its reports written.
    // False when a report could not be written.
    bool test(int16_t term, bool alone, ReaderRecord& record);
    std::vector<ReaderScan::Found> scan(bool& portFailed);
    void watchRequests();
    // Tells that the line dropped; the exit status for it.
    int lineDropped();

    clsLettori& m_registry;
    Clock& m_clock;
    const Invocation& m_invocation;
    const ConnectionSettings& m_stored;
    TrafficCapture& m_traffic;
    std::ostream& m_out;
    std::ostream& m_err;
    TestPlan m_plan;
    RunInfo m_info;
    std::optional<EndRequests> m_requests;
    int m_stopSignal = 0;  // the request that stopped the run
    bool m_abandon = false;
};

}  // namespace lettore
