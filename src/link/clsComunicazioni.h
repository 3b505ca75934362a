#pragma once

#include "Clock.h"
#include "Esito.h"
#include "EventFanOut.h"
#include "LinkEvents.h"
#include "LinkPort.h"
#include "PortConfiguration.h"
#include "Reception.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace lettore {

struct Dialect;

// The serial link: owns the port, applies port number and settings, opens
// and closes it, probes port numbers, frames commands for six terminal
// dialects, sends them, collects and checks answers within the time limit,
// and raises Errore, ComTX, ComRX and ComTO. It holds the busy gate and
// runs each call; the port's setup with put-back (PortConfiguration), the waits
// and collection of what comes in (Reception) and the delivery of events
// (EventFanOut) are done by its parts.
//
// Waiting never spins: between turns of the event loop the link blocks in
// ByteChannel::waitForInput. Every wait (for an answer's start, for the
// characters up to its end character, for the check character after ETX,
// for a quiet line) hands the event loop a turn (the yield hook) each time
// the time since the reception began (at the send, in an exchange) reaches
// the next multiple of 100 ms, 0 included: at 0, 100, 200, ... ms, so never
// more than 100 ms apart. The check character's wait has a time limit of its
// own from ETX but no turn of its own there: the check character follows
// ETX at once, and a turn between the two would hold up the answer. A write
// that the device is slow to take hands it a turn at least every 100 ms
// too. The busy gate below keeps a second exchange out of them.
//
// One exchange at a time: from the start of an exchange, or of a reception
// started by the receive notification, until its answer is collected the
// link is busy (busy(), LinkEvents::busyChanged). A call made meanwhile
// (from the event loop's turns, or from an Errore or ComTX handler) is
// refused without touching the port: an exchange or send returns
// Esito::LinkBusy with an empty answer; CommPort, CommSettings, Attivo,
// AnalizzaSeriale and OnComm_* keep their stored values and change nothing.
// Each refusal raises Errore 8100 "Link busy: another exchange or reception
// is in progress". The link is idle again before ComRX or ComTO is raised,
// so their handlers may send (an acknowledgement, say). A receive
// notification that arrives while busy is dropped; its bytes stay waiting.
//
// Readers' frames are never thrown away with stale input, nor taken for
// another reader's answer. Before each send the input waiting is read off,
// so none of it is taken for the answer: whole checked frames among it
// (FrameReader::checkedFrames), which readers on a shared line sent on
// their own, are held; only noise and fragments are dropped. While a
// dialect routine waits, a whole checked frame that carries the address of
// a reader other than the one addressed (Dialect::fromAnotherReader) is
// held too, and the wait goes on within its time limit; dialects whose
// answers carry no address take the first whole frame, as does a raw
// InviaComando_RiceviRisposta. Held frames are raised as ComRX, oldest
// first and each once, when the outermost call is over (after its own
// ComTX, ComRX or ComTO), so the link is idle and their handlers may
// acknowledge them. Frames that such an acknowledgement finds waiting join
// the same queue: delivery never nests.
//
// Quiet gap after a time-out (setQuietGapAfterTimeOut, 0 by default): once
// an exchange has timed out, the next send first waits, busy, until the
// line has been quiet for the gap, so a reader's late answer is not taken
// for the next command's; whole frames that come meanwhile are held as
// above.
//
// A line that drops while no call runs (the port closed itself) raises
// Errore with the port's number and text. With Attivo on the port is left
// to reopen itself once the device is back, so frames sent on their own
// are received again with no command; otherwise it is closed for good.
//
// Failures never escape as exceptions:
// - a failing CommPort, CommSettings or Attivo assignment raises Errore
//   and keeps the stored value. The port is put back as it was: a port
//   being moved to another number or settings gets its old ones again and
//   is reopened, a port being opened is closed again. Should that fail too,
//   Attivo reads false once the port is closed, and setting the value the
//   port may no longer hold reaches the port even though it is stored;
// - a port failure inside an exchange or a send (device unplugged, line
//   gone) ends it with Esito::PortFailed and an empty answer, raises
//   Errore with the port's number and text (no ComTO, no ComRX), then puts
//   back the receive threshold and the Attivo state as far as the port
//   still allows;
// - a single-byte dialect asked for an address byte outside 0..255 sends
//   nothing, raises Errore 5 "Invalid procedure call or argument" and
//   returns Esito::InvalidArgument;
// - AnalizzaSeriale reports a failure to read or put back the port's own
//   number and open state through Errore; when the state cannot be read,
//   nothing is probed and S_Stato keeps the caller's value.
class clsComunicazioni {
public:
    // openPort makes the channel for a port number's address (PortAddress);
    // the link starts on port 1, closed. yieldToEventLoop runs the event
    // loop once; empty means nothing to run.
    clsComunicazioni(PortOpener openPort, Clock& clock, std::function<void()> yieldToEventLoop = {});
    ~clsComunicazioni();

