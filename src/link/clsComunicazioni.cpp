#include "clsComunicazioni.h"

#include "Framing.h"
#include "SerialSettings.h"

#include <algorithm>
#include <cstdint>

namespace lettore {

namespace {

constexpr int16_t InvalidArgumentNumber = 5;
constexpr const char* InvalidArgumentText = "Invalid procedure call or argument";
constexpr int16_t LinkBusyNumber = 8100;
constexpr const char* LinkBusyText = "Link busy: another exchange or reception is in progress";

bool isChar(const std::string& s, char c) { return s.size() == 1 && s[0] == c; }

}  // namespace

// The clock of one reception: elapsed time across the counter's wrap, the
// time limit, the turns of the event loop and the blocking between reads.
class clsComunicazioni::Wait {
public:
    Wait(Port& port, Clock& clock, const std::function<void()>& yield, uint32_t limitMs,
         bool yields)
        : m_port(port), m_clock(clock), m_yield(yield), m_limit(limitMs), m_yields(yields),
          m_start(clock.nowMs())
    {
    }

    uint32_t elapsed() { return elapsedMs(m_start, m_clock.nowMs()); }

    // The wait ends once more than the limit has passed.
    bool expired(uint32_t elapsed) const { return elapsed > m_limit; }

    // Hands the event loop a turn when the measured time has reached the
    // next boundary, then moves the boundary to the next multiple of the
    // yield step, so a wait that steps over a multiple still yields.
    void yieldIfDue(uint32_t elapsed)
    {
        if (!m_yields || elapsed < m_nextYield)
            return;
        m_nextYield = (elapsed / YieldStepMs + 1) * YieldStepMs;
        if (m_yield)
            m_yield();
    }

    // Sleeps in the port until input may be waiting, the next yield
    // boundary, the moment the limit is passed or elapsed time `deadline`,
    // whichever comes first.
    void block(uint32_t deadline = UINT32_MAX)
    {
        uint32_t until = std::min(m_limit + 1, deadline);
        if (m_yields)
            until = std::min(until, m_nextYield);
        const uint32_t now = elapsed();
        if (now < until)
            m_port.waitForInput(static_cast<int>(until - now));
    }

private:
    Port& m_port;
    Clock& m_clock;
    const std::function<void()>& m_yield;
    const uint32_t m_limit;
    const bool m_yields;
    const uint32_t m_start;
    uint32_t m_nextYield = 0;
};

// The link is busy from construction until end(), or until destruction
// when an exception leaves the collection early.
class clsComunicazioni::BusySpan {
public:
    explicit BusySpan(clsComunicazioni& link) : m_link(link) { m_link.setBusy(true); }
    ~BusySpan() { end(); }

    BusySpan(const BusySpan&) = delete;
    BusySpan& operator=(const BusySpan&) = delete;

    void end()
    {
        if (m_active) {
            m_active = false;
            m_link.setBusy(false);
        }
    }

private:
    clsComunicazioni& m_link;
    bool m_active = true;
};

// Counts the public calls under way: one may run inside another's event
// handler. When the outermost one ends, the readers' frames held meanwhile
// are raised, after the events of the call itself.
class clsComunicazioni::OperationSpan {
public:
    explicit OperationSpan(clsComunicazioni& link) : m_link(link) { ++m_link.m_operationDepth; }
    ~OperationSpan()
    {
        if (--m_link.m_operationDepth == 0 && !m_link.m_heldFrames.empty())
            m_link.raiseHeldFrames();
    }

