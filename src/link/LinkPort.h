#pragma once

#include "ByteChannel.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace lettore {

// The port as the link holds it: the byte channel for the address it is
// on, made by the opener, and the line's state (settings, DTR, RTS, input
// notifications, the event handler and the wait hook), which it keeps and
// hands on to every channel it makes. Channel operations go to the current
// channel; with none (the opener failed) they fail as on a closed port.
// On a channel without line control the settings are only kept, and DTR
// and RTS are nothing to set.
class LinkPort : public ByteChannel {
public:
    explicit LinkPort(PortOpener opener);
    ~LinkPort() override;

    LinkPort(const LinkPort&) = delete;
    LinkPort& operator=(const LinkPort&) = delete;

    // The address of the current channel; "" before the first move.
    const std::string& address() const { return m_address; }

    // Puts a new channel for `address` in place of the current one, which
    // must be closed, and gives it the line's state. On failure the current
    // channel stays.
    void moveTo(const std::string& address);

    // A channel of its own for `address`, closed and apart from the line's
    // state: for a probe that must leave the current channel alone.
    std::unique_ptr<ByteChannel> channelFor(const std::string& address) { return m_opener(address); }

    // The line's state; each change reaches the current channel.
    void setSettings(const std::string& settings);
    std::string settings();
    void setDtrEnabled(bool enabled);
    void setRtsEnabled(bool enabled);
    bool inputNotifications() const { return m_notifications; }

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
    std::optional<uint32_t> roundTripMs() override;

private:
    ByteChannel& channel();
    void configure(ByteChannel& channel);

    PortOpener m_opener;
    std::unique_ptr<ByteChannel> m_channel;
    std::string m_address;
    std::optional<std::string> m_settings;
    std::optional<bool> m_dtr, m_rts;
    bool m_notifications = false;
    std::function<void(CommEvent)> m_handler;
    std::function<bool()> m_waitTurn;
};

}  // namespace lettore