    clsComunicazioni(const clsComunicazioni&) = delete;
    clsComunicazioni& operator=(const clsComunicazioni&) = delete;

    // Port number last stored (0 until first set). Setting a number the
    // port is not on moves it there: an open port is closed, moved and
    // reopened.
    int16_t CommPort() const;
    void setCommPort(int16_t vData);

    // Settings string last stored ("" until first set).
    const std::string& CommSettings() const;
    void setCommSettings(const std::string& vData);

    // "Permette di attivare e disattivare il vidimatore ed al tempo stesso
    // di leggerne lo stato": true opens the port, false closes it.
    bool Attivo() const;
    void setAttivo(bool vData);

    // Probes port NumComm and leaves the port as it was. S_Stato: 1 usable,
    // 2 in use, 3 missing; unchanged for any other failure.
    void AnalizzaSeriale(int16_t NumComm, int16_t& S_Stato, std::string& S_Setting);

    // Dialect routines: frame StrComando for terminal term and either send
    // it without waiting (esito 0, Risposta "") or run an exchange.
    void Zem(int16_t term, const std::string& TipoComando, const std::string& StrComando, int16_t& esito,
             std::string& Risposta);
    void Parlow(int16_t term, const std::string& TipoComando, const std::string& StrComando, int16_t& esito,
                std::string& Risposta);
    void Quen(int16_t term, const std::string& TipoComando, const std::string& StrComando, int16_t& esito,
              std::string& Risposta);
    void Sibrant(int16_t term, const std::string& TipoComando, const std::string& StrComando, int16_t& esito,
                 std::string& Risposta);
    void Sibrant2(int16_t term, const std::string& TipoComando, const std::string& StrComando, int16_t& esito,
                  std::string& Risposta);
    void Tolvane(int16_t term, const std::string& TipoComando, const std::string& StrComando, int16_t& esito,
                 std::string& Risposta);
    // The routine of any dialect of the table.
    void speak(const Dialect& dialect, int16_t term, const std::string& TipoComando, const std::string& StrComando,
               int16_t& esito, std::string& Risposta);

    // Sends Comando and collects one STX-family answer (Tolvane family for
    // the _TOLVANE variant). esito: see Esito.h.
    void InviaComando_RiceviRisposta(const std::string& Comando, int16_t& esito, std::string& Risposta);
    void InviaComando_RiceviRisposta_TOLVANE(const std::string& Comando, int16_t& esito, std::string& Risposta);

    // Sends Comando with the port opened for the occasion; any answer is
    // left to the receive notification. Returns Accepted or PortFailed.
    int16_t InviaComandoSenzaRisposta(const std::string& Comando);

    // Opens the port if closed, discards waiting input, writes Comando and
    // raises ComTX. Returns Accepted or PortFailed.
    int16_t InviaComando(const std::string& Comando);