    OperationSpan(const OperationSpan&) = delete;
    OperationSpan& operator=(const OperationSpan&) = delete;

private:
    clsComunicazioni& m_link;
};

clsComunicazioni::clsComunicazioni(std::unique_ptr<Port> port, Clock& clock,
                                   std::function<void()> yieldToEventLoop)
    : Seriale(std::move(port)), m_clock(clock), m_yield(std::move(yieldToEventLoop))
{
    try {
        Seriale->setReceiveHandler([this](CommEvent event) { Seriale_OnComm(event); });
    } catch (const PortError& error) {
        reportPortFailure(error);
    }
    try {
        Seriale->setPortNumber(1);
        Seriale->setSettings(SerialSettings{}.text());
        Seriale->setDtrEnabled(false);
        Seriale->setInputLength(1);
        Seriale->setReceiveThreshold(1);
        Seriale->setRtsEnabled(true);
    } catch (const PortError& error) {
        reportPortFailure(error);
    }
}

clsComunicazioni::~clsComunicazioni()
{
    try {
        Seriale->setReceiveHandler({});
        if (Seriale->isOpen())
            Seriale->setOpen(false);
    } catch (const PortError&) {
        // Nothing left to tell: the port goes away with the link.
    }
}

int16_t clsComunicazioni::CommPort() const { return mvarCommPort; }

void clsComunicazioni::setCommPort(int16_t vData)
{
    assign(mvarCommPort, m_commPortInDoubt, vData, [this] { return Seriale->portNumber(); },
           [this](int16_t number) { Seriale->setPortNumber(number); });
}

const std::string& clsComunicazioni::CommSettings() const { return mvarCommSettings; }

void clsComunicazioni::setCommSettings(const std::string& vData)
{
    assign(mvarCommSettings, m_commSettingsInDoubt, vData, [this] { return Seriale->settings(); },
           [this](const std::string& settings) { Seriale->setSettings(settings); });
}

// Assigns a port number or settings: nothing happens when `stored` holds
// vData already and the port is known to hold it too. The stored value
// changes only once the port has taken vData; `inDoubt` records that a
// failed change could not give the port its old value back.
template <typename Value, typename Read, typename Write>
void clsComunicazioni::assign(Value& stored, bool& inDoubt, const Value& vData, Read read, Write write)
{
    if (refusedWhileBusy() || (vData == stored && !inDoubt))
        return;
    Value old{};
    try {
        old = read();
    } catch (const PortError& error) {
        reportPortFailure(error);
        return;
    }
    switch (reconfigure([&] { write(vData); }, [&] { write(old); })) {
    case Change::Made:
        stored = vData;
        inDoubt = false;
        break;
    case Change::Undone:
        break;
    case Change::InDoubt:
        inDoubt = true;
        break;
    }
}

// An open port is closed around the change, with DTR low while closed and
// raised again once reopened; a closed port is changed in place. When a
// step fails it is reported, and the port is put back as it was: its old
// value (putBack) once the new one was applied, reopened with DTR raised if
// it had been closed, DTR raised if it had only been lowered. InDoubt: the
// old value could not be put back.
clsComunicazioni::Change clsComunicazioni::reconfigure(const std::function<void()>& apply,
                                                       const std::function<void()>& putBack)
{
    bool wasOpen = false;
    bool dtrLowered = false;
    bool applied = false;
    try {
        wasOpen = Seriale->isOpen();
        if (wasOpen) {
            Seriale->setDtrEnabled(false);
            dtrLowered = true;
            Seriale->setOpen(false);
        }
        apply();
        applied = true;
        if (wasOpen) {
            Seriale->setOpen(true);
            Seriale->setDtrEnabled(true);
        }
        return Change::Made;
    } catch (const PortError& error) {
        reportPortFailure(error);
    }

    bool putBackDone = !applied;
    try {
        if (applied) {
            if (Seriale->isOpen())
                Seriale->setOpen(false);
            putBack();
            putBackDone = true;
        }
        if (dtrLowered) {
            if (!Seriale->isOpen())
                Seriale->setOpen(true);
            Seriale->setDtrEnabled(true);
        }
    } catch (const PortError& error) {
        reportPortFailure(error);
    }
    clearAttivoIfClosed();
    return putBackDone ? Change::Undone : Change::InDoubt;
}

bool clsComunicazioni::Attivo() const { return mvarAttivo; }

void clsComunicazioni::setAttivo(bool vData)
{
    if (!refusedWhileBusy())
        applyAttivo(vData);
}

// DTR goes low first, always. True opens a closed port and raises DTR (an
// open port is left open with DTR low); false closes an open port. When a
// step fails it is reported and the stored flag kept; a port opened here
// is closed again, and a flag that claimed an open port follows it closed.
void clsComunicazioni::applyAttivo(bool vData)
{
    bool opened = false;
    try {
        Seriale->setDtrEnabled(false);
        const bool open = Seriale->isOpen();
        if (vData && !open) {
            Seriale->setOpen(true);
            opened = true;
            Seriale->setDtrEnabled(true);
        } else if (!vData && open) {
            Seriale->setOpen(false);
        }
        mvarAttivo = vData;
        return;
    } catch (const PortError& error) {
        reportPortFailure(error);
    }
    if (opened) {
        try {
            Seriale->setOpen(false);
        } catch (const PortError& error) {
            reportPortFailure(error);
        }
    }
    clearAttivoIfClosed();
}

// After a failure, the Attivo flag never claims a port that is closed.
void clsComunicazioni::clearAttivoIfClosed()
{
    try {
        if (!Seriale->isOpen())
            mvarAttivo = false;
    } catch (const PortError& error) {
        reportPortFailure(error);
    }
}

void clsComunicazioni::AnalizzaSeriale(int16_t NumComm, int16_t& S_Stato, std::string& S_Setting)
{
    if (refusedWhileBusy())
        return;
    int16_t number = 0;
    bool wasOpen = false;
    try {
        number = Seriale->portNumber();
        wasOpen = Seriale->isOpen();
        if (wasOpen)
            Seriale->setOpen(false);
    } catch (const PortError& error) {
        // Without the port's current state there is nothing safe to probe.
        reportPortFailure(error);
        return;
    }

    try {
        Seriale->setPortNumber(NumComm);
        S_Setting = Seriale->settings();
        Seriale->setOpen(true);
        S_Stato = 1;
        Seriale->setOpen(false);
    } catch (const PortError& error) {
        switch (error.kind()) {
        case PortFailure::DeviceUnavailable:
            S_Stato = 2;
            break;
        case PortFailure::AlreadyOpen:
        case PortFailure::InvalidPortNumber:
            S_Stato = 3;
            break;
        case PortFailure::Other:
            break;
        }
    }

    // The old number goes back before the port is reopened, so a failure
    // there never leaves the probed device open.
    bool numberBack = false;
    try {
        if (Seriale->portNumber() != number)
            Seriale->setPortNumber(number);
        numberBack = true;
        if (wasOpen)
            Seriale->setOpen(true);
    } catch (const PortError& error) {
        reportPortFailure(error);
        m_commPortInDoubt = m_commPortInDoubt || !numberBack;
        clearAttivoIfClosed();
    }
}

void clsComunicazioni::Zem(int16_t term, const std::string& TipoComando,
                           const std::string& StrComando, int16_t& esito, std::string& Risposta)
{
    singleByteDialect(Framing::zemFrame(term, TipoComando, StrComando),
                      term == Framing::SingleByteBroadcast, false, esito, Risposta);
}

void clsComunicazioni::Parlow(int16_t term, const std::string& TipoComando,
                              const std::string& StrComando, int16_t& esito,
                              std::string& Risposta)
{
    singleByteDialect(Framing::parlowFrame(term, TipoComando, StrComando),
                      term == Framing::SingleByteBroadcast, false, esito, Risposta);
}

void clsComunicazioni::Quen(int16_t term, const std::string& TipoComando,
                            const std::string& StrComando, int16_t& esito, std::string& Risposta)
{
    singleByteDialect(Framing::quenFrame(term, TipoComando, StrComando),
                      term == Framing::SingleByteBroadcast, false, esito, Risposta);
}

void clsComunicazioni::Sibrant(int16_t term, const std::string& TipoComando,
                               const std::string& StrComando, int16_t& esito,
                               std::string& Risposta)
{
    const bool sendOnly = term == Framing::SingleByteBroadcast || isChar(StrComando, Framing::ACK);
    singleByteDialect(Framing::sibrantFrame(term, TipoComando, StrComando), sendOnly, false, esito,
                      Risposta);
}

void clsComunicazioni::Sibrant2(int16_t term, const std::string& TipoComando,
                                const std::string& StrComando, int16_t& esito,
                                std::string& Risposta)
{
    const bool sendOnly = term == Framing::Sibrant2Broadcast || isChar(StrComando, Framing::ACK);
    dispatch(Framing::sibrant2Frame(term, TipoComando, StrComando), sendOnly, false, esito,
             Risposta);
}

void clsComunicazioni::Tolvane(int16_t term, const std::string& TipoComando,
                               const std::string& StrComando, int16_t& esito,
                               std::string& Risposta)
{
    singleByteDialect(Framing::tolvaneFrame(term, TipoComando, StrComando),
                      term == Framing::SingleByteBroadcast, true, esito, Risposta);
}

void clsComunicazioni::singleByteDialect(const std::optional<std::string>& frame, bool sendOnly,
                                         bool tolvane, int16_t& esito, std::string& Risposta)
{
    if (!frame) {
        // The address does not fit in one byte: nothing goes on the line.
        Risposta.clear();
        esito = Esito::InvalidArgument;
        raiseErrore(InvalidArgumentNumber, InvalidArgumentText);
        return;
    }
    dispatch(*frame, sendOnly, tolvane, esito, Risposta);
}

void clsComunicazioni::dispatch(const std::string& frame, bool sendOnly, bool tolvane,
                                int16_t& esito, std::string& Risposta)
{
    if (sendOnly) {
        esito = InviaComando(frame);
        Risposta.clear();
    } else {
        exchange(frame, tolvane, esito, Risposta);
    }
}

void clsComunicazioni::InviaComando_RiceviRisposta(const std::string& Comando, int16_t& esito,
                                                   std::string& Risposta)
{
    exchange(Comando, false, esito, Risposta);
}

void clsComunicazioni::InviaComando_RiceviRisposta_TOLVANE(const std::string& Comando,
                                                           int16_t& esito, std::string& Risposta)
{
    exchange(Comando, true, esito, Risposta);
}

// One send and one reception with notifications off, the link busy from
// the start until the answer is collected. The STX family puts the
// threshold back as it found it; the Tolvane family leaves it at 0. A port
// failure ends the exchange with PortFailed, and the threshold and the
// Attivo state are still put back as far as the port allows.
void clsComunicazioni::exchange(const std::string& Comando, bool tolvane, int16_t& esito,
                                std::string& Risposta)
{
    keepQuietGap();
    OperationSpan operation(*this);
    if (refusedWhileBusy()) {
        esito = Esito::LinkBusy;
        Risposta.clear();
        return;
    }
    BusySpan busySpan(*this);
    const bool wasInactive = !mvarAttivo;
    applyAttivo(true);  // a failure is reported; the send then opens the port itself

    bool thresholdWasOne = false;
    try {
        if (!tolvane)
            thresholdWasOne = Seriale->receiveThreshold() == 1;
        Seriale->setReceiveThreshold(0);
        sendFrame(Comando);
        esito = tolvane ? RiceviRisposta_TOLVANE(Risposta) : RiceviRisposta(Risposta);
    } catch (const PortError& error) {
        esito = Esito::PortFailed;
        Risposta.clear();
        reportPortFailure(error);
    }
    busySpan.end();

    if (esito == Esito::TimedOut)
        m_quietGapDue = m_quietGapMs > 0;
    if (esito == Esito::Accepted || esito == Esito::Rejected)
        raiseComRX(Risposta);
    else if (esito == Esito::TimedOut)
        raiseComTO();

    if (thresholdWasOne)
        setThreshold(1);
    if (wasInactive)
        applyAttivo(false);
}

int16_t clsComunicazioni::InviaComandoSenzaRisposta(const std::string& Comando)
{
    keepQuietGap();
    OperationSpan operation(*this);
    if (refusedWhileBusy())
        return Esito::LinkBusy;
    const bool wasInactive = !mvarAttivo;
    applyAttivo(true);
    const int16_t result = send(Comando);
    if (wasInactive)
        applyAttivo(false);
    return result;
}

int16_t clsComunicazioni::InviaComando(const std::string& Comando)
{
    keepQuietGap();
    OperationSpan operation(*this);
    return refusedWhileBusy() ? Esito::LinkBusy : send(Comando);
}

int16_t clsComunicazioni::send(const std::string& Comando)
{
    try {
        sendFrame(Comando);
        return Esito::Accepted;
    } catch (const PortError& error) {
        reportPortFailure(error);
        return Esito::PortFailed;
    }
}

// Opens the port if needed (leaving the stored Attivo flag and DTR alone),
// takes whatever input was waiting off the line so it is not taken for the
// answer (holding the readers' whole frames among it), writes the command
// and tells the subscribers.
void clsComunicazioni::sendFrame(const std::string& Comando)
{
    if (!Seriale->isOpen())
        Seriale->setOpen(true);
    Seriale->setInputLength(0);
    holdReadersFrames(Seriale->read());
    Seriale->setInputLength(1);
    Seriale->write(Comando);
    raiseComTX(Comando);
}

int16_t clsComunicazioni::discardUntilQuiet(uint32_t quietMs, uint32_t limitMs)
{
    OperationSpan operation(*this);
    if (refusedWhileBusy())
        return Esito::LinkBusy;
    BusySpan busySpan(*this);
    try {
        return waitForQuietLine(quietMs, limitMs);
    } catch (const PortError& error) {
        reportPortFailure(error);
        return Esito::PortFailed;
    }
}

// Reads input until none has come for quietMs, for at most limitMs (or
// until the wait is abandoned); the whole frames among it are held. The
// caller holds the link busy. Accepted once the line was quiet, at once on
// a closed port; TimedOut otherwise.
int16_t clsComunicazioni::waitForQuietLine(uint32_t quietMs, uint32_t limitMs)
{
    if (!Seriale->isOpen())
        return Esito::Accepted;
    Wait wait(*Seriale, m_clock, m_yield, limitMs, true);
    Seriale->setInputLength(0);
    std::string heard;
    uint32_t lastInput = 0;
    int16_t esito = Esito::TimedOut;
    for (;;) {
        const std::string input = Seriale->read();
        const uint32_t elapsed = wait.elapsed();
        heard += input;
        if (!input.empty())
            lastInput = elapsed;
        else if (elapsed - lastInput >= quietMs) {
            esito = Esito::Accepted;
            break;
        }
        if (wait.expired(elapsed) || m_waitAbandoned)
            break;
        wait.yieldIfDue(elapsed);
        if (input.empty())
            wait.block(lastInput + quietMs);
    }
    Seriale->setInputLength(1);
    holdReadersFrames(heard);
    return esito;
}

void clsComunicazioni::setQuietGapAfterTimeOut(uint32_t quietMs)
{
    m_quietGapMs = std::min(quietMs, QuietGapLimitMs);
    m_quietGapDue = m_quietGapDue && m_quietGapMs > 0;
}

// Whatever the wait gave, the send that follows goes ahead: noise that
// never stops must not block the line for good. Called first by every
// send, before its own operation starts, so that the frames held during
// the gap (a reader's late answer) are raised before the send's own events.
int16_t clsComunicazioni::keepQuietGap()
{
    if (!m_quietGapDue || m_busy)
        return Esito::Accepted;
    OperationSpan operation(*this);
    BusySpan busySpan(*this);
    m_quietGapDue = false;
    try {
        waitForQuietLine(m_quietGapMs, QuietGapLimitMs);
        return Esito::Accepted;
    } catch (const PortError& error) {
        reportPortFailure(error);
        return Esito::PortFailed;
    }
}

void clsComunicazioni::holdReadersFrames(const std::string& input)
{
    for (std::string& frame : Framing::checkedFrames(input))
        m_heldFrames.push_back(std::move(frame));
}

// Raises each held frame, oldest first. Meanwhile the calls that its
// handlers make (an acknowledgement) count as nested, so frames they hold
// join this loop instead of starting another.
void clsComunicazioni::raiseHeldFrames()
{
    ++m_operationDepth;
    while (!m_heldFrames.empty()) {
        const std::string frame = std::move(m_heldFrames.front());
        m_heldFrames.pop_front();
        raiseComRX(frame);
    }
    --m_operationDepth;
}

void clsComunicazioni::OnComm_Disattivato()
{
    if (!refusedWhileBusy())
        setThreshold(0);
}

void clsComunicazioni::OnComm_Attivato()
{
    if (!refusedWhileBusy())
        setThreshold(1);
}

void clsComunicazioni::setThreshold(int threshold)
{
    try {
        Seriale->setReceiveThreshold(threshold);
    } catch (const PortError& error) {
        reportPortFailure(error);
    }
}

// While the link is busy nothing else may reach the port: a second
// exchange would take the first one's answer, a change of port or settings
// would pull the line from under it.
bool clsComunicazioni::refusedWhileBusy()
{
    if (!m_busy)
        return false;
    raiseErrore(LinkBusyNumber, LinkBusyText);
    return true;
}

void clsComunicazioni::abandonWait()
{
    if (m_busy)
        m_waitAbandoned = true;
}

void clsComunicazioni::setBusy(bool busy)
{
    m_busy = busy;
    m_waitAbandoned = false;
    raiseBusyChanged(busy);
}

// A frame a reader sent on its own. Notifications stay off and the link is
// busy while it is collected; a port failure is reported and notifications
// are switched back on all the same. A notification that arrives while the
// link is busy is dropped: the bytes stay waiting for whoever holds the link.
// A dropped line is told apart (onLineDropped).
void clsComunicazioni::Seriale_OnComm(CommEvent event)
{
    OperationSpan operation(*this);
    if (event == CommEvent::LineDropped)
        onLineDropped();
    if (event != CommEvent::ReceivedData || m_busy)
        return;
    BusySpan busySpan(*this);
    int16_t esito = Esito::PortFailed;
    std::string Risposta;
    try {
        Seriale->setReceiveThreshold(0);
        esito = RiceviRisposta(Risposta);
    } catch (const PortError& error) {
        reportPortFailure(error);
    }
    busySpan.end();
    if (esito == Esito::TimedOut)
        raiseComTO();
    else if (esito == Esito::Accepted || esito == Esito::Rejected)
        raiseComRX(Risposta);
    setThreshold(1);
}

// The port closed itself when its line dropped while no call ran. While
// the link is busy the call under way meets the failure itself.
void clsComunicazioni::onLineDropped()
{
    if (m_busy)
        return;
    try {
        const std::optional<PortError> cause = Seriale->closedByDrop();
        if (!cause)
            return;  // back already
        reportPortFailure(*cause);
        // Without Attivo nobody asked for the port to stay open: it must
        // not open itself again.
        if (!mvarAttivo)
            Seriale->setOpen(false);
    } catch (const PortError& error) {
        reportPortFailure(error);
    }
}

// Both loops of a reception, against one start time: first wait for the
// start character (a lone ACK or NAK is a whole answer; anything else is
// dropped), then collect until the end character or an ACK standing in
// for it. The order inside each turn is fixed: read, test the time limit,
// yield when due, then look at what was read.
clsComunicazioni::Collected clsComunicazioni::collectFrame(char startChar, char endChar,
                                                           std::string& buffer)
{
    Wait wait(*Seriale, m_clock, m_yield, m_answerTimeLimitMs, true);
    for (;;) {
        const std::string c = Seriale->read();
        const uint32_t elapsed = wait.elapsed();
        if (wait.expired(elapsed) || m_waitAbandoned)
            return Collected::TimedOut;
        wait.yieldIfDue(elapsed);
        if (isChar(c, Framing::NAK) || isChar(c, Framing::ACK)) {
            buffer = c;
            return Collected::Lone;
        }
        if (isChar(c, startChar))
            break;
        if (c.empty())
            wait.block();
    }

    buffer.assign(1, startChar);
    for (;;) {
        const std::string c = Seriale->read();
        const uint32_t elapsed = wait.elapsed();
        if (wait.expired(elapsed) || m_waitAbandoned)
            return Collected::TimedOut;
        wait.yieldIfDue(elapsed);
        if (c.empty()) {
            wait.block();
            continue;
        }
        buffer += c;
        if (isChar(c, Framing::ACK) || isChar(c, endChar))
            return Collected::Frame;
    }
}

// The check character after ETX has its own time limit, counted from the
// ETX, and its wait does not hand the event loop a turn.
bool clsComunicazioni::collectCheckChar(std::string& buffer)
{
    Wait wait(*Seriale, m_clock, m_yield, m_answerTimeLimitMs, false);
    for (;;) {
        const std::string c = Seriale->read();
        if (wait.expired(wait.elapsed()))
            return false;
        if (!c.empty()) {
            buffer += c;
            return true;
        }
        wait.block();
    }
}

int16_t clsComunicazioni::RiceviRisposta(std::string& Risposta)
{
    Risposta.clear();
    std::string buffer;
    switch (collectFrame(Framing::STX, Framing::ETX, buffer)) {
    case Collected::TimedOut:
        return Esito::TimedOut;
    case Collected::Lone:
        Risposta = buffer;
        return Esito::Accepted;
    case Collected::Frame:
        break;
    }
    // A frame cut short by ACK has no check character and is checked as it is.
    if (buffer.back() == Framing::ETX && !collectCheckChar(buffer))
        return Esito::TimedOut;
    if (!Framing::VerificaRisposta(buffer))
        return Esito::Rejected;
    Risposta = buffer;
    return Esito::Accepted;
}

// An accepted Tolvane answer is acknowledged with one ACK byte before the
// result goes back.
int16_t clsComunicazioni::RiceviRisposta_TOLVANE(std::string& Risposta)
{
    Risposta.clear();
    std::string buffer;
    switch (collectFrame(Framing::TolvaneStart, Framing::TolvaneEnd, buffer)) {
    case Collected::TimedOut:
        return Esito::TimedOut;
    case Collected::Lone:
        Risposta = buffer;
        return Esito::Accepted;
    case Collected::Frame:
        break;
    }
    if (!Framing::VerificaRisposta_TOLVANE(buffer))
        return Esito::Rejected;
    sendFrame(std::string(1, Framing::ACK));
    Risposta = buffer;
    return Esito::Accepted;
}

void clsComunicazioni::reportPortFailure(const PortError& error)
{
    raiseErrore(static_cast<int16_t>(error.number()), error.what());
}

void clsComunicazioni::subscribe(LinkEvents* listener)
{
    if (listener && std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void clsComunicazioni::unsubscribe(LinkEvents* listener)
{
    std::erase(m_listeners, listener);
}

// Delivers to a snapshot of the subscribers, so a handler may subscribe,
// unsubscribe or send; one unsubscribed meanwhile is no longer called.
template <typename Event>
void clsComunicazioni::raise(Event&& event)
{
    const std::vector<LinkEvents*> snapshot = m_listeners;
    for (LinkEvents* listener : snapshot) {
        if (std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end())
            event(*listener);
    }
}

void clsComunicazioni::raiseErrore(int16_t code, const std::string& text)
{
    raise([&](LinkEvents& l) { l.Errore(code, text); });
}

void clsComunicazioni::raiseComTX(const std::string& Comando)
{
    raise([&](LinkEvents& l) { l.ComTX(Comando); });
}

void clsComunicazioni::raiseComRX(const std::string& stringa)
{
    raise([&](LinkEvents& l) { l.ComRX(stringa); });
}

void clsComunicazioni::raiseComTO()
{
    raise([](LinkEvents& l) { l.ComTO(); });
}

void clsComunicazioni::raiseBusyChanged(bool busy)
{
    raise([=](LinkEvents& l) { l.busyChanged(busy); });
}

}  // namespace lettore
