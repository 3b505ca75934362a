#pragma once

#include "ByteChannel.h"
#include "TrafficRow.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace lettore {

// A byte channel that passes every call on to the channel it wraps,
// unchanged, and tells its listener, with the wall time, every byte read
// (Received), written (Sent) or taken off the line to be thrown away
// (Discarded), and every failure. It has line control when the wrapped
// channel has.
class PortTap : public ByteChannel, public LineControl {
public:
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void traffic(TrafficRow::Direction direction, const std::string& time, const std::string& bytes) = 0;
        // `text`: the operation that failed and the port's own text.
        virtual void portFailed(const std::string& time, const std::string& text) = 0;
    };
    using WallClock = std::function<std::chrono::system_clock::time_point()>;

    explicit PortTap(std::unique_ptr<ByteChannel> channel, WallClock now = {});

    // An opener whose every channel is `open`'s, tapped for `listener`
    // (not owned; it must outlive the channels).
    static PortOpener tapping(PortOpener open, Listener* listener);

    // The listener told from now on; nullptr tells nobody. Not owned.
    void setListener(Listener* listener) { m_listener = listener; }

    // ByteChannel
    void open() override;
    void close() override;
    bool isOpen() override;
    std::string read(size_t maxBytes = SIZE_MAX) override;
    std::string discardInput() override;
    void write(const std::string& bytes) override;
    bool waitForInput(int timeoutMs) override;
    void setWaitTurn(std::function<bool()> turn) override;
    void setInputNotifications(bool on) override;
    void setEventHandler(std::function<void(CommEvent)> handler) override;
    std::optional<PortError> closedByDrop() override;
    LineControl* lineControl() override { return m_channel->lineControl() ? this : nullptr; }
    std::optional<uint32_t> roundTripMs() override { return m_channel->roundTripMs(); }

    // LineControl
    void setSettings(const std::string& settings) override;
    std::string settings() override;
    void setDtrEnabled(bool enabled) override;
    void setRtsEnabled(bool enabled) override;

private:
    // Runs one call of the wrapped channel; a failure is told before it
    // goes on up.
    template <typename Call>
    auto pass(const char* operation, Call call);
    void tell(TrafficRow::Direction direction, const std::string& time, const std::string& bytes);
    LineControl& line();
    std::string now() const;

    std::unique_ptr<ByteChannel> m_channel;
    WallClock m_now;
    Listener* m_listener = nullptr;
};

}  // namespace lettore
