#include "PortTap.h"

#include "WallTime.h"

namespace lettore {

PortTap::PortTap(std::unique_ptr<ByteChannel> channel, WallClock now)
    : m_channel(std::move(channel)), m_now(now ? std::move(now) : &std::chrono::system_clock::now)
{ }

PortOpener PortTap::tapping(PortOpener open, Listener* listener)
{
    return [open = std::move(open), listener](const std::string& address) -> std::unique_ptr<ByteChannel> {
        auto tap = std::make_unique<PortTap>(open(address));
        tap->setListener(listener);
        return tap;
    };
}

std::string PortTap::now() const { return isoTime(m_now()); }

void PortTap::tell(TrafficRow::Direction direction, const std::string& time, const std::string& bytes)
{
    if (m_listener && !bytes.empty())
        m_listener->traffic(direction, time, bytes);
}

template <typename Call>
auto PortTap::pass(const char* operation, Call call)
{
    try {
        return call();
    } catch (const PortError& error) {
        if (m_listener)
            m_listener->portFailed(now(), std::string(operation) + ": " + error.what());
        throw;
    }
}

LineControl& PortTap::line() { return *m_channel->lineControl(); }

void PortTap::open()
{
    pass("open", [&] { m_channel->open(); });
}

void PortTap::close()
{
    pass("close", [&] { m_channel->close(); });
}

bool PortTap::isOpen()
{
    return pass("open", [&] { return m_channel->isOpen(); });
}

std::string PortTap::read(size_t maxBytes)
{
    std::string bytes = pass("read", [&] { return m_channel->read(maxBytes); });
    tell(TrafficRow::Direction::Received, now(), bytes);
    return bytes;
}

std::string PortTap::discardInput()
{
    std::string bytes = pass("read", [&] { return m_channel->discardInput(); });
    tell(TrafficRow::Direction::Discarded, now(), bytes);
    return bytes;
}

void PortTap::write(const std::string& bytes)
{
    const std::string time = now();
    pass("write", [&] { m_channel->write(bytes); });
    tell(TrafficRow::Direction::Sent, time, bytes);
}

bool PortTap::waitForInput(int timeoutMs)
{
    return pass("wait", [&] { return m_channel->waitForInput(timeoutMs); });
}

void PortTap::setWaitTurn(std::function<bool()> turn) { m_channel->setWaitTurn(std::move(turn)); }

void PortTap::setInputNotifications(bool on)
{
    pass("notifications", [&] { m_channel->setInputNotifications(on); });
}

void PortTap::setEventHandler(std::function<void(CommEvent)> handler)
{
    // A line that drops outside any call is a port failure too.
    m_channel->setEventHandler([this, handler = std::move(handler)](CommEvent event) {
        if (event == CommEvent::LineDropped && m_listener) {
            const std::optional<PortError> cause = m_channel->closedByDrop();
            m_listener->portFailed(now(), std::string("line dropped: ") + (cause ? cause->what() : LineDroppedText));
        }
        if (handler)
            handler(event);
    });
}

std::optional<PortError> PortTap::closedByDrop() { return m_channel->closedByDrop(); }

void PortTap::setSettings(const std::string& settings)
{
    pass("settings", [&] { line().setSettings(settings); });
}

std::string PortTap::settings()
{
    return pass("settings", [&] { return line().settings(); });
}

void PortTap::setDtrEnabled(bool enabled)
{
    pass("DTR", [&] { line().setDtrEnabled(enabled); });
}

void PortTap::setRtsEnabled(bool enabled)
{
    pass("RTS", [&] { line().setRtsEnabled(enabled); });
}

}  // namespace lettore
