#pragma once

#include "LineControl.h"
#include "PortError.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace lettore {

// Kinds of channel notification. ReceivedData: input is waiting (only
// while input notifications are on). LineDropped: the line hung up or the
// device vanished while no channel operation ran, and the channel closed
// itself (closedByDrop() says why); it comes whether notifications are on
// or not.
enum class CommEvent { Other = 0, ReceivedData = 2, LineDropped = 3 };

// Bytes to and from one reader line, whatever carries them: a serial
// device, or later a connection over the network. Bytes travel in
// std::string, one char per byte, 0 to 255. Made closed, for one address;
// any operation may throw PortError.
class ByteChannel {
public:
    virtual ~ByteChannel() = default;

    virtual void open() = 0;
    // Lets the output leave first; closing a closed channel does nothing.
    virtual void close() = 0;
    virtual bool isOpen() = 0;

    // The waiting bytes, at most maxBytes of them; "" when nothing waits.
    virtual std::string read(size_t maxBytes = SIZE_MAX) = 0;

    // Takes every waiting byte off the line to be thrown away, and returns
    // them (the link still looks for readers' frames among them). A channel
    // that tells its traffic tells these as discarded, not received.
    virtual std::string discardInput() { return read(); }

    // Writes every byte before returning.
    virtual void write(const std::string& bytes) = 0;

    // Blocks until input may be waiting or timeoutMs have passed, without
    // spinning. Returns true when input arrived. A false return only means
    // the time passed; the caller reads the clock to know how much.
    virtual bool waitForInput(int timeoutMs) = 0;

    // The hook a write or a drain before close calls between slices of its
    // wait, at least every 100 ms: it may run the event loop, and returns
    // false to end the wait at once, which then fails as timed out. A
    // channel whose writes never wait need not call it. Empty: no hook.
    virtual void setWaitTurn(std::function<bool()> turn) = 0;

    // Input notifications: while on, the handler is told ReceivedData
    // whenever input waits, from the event loop, never from inside an
    // operation of the channel.
    virtual void setInputNotifications(bool on) = 0;
    // The handler that notifications are delivered to.
    virtual void setEventHandler(std::function<void(CommEvent)> handler) = 0;

    // Why the channel closed itself when its line dropped, for as long as
    // it stays closed for that reason; nothing otherwise. A channel that
    // closed itself outside any operation opens itself again once the line
    // is back, unless it is told to open or close meanwhile.
    virtual std::optional<PortError> closedByDrop() = 0;

    // The serial line's controls; nullptr for a channel without them.
    virtual LineControl* lineControl() { return nullptr; }

    // How long a request takes to reach the far end of the connection and
    // its answer to come back, as measured when the channel last opened; a
    // channel to a device of this machine has none.
    virtual std::optional<uint32_t> roundTripMs() { return std::nullopt; }
};

// Makes the channel that an address names, closed. See PortAddress.
using PortOpener = std::function<std::unique_ptr<ByteChannel>(const std::string& address)>;

}  // namespace lettore
