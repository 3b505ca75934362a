#include "TrafficFeed.h"

#include "WallTime.h"

namespace lettore {

TrafficFeed::TrafficFeed(Sink sink, PortTap::WallClock now)
    : m_sink(std::move(sink)), m_now(now ? std::move(now) : &std::chrono::system_clock::now)
{ }

void TrafficFeed::give(std::vector<TrafficRow>&& rows)
{
    if (!rows.empty())
        m_sink(std::move(rows));
}

void TrafficFeed::flush() { give(m_decoder.flush()); }

void TrafficFeed::traffic(TrafficRow::Direction direction, const std::string& time, const std::string& bytes)
{
    give(m_decoder.feed(direction, time, bytes));
}

void TrafficFeed::portFailed(const std::string& time, const std::string& text)
{
    give(m_decoder.event(TrafficRow::Kind::PortFailed, time, text));
}

void TrafficFeed::ComTO() { give(m_decoder.event(TrafficRow::Kind::TimedOut, isoTime(m_now()))); }

}  // namespace lettore
