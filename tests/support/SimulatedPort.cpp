#include "SimulatedPort.h"

#include "ByteText.h"

#include <algorithm>
#include <iterator>
#include <sstream>

namespace lettore::test {

namespace {

// Wrap-aware "a is at or before b".
bool notAfter(uint32_t a, uint32_t b) { return static_cast<int32_t>(b - a) >= 0; }

PortError notOpen() { return PortError(PortFailure::Other, 8018, "Operation valid only when the port is open"); }

}  // namespace

std::string hex(const std::string& bytes) { return ByteText::hex(bytes); }

std::string unhex(const std::string& text)
{
    std::istringstream in(text);
    std::string out;
    unsigned value = 0;
    while (in >> std::hex >> value)
        out += static_cast<char>(value);
    return out;
}

std::vector<std::string> SimulatedPort::controlCalls() const
{
    std::vector<std::string> out;
    std::copy_if(m_calls.begin(), m_calls.end(), std::back_inserter(out),
                 [](const std::string& call) { return call.rfind("read", 0) != 0; });
    return out;
}

void SimulatedPort::clearRecord()
{
    m_calls.clear();
    m_writes.clear();
}

bool SimulatedPort::notify(CommEvent event)
{
    if (m_threshold < 1 || !m_handler)
        return false;
    m_handler(event);
    return true;
}

void SimulatedPort::dropLine(const PortError& cause)
{
    m_open = false;
    m_dropCause = cause;
    if (m_handler)
        m_handler(CommEvent::LineDropped);
}

// A call fails before it is recorded.
void SimulatedPort::record(const std::string& call)
{
    maybeFail(call);
    m_calls.push_back(call);
}

void SimulatedPort::maybeFail(const std::string& call)
{
    const std::string operation = call.substr(0, call.find(' '));
    if (auto it = m_failAlways.find(operation); it != m_failAlways.end())
        throw it->second;
    for (const std::string& key : {call, operation}) {
        if (auto it = m_failNext.find(key); it != m_failNext.end()) {
            const PortError error = it->second;
            m_failNext.erase(it);
            throw error;
        }
    }
}

void SimulatedPort::releaseDueInput()
{
    // Stable: bytes due at the same time keep their feeding order.
    std::stable_sort(m_scheduled.begin(), m_scheduled.end(), [this](const Scheduled& a, const Scheduled& b) {
        return static_cast<int32_t>(a.due - m_clock.nowMs()) < static_cast<int32_t>(b.due - m_clock.nowMs());
    });
    auto it = m_scheduled.begin();
    for (; it != m_scheduled.end() && notAfter(it->due, m_clock.nowMs()); ++it)
        m_input.insert(m_input.end(), it->bytes.begin(), it->bytes.end());
    m_scheduled.erase(m_scheduled.begin(), it);
}

void SimulatedPort::setPortNumber(int16_t number)
{
    if (m_open)
        throw PortError(PortFailure::Other, 8000, "Operation not valid while the port is opened");
    record("port " + std::to_string(number));
    m_number = number;
}

void SimulatedPort::setOpen(bool open)
{
    if (open) {
        if (m_open)
            throw PortError(PortFailure::AlreadyOpen, 8005, "Port already open");
        if (m_busy.count(m_number))
            throw PortError(PortFailure::DeviceUnavailable, 68, "Device unavailable");
        if (m_missing.count(m_number))
            throw PortError(PortFailure::InvalidPortNumber, 8002, "Invalid port number");
    }
    record(open ? "open" : "close");
    m_open = open;
    m_dropCause.reset();
}

std::string SimulatedPort::read()
{
    maybeFail("read");
    if (maxReads != 0 && ++m_readCount > maxReads)
        throw PortError(PortFailure::Other, 8020, "Read limit of the simulated port reached");
    if (!m_open)
        throw notOpen();
    releaseDueInput();
    const size_t n = m_inputLength == 0 ? m_input.size() : std::min<size_t>(m_inputLength, m_input.size());
    std::string out(m_input.begin(), m_input.begin() + static_cast<long>(n));
    m_input.erase(m_input.begin(), m_input.begin() + static_cast<long>(n));
    record(out.empty() ? "read" : "read " + hex(out));
    return out;
}

void SimulatedPort::write(const std::string& bytes)
{
    if (!m_open)
        throw notOpen();
    record("write " + hex(bytes));
    m_writes.push_back(bytes);
    if (onWrite)
        onWrite(bytes);
}

bool SimulatedPort::waitForInput(int timeoutMs)
{
    maybeFail("wait");
    ++m_waitCount;
    releaseDueInput();
    if (!m_input.empty())
        return true;
    // What is still scheduled is sorted, the soonest first, and not yet due.
    const uint32_t limit = timeoutMs > 0 ? static_cast<uint32_t>(timeoutMs) : 0;
    if (!m_scheduled.empty() && m_scheduled.front().due - m_clock.nowMs() <= limit) {
        m_clock.advance(m_scheduled.front().due - m_clock.nowMs());
        return true;
    }
    m_clock.advance(limit + oversleepMs);
    return false;
}

}  // namespace lettore::test
