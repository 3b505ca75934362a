#pragma once

#include "Port.h"
#include "TrafficRow.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace lettore {

// A Port that passes every call on to the port it wraps, unchanged, and
// tells its listener, with the wall time, every byte read, written or
// discarded and every port failure. Bytes read while the input length is
// 0 and followed straight by a write are the input the link drops before a
// send: they are told as Discarded, once the write shows it; all others as
// Received when read.
class PortTap : public Port {
public:
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void traffic(TrafficRow::Direction direction, const std::string& time,
                             const std::string& bytes) = 0;
        // `text`: the operation that failed and the port's own text.
        virtual void portFailed(const std::string& time, const std::string& text) = 0;
    };
    using WallClock = std::function<std::chrono::system_clock::time_point()>;

    explicit PortTap(std::unique_ptr<Port> port, WallClock now = {});
    ~PortTap() override;

    // The listener told from now on; nullptr tells nobody. Not owned.
    void setListener(Listener* listener);

    void setPortNumber(int16_t number) override;
    int16_t portNumber() override;
    void setSettings(const std::string& settings) override;
    std::string settings() override;
    void setOpen(bool open) override;
    bool isOpen() override;
    void setDtrEnabled(bool enabled) override;
    void setRtsEnabled(bool enabled) override;
    void setInputLength(int length) override;
    std::string read() override;
    void write(const std::string& bytes) override;
    int receiveThreshold() override;
    void setReceiveThreshold(int threshold) override;
    void setReceiveHandler(std::function<void(CommEvent)> handler) override;
    std::optional<PortError> closedByDrop() override;
    bool waitForInput(int timeoutMs) override;

private:
    // Runs one call of the wrapped port; the held read is told as Received
    // first unless `keepHeld`, and a failure is told before it goes on up.
    template <typename Call>
    auto pass(const char* operation, Call call, bool keepHeld = false);
    void tell(TrafficRow::Direction direction, const std::string& time, const std::string& bytes);
    void releaseHeld(TrafficRow::Direction direction);
    std::string now() const;

    std::unique_ptr<Port> m_port;
    WallClock m_now;
    Listener* m_listener = nullptr;
    int m_inputLength = 0;
    struct Held {
        std::string time;
        std::string bytes;
    };
    std::optional<Held> m_held;
};

}  // namespace lettore