    // The quiet gap kept before the first send after an exchange that
    // timed out; 0 (the default) sends at once. Values above
    // QuietGapLimitMs count as the limit, which also bounds the whole wait
    // when noise never stops.
    void setQuietGapAfterTimeOut(uint32_t quietMs);
    uint32_t quietGapAfterTimeOut() const { return m_quietGapMs; }

    // Time limit of a reception and of the check character after ETX
    // (AnswerTimeLimitMs by default); a scan of the line polls with less.
    void setAnswerTimeLimit(uint32_t ms) { m_reception.setAnswerTimeLimit(ms); }
    uint32_t answerTimeLimit() const { return m_reception.answerTimeLimit(); }

    // The round trip of the port's connection to a device server, as
    // measured when it opened; nothing for a local device.
    std::optional<uint32_t> roundTripMs() { return Seriale.roundTripMs(); }

    // Keeps the quiet gap now when one is due (the last exchange timed out
    // and a gap is set), busy meanwhile; the frames held during it are
    // raised as soon as it ends, before anything else is sent. Every send
    // keeps a due gap first; a caller that wants to check for a stop
    // between the gap and its next send calls this itself. Returns
    // Accepted (also when no gap was due or the link is busy: the call
    // that follows then meets the busy link) or PortFailed.
    int16_t keepQuietGap();

    // Makes the next send keep the quiet gap first, as after a time-out:
    // for a job that must not take the late answer to a request sent
    // before it began (by a run that was stopped or killed) for the answer
    // to its own first request.
    void keepQuietGapBeforeNextSend() { m_quietGapDue = m_quietGapMs > 0; }

    // Ends the reception, quiet wait or write under way as soon as the turn
    // of the event loop that calls this returns, as if its time limit had
    // passed: the exchange ends as a time-out (ComTO); nothing when the link
    // is idle. For a program told to stop while a reader (or noise) keeps a
    // reception going, which would otherwise hold it up to 5 s.
    void abandonWait();

    // Receive notifications off (threshold 0) and on (threshold 1).
    void OnComm_Disattivato();
    void OnComm_Attivato();

    // Whether an exchange or a reception is under way; see above.
    bool busy() const { return m_busy; }

    // Event subscribers, called in subscription order.
    void subscribe(LinkEvents* listener) { m_events.subscribe(listener); }
    void unsubscribe(LinkEvents* listener) { m_events.unsubscribe(listener); }

    // Time limits of a reception, and the longest stretch between two
    // turns of the event loop.
    static constexpr uint32_t AnswerTimeLimitMs = Reception::AnswerTimeLimitMs;
    static constexpr uint32_t YieldStepMs = Reception::YieldStepMs;

    // The longest quiet gap after a time-out, and the gap the console and
    // the command line keep: 1.5 s covers a reader up to 1.5 s late, is far
    // longer than any pause inside an answer (about 1 ms a byte at 9600
    // baud), and adds little to the 5 s the time-out already cost; a line
    // that answers in time never waits.
    static constexpr uint32_t QuietGapLimitMs = 5000;
    static constexpr uint32_t UsualQuietGapMs = 1500;

private:
    class BusySpan;

    void Seriale_OnComm(CommEvent event);
    bool refusedWhileBusy();
    bool waitTurn();
    void setBusy(bool busy);
    void setNotifications(bool on);
    int16_t send(const std::string& Comando);
    void sendFrame(const std::string& Comando);
    void exchange(const std::string& Comando, bool tolvane, int16_t& esito, std::string& Risposta,
                  const Reception::OthersFrame& othersFrame = {});
    void reportPortFailure(const PortError& error);
    void onLineDropped();

    LinkPort Seriale;
    EventFanOut m_events;
    PortConfiguration m_setup;
    Reception m_reception;

    bool m_busy = false;
    uint32_t m_quietGapMs = 0;
    bool m_quietGapDue = false;  // an exchange timed out; the next send keeps the gap
};

}  // namespace lettore
