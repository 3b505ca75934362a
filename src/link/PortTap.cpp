#include "PortTap.h"

#include "WallTime.h"

namespace lettore {

PortTap::PortTap(std::unique_ptr<Port> port, WallClock now)
    : m_port(std::move(port)), m_now(now ? std::move(now) : &std::chrono::system_clock::now)
{
}

PortTap::~PortTap() { releaseHeld(TrafficRow::Direction::Received); }

void PortTap::setListener(Listener* listener)
{
    releaseHeld(TrafficRow::Direction::Received);
    m_listener = listener;
}

std::string PortTap::now() const { return isoTime(m_now()); }

void PortTap::tell(TrafficRow::Direction direction, const std::string& time, const std::string& bytes)
{
    if (m_listener && !bytes.empty())
        m_listener->traffic(direction, time, bytes);
}

void PortTap::releaseHeld(TrafficRow::Direction direction)
{
    if (!m_held)
        return;
    const Held held = std::move(*m_held);
    m_held.reset();
    tell(direction, held.time, held.bytes);
}

template <typename Call>
auto PortTap::pass(const char* operation, Call call, bool keepHeld)
{
    if (!keepHeld)
        releaseHeld(TrafficRow::Direction::Received);
    try {
        return call();
    } catch (const PortError& error) {
        releaseHeld(TrafficRow::Direction::Received);
        if (m_listener)
            m_listener->portFailed(now(), std::string(operation) + ": " + error.what());
        throw;
    }
}

void PortTap::setPortNumber(int16_t number)
{
    pass("port number", [&] { m_port->setPortNumber(number); });
}

int16_t PortTap::portNumber()
{
    return pass("port number", [&] { return m_port->portNumber(); }, true);
}

void PortTap::setSettings(const std::string& settings)
{
    pass("settings", [&] { m_port->setSettings(settings); });
}

std::string PortTap::settings()
{
    return pass("settings", [&] { return m_port->settings(); }, true);
}

void PortTap::setOpen(bool open)
{
    pass(open ? "open" : "close", [&] { m_port->setOpen(open); });
}

bool PortTap::isOpen() { return pass("open", [&] { return m_port->isOpen(); }, true); }

void PortTap::setDtrEnabled(bool enabled)
{
    pass("DTR", [&] { m_port->setDtrEnabled(enabled); });
}

void PortTap::setRtsEnabled(bool enabled)
{
    pass("RTS", [&] { m_port->setRtsEnabled(enabled); });
}

void PortTap::setInputLength(int length)
{
    pass("input length", [&] { m_port->setInputLength(length); }, true);
    m_inputLength = length;
}

std::string PortTap::read()
{
    std::string bytes = pass("read", [&] { return m_port->read(); });
    if (bytes.empty())
        return bytes;
    if (m_inputLength == 0)
        m_held = Held{now(), bytes};
    else
        tell(TrafficRow::Direction::Received, now(), bytes);
    return bytes;
}

void PortTap::write(const std::string& bytes)
{
    releaseHeld(TrafficRow::Direction::Discarded);
    const std::string time = now();
    pass("write", [&] { m_port->write(bytes); });
    tell(TrafficRow::Direction::Sent, time, bytes);
}

int PortTap::receiveThreshold()
{
    return pass("threshold", [&] { return m_port->receiveThreshold(); }, true);
}

void PortTap::setReceiveThreshold(int threshold)
{
    pass("threshold", [&] { m_port->setReceiveThreshold(threshold); }, true);
}

void PortTap::setReceiveHandler(std::function<void(CommEvent)> handler)
{
    // A line that drops outside any call is a port failure too.
    m_port->setReceiveHandler([this, handler = std::move(handler)](CommEvent event) {
        if (event == CommEvent::LineDropped && m_listener) {
            const std::optional<PortError> cause = m_port->closedByDrop();
            m_listener->portFailed(now(), std::string("line dropped: ")
                                              + (cause ? cause->what() : LineDroppedText));
        }
        if (handler)
            handler(event);
    });
}

std::optional<PortError> PortTap::closedByDrop() { return m_port->closedByDrop(); }

bool PortTap::waitForInput(int timeoutMs)
{
    return pass("wait", [&] { return m_port->waitForInput(timeoutMs); });
}

}  // namespace lettore
