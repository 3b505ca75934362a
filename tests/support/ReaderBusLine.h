#pragma once

#include "ByteChannel.h"
#include "ManualClock.h"
#include "ReaderBus.h"

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace lettore::test {

// A line to a bus of virtual readers in this process, and the opener of its channels: what the link writes is heard
// at the rate its settings name, and time moves only when a wait or pass() moves the ManualClock, from one thing
// due on the bus to the next. When the bus drops the line, the channel closes itself and fails as a port whose line
// hung up; it opens again once the bus has the line back.
class ReaderBusLine {
public:
    using Bus = sim::ReaderBus;

    ReaderBusLine(const std::vector<sim::ReaderSettings>& readers, const sim::LineSettings& settings,
                  ManualClock& clock)
        : m_clock(clock), m_bus(readers, settings, &m_log, at())
    { }

    PortOpener opener()
    {
        return [this](const std::string&) { return std::make_unique<Channel>(*this); };
    }
    // Carries out a line command; the link hears of a drop as the port's event loop would tell it.
    void apply(const std::string& command)
    {
        m_bus.apply(sim::LineCommand::parse(command), at());
        if (followDrop() && m_handler)
            m_handler(CommEvent::LineDropped);
    }
    std::string logged() const { return m_log.str(); }

    // Lets `ms` pass; whenever input waits, the link is told as its event loop would tell it.
    void pass(uint32_t ms)
    {
        const uint32_t end = m_clock.nowMs() + ms;
        while (advanceTowards(end))
            if (!m_input.empty() && m_notify && m_handler)
                m_handler(CommEvent::ReceivedData);
    }

private:
    class Channel : public ByteChannel, public LineControl {
    public:
        explicit Channel(ReaderBusLine& line) : m_line(line) { }

        void open() override
        {
            if (!m_line.m_bus.lineUp())
                throw dropped();
            m_line.m_state = State::Open;
        }
        void close() override { m_line.m_state = State::Closed; }
        bool isOpen() override { return m_line.m_state == State::Open; }
        std::string read(size_t maxBytes) override
        {
            requireNoDrop();
            m_line.takeDue();
            const std::string out = m_line.m_input.substr(0, maxBytes);
            m_line.m_input.erase(0, out.size());
            return out;
        }
        void write(const std::string& bytes) override
        {
            requireNoDrop();
            m_line.m_bus.hear(bytes, m_line.baudRate(), m_line.at());
            m_line.followDrop();
        }
        bool waitForInput(int timeoutMs) override
        {
            requireNoDrop();
            const uint32_t end = m_line.m_clock.nowMs() + static_cast<uint32_t>(std::max(timeoutMs, 0));
            m_line.takeDue();
            while (m_line.m_input.empty() && m_line.advanceTowards(end)) { }
            return !m_line.m_input.empty();
        }
        void setWaitTurn(std::function<bool()>) override { }
        void setInputNotifications(bool on) override { m_line.m_notify = on; }
        void setEventHandler(std::function<void(CommEvent)> handler) override { m_line.m_handler = std::move(handler); }
        std::optional<PortError> closedByDrop() override
        {
            return m_line.m_state == State::Dropped ? std::optional(dropped()) : std::nullopt;
        }
        LineControl* lineControl() override { return this; }
        void setSettings(const std::string& settings) override { m_line.m_settings = settings; }
        std::string settings() override { return m_line.m_settings; }
        void setDtrEnabled(bool) override { }
        void setRtsEnabled(bool) override { }

    private:
        static PortError dropped() { return PortError(PortFailure::Other, 0, LineDroppedText); }
        void requireNoDrop()
        {
            if (m_line.m_state == State::Dropped)
                throw dropped();
        }

        ReaderBusLine& m_line;
    };

    Bus::Clock::time_point at() const { return Bus::Clock::time_point(std::chrono::milliseconds(m_clock.nowMs())); }
    int baudRate() const { return std::stoi(m_settings); }
    // The line is back when the bus says it is due.
    void takeDue()
    {
        if (m_bus.dueBack(at()))
            m_bus.backOn("COM9");
        m_input += m_bus.takeDue(baudRate(), at());
    }
    // Whether the channel closed itself now, its line dropped.
    bool followDrop()
    {
        if (m_bus.lineUp() || m_state != State::Open)
            return false;
        m_state = State::Dropped;
        return true;
    }

    // Moves the clock to the bus's next work, at least 1 ms on and at most to `end`, and takes what is due then;
    // false once the clock is at `end`.
    bool advanceTowards(uint32_t end)
    {
        const uint32_t now = m_clock.nowMs();
        if (now >= end)
            return false;
        uint32_t next = end;
        if (const auto due = m_bus.nextDue()) {
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(due->time_since_epoch()).count();
            next = static_cast<uint32_t>(std::clamp<long long>(ms, now + 1, end));
        }
        m_clock.advance(next - now);
        takeDue();
        return true;
    }

    ManualClock& m_clock;
    std::ostringstream m_log;
    Bus m_bus;
    std::string m_input;
    std::string m_settings = "9600,N,8,1";
    enum class State { Closed, Open, Dropped } m_state = State::Closed;
    bool m_notify = false;
    std::function<void(CommEvent)> m_handler;
};

}  // namespace lettore::test
