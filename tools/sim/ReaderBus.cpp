#include "ReaderBus.h"

#include "Frame.h"

#include <algorithm>

namespace lettore::sim {

namespace {

std::string meaningOfAnswer(const std::string& bytes)
{
    if (bytes == std::string(1, Frame::ACK))
        return "ACK";
    if (bytes == std::string(1, Frame::NAK))
        return "NAK";
    // Tolvane: '<', address, data, two check digits, '>'; the others: STX,
    // two address bytes, data, ETX, check character.
    const bool tolvane = bytes[0] == Frame::TolvaneStart;
    const std::size_t head = tolvane ? 2 : 3;
    const std::size_t tail = tolvane ? 3 : 2;
    if (bytes.size() >= head + tail)
        return "answer \"" + bytes.substr(head, bytes.size() - head - tail) + "\"";
    return "answer";
}

}  // namespace

ReaderBus::ReaderBus(const std::vector<ReaderSettings>& readers, const LineSettings& settings, std::ostream* log,
                     Clock::time_point now)
    : m_settings(settings), m_log(log)
{
    for (const auto& reader : readers) {
        m_slots.emplace_back(reader, settings);
        m_slots.back().reader.setMultimaster(settings.multimaster);
    }
    if (settings.presentEverySeconds > 0 && !settings.presentCodes.empty())
        m_nextPresent = now + std::chrono::seconds(settings.presentEverySeconds);
}

void ReaderBus::tellProblemsTo(const std::function<void(const std::string&)>& tell)
{
    m_tellProblem = tell;
    m_log.onFailure([tell](const std::string& reason) {
        if (tell)
            tell("the log cannot be written (" + reason + "): logging stops");
    });
}

void ReaderBus::hear(std::string_view bytes, int lineBaud, Clock::time_point now)
{
    if (!m_up)
        return;
    for (const auto& frame : m_splitter.feed(bytes)) {
        handleFrame(frame, lineBaud, now);
        if (!m_up)
            return;
    }
    if (const std::size_t dropped = m_splitter.takeDropped())
        m_log.event(std::to_string(dropped) + " bytes dropped: no frame end within "
                    + std::to_string(FrameSplitter::MaxFrameBytes) + " bytes");
}

void ReaderBus::apply(const LineCommand& command, Clock::time_point now)
{
    if (m_up)
        execute(command, now);
}

std::string ReaderBus::takeDue(int lineBaud, Clock::time_point now)
{
    presentOnSchedule(now);
    sendReadings(lineBaud, now);
    std::string bytes = m_transmitter.takeDue(now);
    return m_up ? bytes : std::string();
}

std::optional<ReaderBus::Clock::time_point> ReaderBus::nextDue() const
{
    std::optional<Clock::time_point> wake = m_transmitter.nextDue();
    const auto earliest = [&wake](Clock::time_point t) { wake = wake ? std::min(*wake, t) : t; };
    if (m_nextPresent)
        earliest(*m_nextPresent);
    if (m_comeBack)
        earliest(*m_comeBack);
    for (const auto& slot : m_slots)
        if (const auto due = slot.readings.due(m_lastHeard))
            earliest(*due);
    return wake;
}

void ReaderBus::handleFrame(const std::string& frame, int lineBaud, Clock::time_point now)
{
    m_lastHeard = now;
    if (frame.size() == 1) {
        acknowledge(frame, lineBaud);
        return;
    }
    // Each reader takes the frame by its own model's layout. Pick the
    // readers before any of them acts: a command may move one to another
    // address.
    std::vector<std::pair<Slot*, Request>> hearers;
    for (auto& slot : m_slots) {
        slot.awaitsAck = false;
        auto request = Request::heardBy(frame, slot.reader.model(), slot.reader.address());
        if (request)
            hearers.emplace_back(&slot, std::move(*request));
    }
    // Nobody's: the Sibrant2 layout still names what it asks for.
    const auto named = hearers.empty() ? Request::parse(frame) : std::optional(hearers.front().second);
    m_log.frame("RX", lineBaud, frame, named ? named->describe() : "not for any reader");

    for (auto& [slot, request] : hearers) {
        if (slot->reader.baudRate() != lineBaud) {
            m_log.event("reader " + std::to_string(slot->reader.address()) + " listens at "
                        + std::to_string(slot->reader.baudRate()) + ": frame not understood");
            continue;
        }
        VirtualReader& reader = slot->reader;
        if (!request.bccOk) {
            if (request.kind != Request::Kind::Broadcast)
                answer(*slot, std::string(1, Frame::NAK), lineBaud, frame.size(), now);
            continue;
        }
        // A refusing reader carries out nothing it is asked.
        if (slot->fault == Fault::Nak && request.kind != Request::Kind::Broadcast) {
            m_log.event("fault: reader " + std::to_string(reader.address()) + " refuses");
            answer(*slot, std::string(1, Frame::NAK), lineBaud, frame.size(), now);
            continue;
        }
        if (slot->fault == Fault::Drop && request.kind != Request::Kind::Broadcast) {
            drop("fault: line dropped by reader " + std::to_string(reader.address()), now);
            return;
        }
        const int oldAddress = reader.address();
        const int oldBaud = reader.baudRate();
        const std::string oldOutputs = reader.outputs();
        const std::string bytes = reader.handle(request);
        if (!bytes.empty())
            answer(*slot, bytes, oldBaud, frame.size(), now);
        // The host acknowledges a Tolvane answer frame with a lone ACK.
        slot->awaitsAck = bytes.size() > 1 && reader.model().answers == Frame::Rule::Tolvane;
        logChanges(reader, oldAddress, oldBaud, oldOutputs);
    }
}

void ReaderBus::acknowledge(const std::string& byte, int lineBaud)
{
    const auto waiting = std::find_if(m_slots.begin(), m_slots.end(), [](const Slot& s) { return s.awaitsAck; });
    if (byte[0] != Frame::ACK || waiting == m_slots.end()) {
        m_log.frame("RX", lineBaud, byte, "no answer waits for it");
        return;
    }
    waiting->awaitsAck = false;
    waiting->reader.acknowledge();
    m_log.frame("RX", lineBaud, byte, "reader " + std::to_string(waiting->reader.address()) + ": answer acknowledged");
}

void ReaderBus::answer(Slot& slot, const std::string& bytes, int baudRate, std::size_t heardBytes,
                       Clock::time_point now)
{
    const FaultyAnswer out = applyFault(slot.fault, bytes, m_settings.faultTiming);
    if (out.pieces.empty()) {
        m_log.event("fault: reader " + std::to_string(slot.reader.address()) + " does not answer");
        return;
    }
    const std::string whole = out.bytes();
    if (!roomFor(whole))
        return;
    const auto bt = byteTime(baudRate);
    // With pacing the request itself took its time to arrive.
    const auto start = now + bt * static_cast<long>(heardBytes);
    for (const auto& piece : out.pieces)
        m_transmitter.schedule(piece.bytes, start + piece.after, bt);
    m_log.frame("TX", baudRate, whole, meaningOfAnswer(bytes) + out.note);
}

bool ReaderBus::roomFor(const std::string& bytes)
{
    if (bytes.size() <= Transmitter::MaxQueuedBytes - m_transmitter.queuedBytes())
        return true;
    m_log.event(std::to_string(bytes.size()) + " bytes dropped: " + std::to_string(m_transmitter.queuedBytes())
                + " bytes already wait to go out");
    return false;
}

void ReaderBus::sendReadings(int lineBaud, Clock::time_point now)
{
    for (auto& slot : m_slots) {
        const auto reading = slot.reader.pendingReading();
        slot.readings.track(reading ? std::optional(reading->id) : std::nullopt, now);
        if (!reading || !slot.readings.takeDue(now, m_lastHeard))
            continue;
        if (slot.reader.baudRate() != lineBaud) {
            m_log.event("reader " + std::to_string(slot.reader.address()) + " sends at "
                        + std::to_string(slot.reader.baudRate()) + ", line at " + std::to_string(lineBaud)
                        + ": reading lost");
            continue;
        }
        // A reading that finds no room is sent again after the pause.
        if (!roomFor(reading->frame))
            continue;
        m_transmitter.schedule(reading->frame, now, byteTime(lineBaud));
        slot.reader.readingSent();
        m_log.frame("TX", lineBaud, reading->frame,
                    "reading, status " + reading->data.substr(0, 1) + ", badge " + reading->data.substr(1));
    }
}

void ReaderBus::presentOnSchedule(Clock::time_point now)
{
    if (!m_nextPresent || now < *m_nextPresent || m_slots.empty())
        return;
    *m_nextPresent += std::chrono::seconds(m_settings.presentEverySeconds);
    const auto& codes = m_settings.presentCodes;
    LineCommand command;
    command.kind = LineCommand::Kind::Present;
    command.address = m_slots[m_presented % m_slots.size()].reader.address();
    command.text = codes[m_presented % codes.size()];
    ++m_presented;
    execute(command, now);
}

void ReaderBus::execute(const LineCommand& command, Clock::time_point now)
{
    using Kind = LineCommand::Kind;
    switch (command.kind) {
    case Kind::Quit: m_quit = true; return;
    case Kind::Drop: drop("line dropped on request", now, command.backAfterMs); return;
    case Kind::Multimaster:
        for (auto& slot : m_slots)
            slot.reader.setMultimaster(command.enabled);
        m_log.event(std::string("multimaster ") + (command.enabled ? "on" : "off"));
        return;
    default: break;
    }
    Slot* slot = slotAt(command.address);
    const std::string who = "reader " + std::to_string(command.address);
    if (!slot) {
        m_log.event("no " + who);
        if (command.kind == Kind::State && m_report)
            *m_report << "no " << who << std::endl;
        else if (m_tellProblem)
            m_tellProblem("no " + who + " on the line: command refused");
        return;
    }
    if (command.kind == Kind::Present) {
        slot->reader.present(command.text);
        m_log.event(who + ": badge " + command.text + " presented"
                    + (slot->reader.multimaster() ? "" : ", stored as a transaction"));
    } else if (command.kind == Kind::Transaction) {
        slot->reader.addTransaction(command.text);
        m_log.event(who + ": transaction " + command.text + " stored");
    } else if (command.kind == Kind::SetFault) {
        slot->fault = command.fault;
        m_log.event(who + ": fault " + faultName(command.fault));
    } else if (command.kind == Kind::State && m_report) {
        *m_report << slot->reader.state() << std::flush;
    }
}

void ReaderBus::drop(const std::string& why, Clock::time_point now, int backAfterMs)
{
    m_log.event(why);
    m_up = false;
    if (backAfterMs >= 0)
        m_comeBack = now + std::chrono::milliseconds(backAfterMs);
}

void ReaderBus::backOn(const std::string& device)
{
    m_comeBack.reset();
    m_up = true;
    m_transmitter.takeDue(Clock::time_point::max());
    m_log.event("line back on " + device);
}

void ReaderBus::staysDown(const std::string& reason)
{
    m_comeBack.reset();
    m_log.event("line cannot come back: " + reason);
}

ReaderBus::Slot* ReaderBus::slotAt(int address)
{
    const auto it = std::find_if(m_slots.begin(), m_slots.end(),
                                 [address](const Slot& s) { return s.reader.address() == address; });
    return it == m_slots.end() ? nullptr : &*it;
}

ReaderBus::Clock::duration ReaderBus::byteTime(int baudRate) const
{
    if (!m_settings.pace || baudRate <= 0)
        return Clock::duration::zero();
    // Start bit, 8 data bits, stop bit.
    return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(10'000'000'000LL / baudRate));
}

void ReaderBus::logChanges(const VirtualReader& reader, int oldAddress, int oldBaud, const std::string& oldOutputs)
{
    if (reader.address() != oldAddress || reader.baudRate() != oldBaud)
        m_log.event("reader " + std::to_string(oldAddress) + " is now reader " + std::to_string(reader.address())
                    + " at " + std::to_string(reader.baudRate()));
    if (reader.outputs() != oldOutputs)
        m_log.event("reader " + std::to_string(reader.address()) + " outputs: relay " + reader.outputs().substr(0, 3)
                    + ", buzzer " + reader.outputs().substr(3, 3) + ", green LED " + reader.outputs().substr(6, 3));
}

}  // namespace lettore::sim
