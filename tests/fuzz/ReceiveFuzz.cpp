// The link under answers in arbitrary pieces and times, clock jumps and port failures: results agree with events.
#include "FuzzInput.h"

#include "Esito.h"
#include "Frame.h"
#include "LinkEvents.h"
#include "SimulatedPort.h"
#include "clsComunicazioni.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <span>
#include <vector>

using namespace lettore;
using namespace lettore::fuzz;

namespace {

// Raw bytes, a control byte, or a well-formed frame, to get past the checks.
std::string piece(FuzzInput& in)
{
    static const char controls[]
        = {Frame::STX, Frame::ETX, Frame::ACK, Frame::NAK, Frame::TolvaneStart, Frame::TolvaneEnd};
    switch (in.pick(3)) {
    case 0: return in.bytes(24);
    case 1: return std::string(1, controls[in.pick(sizeof controls)]);
    default: {
        const auto term = static_cast<int16_t>(in.inRange(0, 255));
        const char* type = in.flag() ? "S" : "P";
        return Frame::of(term, type, in.bytes(20)).encode();
    }
    }
}

// The link on a simulated port, its events kept as they come.
class Run : public LinkEvents {
public:
    explicit Run(FuzzInput& in) : m_in(in), m_clock(in.u32())
    {
        m_sim.oversleepMs = static_cast<uint32_t>(in.inRange(0, 200));
        m_link.subscribe(this);
    }

    void Errore(int16_t, const std::string& text) override { m_events.push_back({'E', text}); }
    void ComTX(const std::string& bytes) override { m_events.push_back({'T', bytes}); }
    void ComRX(const std::string& bytes) override { m_events.push_back({'R', bytes}); }
    void ComTO() override { m_events.push_back({'O', {}}); }

    void step()
    {
        switch (m_in.pick(8)) {
        case 0: feedLater(static_cast<uint32_t>(m_in.inRange(0, 12000))); break;
        case 1: dialectExchange(); break;
        case 2: rawExchange(); break;
        case 3: notification(); break;
        case 4: failSoon(40); break;
        case 5: settings(); break;
        case 6: send(); break;
        default: m_clock.advance(static_cast<uint32_t>(m_in.inRange(0, 12000))); break;
        }
    }

private:
    void feedLater(uint32_t delay) { m_sim.feedAt(m_clock.nowMs() + delay, piece(m_in)); }

    // One of the next `within` port calls fails. (Inputs are taken in
    // separate statements so that stored inputs replay alike everywhere.)
    void failSoon(int within)
    {
        using enum PortFailure;
        constexpr PortFailure kinds[] = {DeviceUnavailable, AlreadyOpen, InvalidPortNumber, Other};
        const auto calls = static_cast<size_t>(m_in.inRange(0, within));
        m_sim.failCall(calls, kinds[m_in.pick(4)]);
    }

    // The event loop's turn: time jumps, input arrives, or a call will fail.
    void yieldTurn()
    {
        switch (m_in.pick(4)) {
        case 0: m_clock.advance(static_cast<uint32_t>(m_in.inRange(0, 3000))); break;
        case 1: m_sim.feed(piece(m_in)); break;
        case 2: failSoon(8); break;
        }
    }

    void dialectExchange()
    {
        using Link = clsComunicazioni;
        static const decltype(&Link::Zem) routines[]
            = {&Link::Zem, &Link::Parlow, &Link::Quen, &Link::Sibrant, &Link::Sibrant2, &Link::Tolvane};
        static const char* const types[] = {"S", "P", "", "SP"};
        const size_t dialect = m_in.pick(6);
        const auto term = static_cast<int16_t>(m_in.inRange(-40, 300));
        const std::string type = types[m_in.pick(4)];
        const std::string data = m_in.bytes(16);
        checked(dialect == 5, [&](int16_t& esito, std::string& answer) {
            (m_link.*routines[dialect])(term, type, data, esito, answer);
        });
    }

