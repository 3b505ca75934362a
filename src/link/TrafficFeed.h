#pragma once

#include "LinkEvents.h"
#include "PortTap.h"
#include "TrafficDecoder.h"

#include <functional>
#include <vector>

namespace lettore {

// Joins what a port tap tells and the link's time-outs into traffic rows,
// in the order they happened, and hands each batch of rows on as soon as
// the decoder completes it. Subscribe it to the link and make it the tap's
// listener.
class TrafficFeed : public PortTap::Listener, public LinkEvents {
public:
    using Sink = std::function<void(std::vector<TrafficRow>&& rows)>;

    explicit TrafficFeed(Sink sink, PortTap::WallClock now = {});

    // The rows of the bytes still held (an unfinished frame, trailing
    // noise): for the end of a run.
    void flush();

    void traffic(TrafficRow::Direction direction, const std::string& time, const std::string& bytes) override;
    void portFailed(const std::string& time, const std::string& text) override;
    void ComTO() override;

private:
    void give(std::vector<TrafficRow>&& rows);

    Sink m_sink;
    PortTap::WallClock m_now;
    TrafficDecoder m_decoder;
};

}  // namespace lettore
