#include "LinkPort.h"

namespace lettore {

namespace {

constexpr int NotOpenNumber = 13;  // QSerialPort::NotOpenError, as a closed serial port reports it

}  // namespace

LinkPort::LinkPort(PortOpener opener) : m_opener(std::move(opener)) { }

LinkPort::~LinkPort() = default;

ByteChannel& LinkPort::channel()
{
    if (!m_channel)
        throw PortError(PortFailure::Other, NotOpenNumber, "Device is not open");
    return *m_channel;
}

// The new channel gets every part of the line's state that was ever set,
// in the order a new link sets them.
void LinkPort::configure(ByteChannel& fresh)
{
    if (m_handler)
        fresh.setEventHandler(m_handler);
    if (m_waitTurn)
        fresh.setWaitTurn(m_waitTurn);
    if (LineControl* line = fresh.lineControl()) {
        if (m_settings)
            line->setSettings(*m_settings);
        if (m_dtr)
            line->setDtrEnabled(*m_dtr);
        if (m_rts)
            line->setRtsEnabled(*m_rts);
    }
    if (m_notifications)
        fresh.setInputNotifications(true);
}

void LinkPort::moveTo(const std::string& address)
{
    if (m_channel && m_channel->isOpen())
        throw PortError(PortFailure::Other, 8000, "The port cannot move while it is open");
    std::unique_ptr<ByteChannel> fresh = m_opener(address);
    if (!fresh)
        throw PortError(PortFailure::InvalidPortNumber, 8002, "No port has the address \"" + address + "\"");
    configure(*fresh);
    m_channel = std::move(fresh);
    m_address = address;
}

void LinkPort::setSettings(const std::string& settings)
{
    if (m_channel)
        if (LineControl* line = m_channel->lineControl())
            line->setSettings(settings);
    m_settings = settings;
}

std::string LinkPort::settings()
{
    if (m_channel)
        if (LineControl* line = m_channel->lineControl())
            return line->settings();
    return m_settings.value_or(std::string());
}

void LinkPort::setDtrEnabled(bool enabled)
{
    if (m_channel)
        if (LineControl* line = m_channel->lineControl())
            line->setDtrEnabled(enabled);
    m_dtr = enabled;
}

void LinkPort::setRtsEnabled(bool enabled)
{
    if (m_channel)
        if (LineControl* line = m_channel->lineControl())
            line->setRtsEnabled(enabled);
    m_rts = enabled;
}

void LinkPort::open() { channel().open(); }

void LinkPort::close()
{
    if (m_channel)
        m_channel->close();
}

bool LinkPort::isOpen() { return m_channel && m_channel->isOpen(); }

std::string LinkPort::read(size_t maxBytes) { return channel().read(maxBytes); }

std::string LinkPort::discardInput() { return channel().discardInput(); }

void LinkPort::write(const std::string& bytes) { channel().write(bytes); }

bool LinkPort::waitForInput(int timeoutMs) { return channel().waitForInput(timeoutMs); }

void LinkPort::setWaitTurn(std::function<bool()> turn)
{
    m_waitTurn = std::move(turn);
    if (m_channel)
        m_channel->setWaitTurn(m_waitTurn);
}

void LinkPort::setInputNotifications(bool on)
{
    if (m_channel)
        m_channel->setInputNotifications(on);
    m_notifications = on;
}

void LinkPort::setEventHandler(std::function<void(CommEvent)> handler)
{
    m_handler = std::move(handler);
    if (m_channel)
        m_channel->setEventHandler(m_handler);
}

std::optional<PortError> LinkPort::closedByDrop() { return m_channel ? m_channel->closedByDrop() : std::nullopt; }

std::optional<uint32_t> LinkPort::roundTripMs() { return m_channel ? m_channel->roundTripMs() : std::nullopt; }

}  // namespace lettore