    void rawExchange()
    {
        const bool tolvane = m_in.flag();
        const std::string frame = m_in.bytes(24);
        const auto routine = tolvane ? &clsComunicazioni::InviaComando_RiceviRisposta_TOLVANE
                                     : &clsComunicazioni::InviaComando_RiceviRisposta;
        checked(tolvane, [&](int16_t& esito, std::string& answer) { (m_link.*routine)(frame, esito, answer); });
    }

    // Runs one exchange and checks its result against its events: after the send its own outcome comes first, the
    // answer handed back (empty when rejected) or the time-out; every other frame raised is whole and checked.
    template <typename Exchange>
    void checked(bool tolvane, Exchange exchange)
    {
        const size_t first = m_events.size();
        int16_t esito = -1;
        std::string answer = "stale";
        exchange(esito, answer);

        FUZZ_CHECK(esito >= Esito::Accepted && esito <= 5);
        FUZZ_CHECK(esito == Esito::Accepted || answer.empty());
        if (esito == Esito::Accepted && !answer.empty() && !loneAckOrNak(answer))
            FUZZ_CHECK(tolvane ? answer.front() == Frame::TolvaneStart
                                     && (answer.back() == Frame::TolvaneEnd || answer.back() == Frame::ACK)
                               : answer.front() == Frame::STX && checkCharacterHolds(answer));
        const bool awaited
            = esito == Esito::TimedOut || esito == Esito::Rejected || (esito == Esito::Accepted && !answer.empty());
        bool sent = false;
        std::optional<Event> outcome;
        for (const Event& event : std::span(m_events).subspan(first)) {
            sent = sent || event.kind == 'T';
            if (event.kind != 'R' && event.kind != 'O')
                continue;
            if (awaited && !outcome && sent)
                outcome = event;
            else
                FUZZ_CHECK(event.kind == 'R' && wholeFrame(event.bytes));
        }
        FUZZ_CHECK(outcome.has_value() == awaited);
        FUZZ_CHECK(!outcome || (outcome->kind == (esito == Esito::TimedOut ? 'O' : 'R') && outcome->bytes == answer));
    }

    void notification()
    {
        const size_t first = m_events.size();
        if (!m_sim.notify())
            return;
        const auto events = std::span(m_events).subspan(first);
        FUZZ_CHECK(std::ranges::none_of(events, [](const Event& e) { return e.kind == 'T'; }));
        FUZZ_CHECK(std::ranges::count_if(events, [](const Event& e) { return e.kind == 'R' || e.kind == 'O'; }) <= 1);
    }

    void settings()
    {
        static const char* const rates[] = {"9600,N,8,1", "19200,N,8,1", "1200,N,8,1", ""};
        switch (m_in.pick(6)) {
        case 0: m_link.setAttivo(m_in.flag()); break;
        case 1: m_link.setCommPort(static_cast<int16_t>(m_in.inRange(-2, 4))); break;
        case 2: m_link.setCommSettings(rates[m_in.pick(4)]); break;
        case 3: m_in.flag() ? m_link.OnComm_Attivato() : m_link.OnComm_Disattivato(); break;
        case 4: m_link.setQuietGapAfterTimeOut(static_cast<uint32_t>(m_in.inRange(0, 6000))); break;
        default: {
            int16_t state = -1;
            std::string setting;
            m_link.AnalizzaSeriale(static_cast<int16_t>(m_in.inRange(-2, 4)), state, setting);
        }
        }
    }

    void send()
    {
        const std::string frame = m_in.bytes(24);
        m_in.flag() ? m_link.InviaComando(frame) : m_link.InviaComandoSenzaRisposta(frame);
    }

    struct Event {
        char kind;  // E(rrore), T(X), R(X), O (time-out)
        std::string bytes;
    };
    std::vector<Event> m_events;
    FuzzInput& m_in;
    test::ManualClock m_clock;
    test::SimulatedPort m_sim{m_clock};
    clsComunicazioni m_link{m_sim.opener(), m_clock, [this] { yieldTurn(); }};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    Run run(in);
    for (int steps = 0; steps < 24 && !in.empty(); ++steps)
        run.step();
    return 0;
}
