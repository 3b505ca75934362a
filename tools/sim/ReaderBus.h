#pragma once

#include "Fault.h"
#include "FrameSplitter.h"
#include "LineCommand.h"
#include "ReaderSettings.h"
#include "ReadingSchedule.h"
#include "TrafficLog.h"
#include "Transmitter.h"
#include "VirtualReader.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace lettore::sim {

// How the line as a whole behaves.
struct LineSettings {
    bool pace = false;  // bytes take their real time at the line's rate
    bool multimaster = false;  // readers send badge readings on their own
    // Every so many seconds a badge from presentCodes is held to the next
    // reader in turn; 0: never.
    int presentEverySeconds = 0;
    std::vector<std::string> presentCodes{"0000000001", "0000000002", "0000000003"};
    FaultTiming faultTiming;
    std::chrono::milliseconds readingRepeat{2000};  // unconfirmed readings are sent again
    // A reading waits this long after the last frame heard, so that it does
    // not land between a request and its answer.
    std::chrono::milliseconds readingQuiet{50};
};

// The emulated readers on one RS-485 bus, without any I/O: it is told the
// bytes the host wrote, with the time and the rate the line was at, and
// gives back the bytes due to go out at a time. Frames are cut out of the
// byte stream and reach every reader whose address they carry (all of them
// for a broadcast), but only a reader whose rate equals the line's hears
// one. Answers, readings and faults go out through a Transmitter.
//
// The bus also keeps whether the line is up: a "drop" fault or command
// takes it down, and whoever carries the bytes closes its end and, when
// the bus says the line is due back, brings it back and says so. Nothing
// is heard, sent or carried out while the line is down.
class ReaderBus {
public:
    using Clock = std::chrono::steady_clock;

    // Badges are first presented on schedule one period after `now`. `log`
    // may be null; it must outlive the bus.
    ReaderBus(const std::vector<ReaderSettings>& readers, const LineSettings& settings, std::ostream* log,
              Clock::time_point now);

    // Bytes the host wrote, heard at `now` with the line at `lineBaud`.
    void hear(std::string_view bytes, int lineBaud, Clock::time_point now);
    // Carries out a command, unless the line is down.
    void apply(const LineCommand& command, Clock::time_point now);
    // Presents the badges and sends the readings due by `now`, and returns
    // the bytes due to go out by then ("" while the line is down: they are
    // lost).
    std::string takeDue(int lineBaud, Clock::time_point now);
    // When there is next something to do: bytes to send, a reading, a
    // presentation, the line's return.
    std::optional<Clock::time_point> nextDue() const;

    bool lineUp() const { return m_up; }
    // Up or due back, and not told to quit.
    bool serving() const { return !m_quit && (m_up || m_comeBack); }
    // Takes the line down, saying why; with backAfterMs, it is due back
    // that much later.
    void drop(const std::string& why, Clock::time_point now, int backAfterMs = -1);
    bool dueBack(Clock::time_point now) const { return m_comeBack && now >= *m_comeBack; }
    // The line came back on `device`: nothing queued before the drop is
    // sent on it.
    void backOn(const std::string& device);
    // The line could not come back, for `reason`: it stays down.
    void staysDown(const std::string& reason);

    TrafficLog& log() { return m_log; }
    // Where the "state" command writes; null: nowhere.
    void reportTo(std::ostream* out) { m_report = out; }
    // Told, in a sentence, what the bus refuses or cannot do: a command for
    // a reader that is not on the line, a log that cannot be written.
    void tellProblemsTo(const std::function<void(const std::string&)>& tell);

private:
    struct Slot {
        Slot(const ReaderSettings& settings, const LineSettings& line)
            : reader(settings), fault(settings.fault), readings(line.readingRepeat, line.readingQuiet)
        { }

        VirtualReader reader;
        Fault fault = Fault::None;
        ReadingSchedule readings;
        bool awaitsAck = false;  // its last answer was a Tolvane frame
    };

    void handleFrame(const std::string& frame, int lineBaud, Clock::time_point now);
    // A lone byte from the host: an ACK confirms the Tolvane answer that
    // waits for it.
    void acknowledge(const std::string& byte, int lineBaud);
    void answer(Slot& slot, const std::string& bytes, int baudRate, std::size_t heardBytes, Clock::time_point now);
    // Whether `bytes` fit in the transmitter's queue; when not, the log
    // says they are dropped.
    bool roomFor(const std::string& bytes);
    void sendReadings(int lineBaud, Clock::time_point now);
    void presentOnSchedule(Clock::time_point now);
    void execute(const LineCommand& command, Clock::time_point now);
    Slot* slotAt(int address);
    Clock::duration byteTime(int baudRate) const;
    void logChanges(const VirtualReader& reader, int oldAddress, int oldBaud, const std::string& oldOutputs);

    LineSettings m_settings;
    TrafficLog m_log;
    std::ostream* m_report = nullptr;
    std::function<void(const std::string&)> m_tellProblem;
    std::vector<Slot> m_slots;
    FrameSplitter m_splitter;
    Transmitter m_transmitter;
    Clock::time_point m_lastHeard{};
    std::optional<Clock::time_point> m_nextPresent;
    std::size_t m_presented = 0;
    bool m_up = true;
    bool m_quit = false;
    std::optional<Clock::time_point> m_comeBack;  // a dropped line is offered again
};

}  // namespace lettore::sim
