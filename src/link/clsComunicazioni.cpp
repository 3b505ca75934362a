#include "clsComunicazioni.h"

#include "Dialect.h"
#include "PortAddress.h"
#include "SerialSettings.h"

#include <algorithm>
#include <cstdint>

namespace lettore {

namespace {

constexpr int16_t InvalidArgumentNumber = 5;
constexpr const char* InvalidArgumentText = "Invalid procedure call or argument";
constexpr int16_t LinkBusyNumber = 8100;
constexpr const char* LinkBusyText = "Link busy: another exchange or reception is in progress";

}  // namespace

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

clsComunicazioni::clsComunicazioni(PortOpener openPort, Clock& clock, std::function<void()> yieldToEventLoop)
    : Seriale(std::move(openPort)), m_setup(Seriale, [this](const PortError& error) { reportPortFailure(error); }),
      m_reception(Seriale, clock, std::move(yieldToEventLoop),
                  [this](std::vector<std::string> frames) { m_events.hold(std::move(frames)); })
{
    try {
        Seriale.setEventHandler([this](CommEvent event) { Seriale_OnComm(event); });
        Seriale.setWaitTurn([this] { return waitTurn(); });
        Seriale.moveTo(PortAddress::ofNumber(1));
    } catch (const PortError& error) {
        reportPortFailure(error);
    }
    try {
        Seriale.setSettings(SerialSettings{}.text());
        Seriale.setDtrEnabled(false);
        Seriale.setInputNotifications(true);
        Seriale.setRtsEnabled(true);
    } catch (const PortError& error) {
        reportPortFailure(error);
    }
}

clsComunicazioni::~clsComunicazioni()
{
    try {
        Seriale.setEventHandler({});
        Seriale.setWaitTurn({});
        Seriale.close();
    } catch (const PortError&) {
        // Nothing left to tell: the port goes away with the link.
    }
}

int16_t clsComunicazioni::CommPort() const { return m_setup.commPort(); }

void clsComunicazioni::setCommPort(int16_t vData)
{
    if (!refusedWhileBusy())
        m_setup.setCommPort(vData);
}

const std::string& clsComunicazioni::CommSettings() const { return m_setup.commSettings(); }

void clsComunicazioni::setCommSettings(const std::string& vData)
{
    if (!refusedWhileBusy())
        m_setup.setCommSettings(vData);
}

bool clsComunicazioni::Attivo() const { return m_setup.attivo(); }

void clsComunicazioni::setAttivo(bool vData)
{
    if (!refusedWhileBusy())
        m_setup.setAttivo(vData);
}

void clsComunicazioni::AnalizzaSeriale(int16_t NumComm, int16_t& S_Stato, std::string& S_Setting)
{
    if (!refusedWhileBusy())
        m_setup.probe(NumComm, S_Stato, S_Setting);
}

// The dialect routines differ only in their dialect.
void clsComunicazioni::Zem(int16_t term, const std::string& TipoComando, const std::string& StrComando, int16_t& esito,
                           std::string& Risposta)
{
    speak(Dialect::named("Zem"), term, TipoComando, StrComando, esito, Risposta);
}
void clsComunicazioni::Parlow(int16_t term, const std::string& TipoComando, const std::string& StrComando,
                              int16_t& esito, std::string& Risposta)
{
    speak(Dialect::named("Parlow"), term, TipoComando, StrComando, esito, Risposta);
}
void clsComunicazioni::Quen(int16_t term, const std::string& TipoComando, const std::string& StrComando, int16_t& esito,
                            std::string& Risposta)
{
    speak(Dialect::named("Quen"), term, TipoComando, StrComando, esito, Risposta);
}
void clsComunicazioni::Sibrant(int16_t term, const std::string& TipoComando, const std::string& StrComando,
                               int16_t& esito, std::string& Risposta)
{
    speak(Dialect::named("Sibrant"), term, TipoComando, StrComando, esito, Risposta);
}
void clsComunicazioni::Sibrant2(int16_t term, const std::string& TipoComando, const std::string& StrComando,
                                int16_t& esito, std::string& Risposta)
{
    speak(Dialect::sibrant2(), term, TipoComando, StrComando, esito, Risposta);
}
void clsComunicazioni::Tolvane(int16_t term, const std::string& TipoComando, const std::string& StrComando,
                               int16_t& esito, std::string& Risposta)
{
    speak(Dialect::named("Tolvane"), term, TipoComando, StrComando, esito, Risposta);
}

void clsComunicazioni::speak(const Dialect& dialect, int16_t term, const std::string& TipoComando,
                             const std::string& StrComando, int16_t& esito, std::string& Risposta)
{
    const std::optional<std::string> frame = dialect.encode(Frame::of(term, TipoComando, StrComando));
    if (!frame) {
        // The address does not fit in one byte: nothing goes on the line.
        Risposta.clear();
        esito = Esito::InvalidArgument;
        m_events.Errore(InvalidArgumentNumber, InvalidArgumentText);
        return;
    }
    // A broadcast is never answered, nor is a reading's confirmation.
    if (!dialect.awaitsAnswer(term, StrComando)) {
        esito = InviaComando(*frame);
        Risposta.clear();
    } else {
        // An answer is the addressed reader's: a frame from another reader
        // (a reading on a shared line) is held and raised afterwards.
        exchange(*frame, dialect.answers == Frame::Rule::Tolvane, esito, Risposta,
                 [&dialect, term](std::string_view answer) { return dialect.fromAnotherReader(answer, term); });
    }
}

void clsComunicazioni::InviaComando_RiceviRisposta(const std::string& Comando, int16_t& esito, std::string& Risposta)
{
    exchange(Comando, false, esito, Risposta);
}

void clsComunicazioni::InviaComando_RiceviRisposta_TOLVANE(const std::string& Comando, int16_t& esito,
                                                           std::string& Risposta)
{
    exchange(Comando, true, esito, Risposta);
}

// One send and one reception with notifications off, the link busy from
// the start until the answer is collected. The STX family puts the
// threshold back as it found it; the Tolvane family leaves it at 0. A port
// failure ends the exchange with PortFailed, and the threshold and the
// Attivo state are still put back as far as the port allows.
void clsComunicazioni::exchange(const std::string& Comando, bool tolvane, int16_t& esito, std::string& Risposta,
                                const Reception::OthersFrame& othersFrame)
{
    keepQuietGap();
    EventFanOut::Operation operation(m_events);
    if (refusedWhileBusy()) {
        esito = Esito::LinkBusy;
        Risposta.clear();
        return;
    }
    BusySpan busySpan(*this);
    const bool wasInactive = !m_setup.attivo();
    m_setup.setAttivo(true);  // a failure is reported; the send then opens the port itself

    bool notificationsWereOn = false;
    try {
        if (!tolvane)
            notificationsWereOn = Seriale.inputNotifications();
        Seriale.setInputNotifications(false);
        sendFrame(Comando);
        // An accepted Tolvane answer is acknowledged with one ACK byte
        // before the result goes back.
        esito = tolvane ? m_reception.tolvaneAnswer(Risposta, [this] { sendFrame(std::string(1, Frame::ACK)); })
                        : m_reception.answer(Risposta, othersFrame);
    } catch (const PortError& error) {
        Risposta.clear();
        // A write abandoned by abandonWait() ends as a time-out, as its
        // wait for the answer would.
        esito = error.kind() == PortFailure::Abandoned ? Esito::TimedOut : Esito::PortFailed;
        if (esito == Esito::PortFailed)
            reportPortFailure(error);
    }
    busySpan.end();

    if (esito == Esito::TimedOut)
        m_quietGapDue = m_quietGapMs > 0;
    if (esito == Esito::Accepted || esito == Esito::Rejected)
        m_events.ComRX(Risposta);
    else if (esito == Esito::TimedOut)
        m_events.ComTO();

    if (notificationsWereOn)
        setNotifications(true);
    if (wasInactive)
        m_setup.setAttivo(false);
}

int16_t clsComunicazioni::InviaComandoSenzaRisposta(const std::string& Comando)
{
    keepQuietGap();
    EventFanOut::Operation operation(m_events);
    if (refusedWhileBusy())
        return Esito::LinkBusy;
    const bool wasInactive = !m_setup.attivo();
    m_setup.setAttivo(true);
    const int16_t result = send(Comando);
    if (wasInactive)
        m_setup.setAttivo(false);
    return result;
}

int16_t clsComunicazioni::InviaComando(const std::string& Comando)
{
    keepQuietGap();
    EventFanOut::Operation operation(m_events);
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
    if (!Seriale.isOpen())
        Seriale.open();
    m_reception.discardWaitingInput();
    Seriale.write(Comando);
    m_events.ComTX(Comando);
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
    EventFanOut::Operation operation(m_events);
    BusySpan busySpan(*this);
    m_quietGapDue = false;
    try {
        m_reception.quietLine(m_quietGapMs, QuietGapLimitMs);
        return Esito::Accepted;
    } catch (const PortError& error) {
        reportPortFailure(error);
        return Esito::PortFailed;
    }
}

void clsComunicazioni::OnComm_Disattivato()
{
    if (!refusedWhileBusy())
        setNotifications(false);
}

void clsComunicazioni::OnComm_Attivato()
{
    if (!refusedWhileBusy())
        setNotifications(true);
}

void clsComunicazioni::setNotifications(bool on)
{
    try {
        Seriale.setInputNotifications(on);
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
    m_events.Errore(LinkBusyNumber, LinkBusyText);
    return true;
}

void clsComunicazioni::abandonWait()
{
    if (m_busy)
        m_reception.abandon();
}

// Only a call that holds the link hands the event loop a turn from inside
// the port's own waits: a handler run meanwhile is refused then, rather
// than reaching the port in the middle of a write or a close.
bool clsComunicazioni::waitTurn() { return !m_busy || m_reception.waitTurn(); }

void clsComunicazioni::setBusy(bool busy)
{
    m_busy = busy;
    m_reception.resetAbandon();
    m_events.busyChanged(busy);
}

// A frame a reader sent on its own. Notifications stay off and the link is
// busy while it is collected; a port failure is reported and notifications
// are switched back on all the same. A notification that arrives while the
// link is busy is dropped: the bytes stay waiting for whoever holds the link.
// A dropped line is told apart (onLineDropped).
void clsComunicazioni::Seriale_OnComm(CommEvent event)
{
    EventFanOut::Operation operation(m_events);
    if (event == CommEvent::LineDropped)
        onLineDropped();
    if (event != CommEvent::ReceivedData || m_busy)
        return;
    BusySpan busySpan(*this);
    int16_t esito = Esito::PortFailed;
    std::string Risposta;
    try {
        Seriale.setInputNotifications(false);
        esito = m_reception.answer(Risposta);
    } catch (const PortError& error) {
        reportPortFailure(error);
    }
    busySpan.end();
    if (esito == Esito::TimedOut)
        m_events.ComTO();
    else if (esito == Esito::Accepted || esito == Esito::Rejected)
        m_events.ComRX(Risposta);
    setNotifications(true);
}

// The port closed itself when its line dropped while no call ran. While
// the link is busy the call under way meets the failure itself.
void clsComunicazioni::onLineDropped()
{
    if (m_busy)
        return;
    try {
        const std::optional<PortError> cause = Seriale.closedByDrop();
        if (!cause)
            return;  // back already
        reportPortFailure(*cause);
        // Without Attivo nobody asked for the port to stay open: it must
        // not open itself again.
        if (!m_setup.attivo())
            Seriale.close();
    } catch (const PortError& error) {
        reportPortFailure(error);
    }
}

void clsComunicazioni::reportPortFailure(const PortError& error)
{
    m_events.Errore(static_cast<int16_t>(error.number()), error.what());
}

}  // namespace lettore
