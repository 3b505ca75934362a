// The link on a simulated port and clock.
#include "Dialect.h"
#include "LinkRig.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>

using namespace lettore;
using namespace lettore::test;
using Strings = std::vector<std::string>;
using PortSetup = std::function<void(SimulatedPort&)>;
using L = clsComunicazioni;
using Call = std::function<int16_t(L&)>;  // returns the call's esito, or -1 for one that returns none

namespace {

const std::string Poll = unhex("02 30 21 32 03 22");
const std::string PollSent = "ComTX 02 30 21 32 03 22";
const std::string Gone = "Errore 8020 Error reading comm device";
const std::string Answer = "02 30 21 41 03 51";
const std::string Received = "ComRX 02 30 21 41 03 51";
const std::string Rejected = "ComRX \"\"";
const std::string Busy = "Errore 8100 Link busy: another exchange or reception is in progress";

struct Outcome {
    int16_t esito = -1;
    std::string risposta = "stale";
};
Outcome poll(LinkRig& rig)
{
    Outcome outcome;
    rig.link.InviaComando_RiceviRisposta(Poll, outcome.esito, outcome.risposta);
    return outcome;
}
using Routine = void (L::*)(int16_t, const std::string&, const std::string&, int16_t&, std::string&);
Outcome speak(L& link, Routine routine, int16_t term, const std::string& tipo, const std::string& data)
{
    Outcome outcome;
    (link.*routine)(term, tipo, data, outcome.esito, outcome.risposta);
    return outcome;
}

// 0, then every `step` ms from `first` up to `last`.
std::vector<uint32_t> ticks(uint32_t last, uint32_t first = 100, uint32_t step = 100)
{
    std::vector<uint32_t> times{0};
    for (uint32_t t = first; t <= last; t += step)
        times.push_back(t);
    return times;
}

// The rig's turns of the event loop, in ms from `start`.
std::vector<uint32_t> turnsFrom(const LinkRig& rig, uint32_t start)
{
    std::vector<uint32_t> turns;
    for (uint32_t t : rig.yieldTimes)
        turns.push_back(t - start);
    return turns;
}

// Port calls written as "dtr 0|close|port 5".
Strings calls(const std::string& text)
{
    Strings out;
    std::istringstream in(text);
    for (std::string call; std::getline(in, call, '|');)
        out.push_back(call);
    return out;
}

// An open link whose last exchange timed out, owing a quiet gap of `gapMs`; records cleared.
std::function<void(LinkRig&)> timedOutWithGap(uint32_t gapMs)
{
    return [=](LinkRig& rig) {
        rig.link.setAttivo(true);
        rig.link.setQuietGapAfterTimeOut(gapMs);
        rig.answerWith({});
        EXPECT_EQ(poll(rig).esito, Esito::TimedOut);
        rig.port->clearRecord();
        rig.log.events.clear();
        rig.log.busyChanges.clear();
        rig.yieldTimes.clear();
    };
}

PortSetup failNext(const std::string& call)
{
    return [=](SimulatedPort& p) { p.failNext(call, deviceGone()); };
}
PortSetup openFails(PortFailure kind)
{
    return [=](SimulatedPort& p) { p.failAlways("open", PortError(kind, 1, "open failed")); };
}
Call toPort(int16_t number)
{
    return [=](L& l) { return l.setCommPort(number), int16_t(-1); };
}
Call toSettings(std::string text)
{
    return [=](L& l) { return l.setCommSettings(text), int16_t(-1); };
}
Call toAttivo(bool on)
{
    return [=](L& l) { return l.setAttivo(on), int16_t(-1); };
}
// Probes port 4: returns sStato (7 if untouched) and checks sSetting.
Call probeWith(const std::string& setting)
{
    return [=](L& l) {
        int16_t sStato = 7;
        std::string sSetting = "unchanged";
        l.AnalizzaSeriale(4, sStato, sSetting);
        EXPECT_EQ(sSetting, setting);
        return sStato;
    };
}

// Limits, turns every 100 ms from the send and stops; each row also across the counter's wrap.
TEST(Receive, CollectsAndChecksAnswer)
{
    const struct {
        const char* name;
        std::string waiting;  // input already waiting before the send
        Pieces answer;
        int16_t esito;
        std::string risposta, event;
        uint32_t endsAt;  // ms after the send
        std::optional<std::vector<uint32_t>> turns = {};  // ms after the send, where checked
        uint32_t stopAt = 0;  // ms after the send when the wait is abandoned
        uint32_t oversleep = 0;  // how late the port's waits return
    } rows[] = {
        {"frame_in_pieces", "", {{10, "02"}, {250, "30 21"}, {4000, "41 03"}, {4100, "51"}}, 0, Answer, Received, 4100},
        {"bcc_equal_to_etx", "", {{0, "02 30 32 03 03"}}, 0, "02 30 32 03 03", "ComRX 02 30 32 03 03", 0},
        {"no_answer", "", {}, 1, "", "ComTO", 5001, ticks(5000)},
        {"limit_runs_from_send_not_stx", "", {{4000, "02 30 21 41"}, {5001, "03 51"}}, 1, "", "ComTO", 5001},
        {"check_char_own_limit", "", {{4900, "02 30 21 41 03"}, {9900, "51"}}, 0, Answer, Received, 9900},
        {"check_char_never_comes", "", {{4900, "02 30 21 41 03"}}, 1, "", "ComTO", 9901, ticks(9900)},
        {"stopped_waiting_for_check_char", "", {{250, "02 30 21 41 03"}}, 1, "", "ComTO", 400, ticks(400), 400},
        {"waits_run_late", "", {}, 1, "", "ComTO", 5007, ticks(4907, 107), 0, 7},
        {"waits_run_very_late", "", {}, 1, "", "ComTO", 5030, ticks(4830, 230, 200), 0, 130},
    };
    for (const auto& row : rows) {
        for (uint32_t start : {1000u, 0xFFFFFFFFu - 1500u}) {
            SCOPED_TRACE(testing::Message() << row.name << " from " << start);
            LinkRig rig(start);
            rig.port->feed(unhex(row.waiting));
            rig.port->oversleepMs = row.oversleep;
            rig.answerWith(row.answer);
            rig.onYield = [&] {
                if (row.stopAt && rig.clock.nowMs() - rig.sentAt == row.stopAt)
                    rig.link.abandonWait();
            };
            const auto [esito, risposta] = poll(rig);
            EXPECT_EQ(esito, row.esito);
            EXPECT_EQ(hex(risposta), row.risposta);
            EXPECT_EQ(rig.log.events, (Strings{PollSent, row.event}));
            EXPECT_EQ(elapsedMs(rig.sentAt, rig.clock.nowMs()), row.endsAt);
            if (row.turns)
                EXPECT_EQ(turnsFrom(rig, rig.sentAt), *row.turns);
        }
    }
}

// A stop reads nothing more: a frame arriving then is held whole, not cut at its STX.
TEST(Receive, StopLeavesUnreadInputOnTheLine)
{
    LinkRig rig(1000);
    rig.answerWith({{300, Answer}});
    rig.onYield = [&] {
        if (rig.clock.nowMs() - rig.sentAt == 300)
            rig.link.abandonWait();
    };
    EXPECT_EQ(poll(rig).esito, Esito::TimedOut);
    rig.onYield = nullptr;
    rig.log.events.clear();
    rig.answerWith({{10, Answer}});
    EXPECT_EQ(poll(rig).esito, Esito::Accepted);
    EXPECT_EQ(rig.log.events, (Strings{PollSent, Received, Received}));
}

// Each routine sends its dialect's frame and reads the NAK only when an answer is due.
TEST(Dialects, SendFrameAndWaitOnlyWhenAnswerIsDue)
{
    const struct {
        const char* dialect;
        Routine routine;
        int16_t term;
        const char *tipo, *data;
        bool waits;
    } rows[] = {
        {"Sibrant2", &L::Sibrant2, 256, "S", "5", false},
        {"Sibrant2", &L::Sibrant2, 1, "P", "\x06", false},
        {"Sibrant", &L::Sibrant, 32, "S", "X", false},
        {"Sibrant", &L::Sibrant, 1, "S", "\x06", false},
        {"Parlow", &L::Parlow, 2, "P", "\x06", true},
        {"Parlow", &L::Parlow, 32, "P", "X", false},
        {"Quen", &L::Quen, 2, "S", "X", true},
        {"Quen", &L::Quen, 32, "P", "X", false},
        {"Zem", &L::Zem, 1, "S", "\x06", true},
        {"Zem", &L::Zem, 32, "P", "X", false},
        {"Tolvane", &L::Tolvane, 1, "P", "\x06", true},
        {"Tolvane", &L::Tolvane, 32, "S", "X", false},
        {"Sibrant", &L::Sibrant, 192, "S", "X", false},  // an address out of range: nothing sent
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.dialect << " " << row.term << " " << hex(row.data));
        LinkRig rig;
        rig.answerWith({{0, "15"}});
        const auto [esito, risposta] = speak(rig.link, row.routine, row.term, row.tipo, row.data);
        EXPECT_EQ(risposta, row.waits ? "\x15" : "");
        if (const auto frame = Dialect::named(row.dialect).encode(Frame::of(row.term, row.tipo, row.data))) {
            EXPECT_EQ(esito, Esito::Accepted);
            EXPECT_EQ(rig.port->writes(), Strings{*frame});
            EXPECT_EQ(std::ranges::count(rig.port->calls(), "read 15"), row.waits ? 1 : 0);
        } else {
            EXPECT_EQ(esito, Esito::InvalidArgument);
            EXPECT_TRUE(rig.port->calls().empty());
            EXPECT_EQ(rig.log.events, (Strings{"Errore 5 Invalid procedure call or argument"}));
        }
    }
}

TEST(TolvaneExchange, AcknowledgesAcceptedAnswerBeforeReturningAndLeavesNotificationsOff)
{
    for (const std::string answer : {"3C 49 34 39 3E", "3C 49 34 38 3E"}) {
        SCOPED_TRACE(answer);
        const bool accepted = answer != "3C 49 34 38 3E";
        LinkRig rig;
        rig.answerWith({{200, answer}});
        const auto [esito, risposta] = speak(rig.link, &L::Tolvane, 1, "P", "");
        EXPECT_EQ(esito, accepted ? 0 : 2);
        EXPECT_EQ(hex(risposta), accepted ? answer : "");
        const std::string sent = "ComTX 04 04 31 05";
        EXPECT_EQ(rig.log.events, (accepted ? Strings{sent, "ComTX 06", "ComRX " + answer} : Strings{sent, Rejected}));
        EXPECT_EQ(rig.port->threshold(), 0);
        EXPECT_FALSE(rig.port->open());
    }
}

// An exchange turns notifications off before its write, and leaves them off when they were off.
TEST(ExchangeRestore, NotificationsOffBeforeTheWriteAndLeftOffWhenTheyWereOff)
{
    LinkRig rig;
    rig.link.setAttivo(true);
    rig.link.OnComm_Disattivato();
    rig.port->clearRecord();
    rig.answerWith({{0, "06"}});
    poll(rig);
    EXPECT_EQ(rig.port->controlCalls(), calls("dtr 0|notify 0|write 02 30 21 32 03 22"));
    EXPECT_TRUE(rig.link.Attivo());
}

// A port failure ends a send with PortFailed and puts threshold and open state back.
TEST(PortFailure, EndsExchangeWithPortFailedAndRestores)
{
    const struct {
        const char* name;
        Strings operations;  // fail from the moment the command is written, or from the start
        bool beforeWrite, openAfter;
        Strings events;
        int16_t term = 1;
    } rows[] = {
        {"read_fails_mid_wait", {"read"}, false, false, {PollSent, Gone}},
        {"write_fails", {"write"}, true, false, {Gone}},
        {"device_gone_cannot_close", {"read", "close"}, false, true, {PollSent, Gone, Gone}},
        {"open_fails", {"open"}, true, false, {Gone, Gone}},
        {"broadcast_write_fails", {"write"}, true, true, {Gone}, 256},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LinkRig rig;
        const auto fail = [&] {
            for (const auto& operation : row.operations)
                rig.port->failAlways(operation, deviceGone());
        };
        if (row.beforeWrite)
            fail();
        else
            rig.port->onWrite = [&](const std::string&) { fail(); };
        const auto [esito, risposta] = speak(rig.link, &L::Sibrant2, row.term, "P", "2");
        EXPECT_EQ(esito, Esito::PortFailed);
        EXPECT_EQ(risposta, "");
        EXPECT_EQ(rig.log.events, row.events);
        EXPECT_EQ(rig.port->threshold(), 1);
        EXPECT_EQ(rig.port->open(), row.openAfter);
        EXPECT_EQ(rig.link.Attivo(), row.openAfter && row.term != 256);
    }
}

// From port 2 at 9600, open or closed: a change reaches the port; a failed one, and a probe, put the old one back.
TEST(PortSetup, ChangesReachThePortAndFailuresPutItBack)
{
    EXPECT_EQ(LinkRig().creationCalls, calls("port 1|settings 9600,N,8,1|dtr 0|notify 1|rts 1"));
    using F = PortFailure;
    const std::string busy = "Errore 68 Device unavailable";
    const auto twice = [](PortSetup a, PortSetup b) { return [=](SimulatedPort& p) { a(p), b(p); }; };
    const auto markBusy = [](int16_t number) { return [=](SimulatedPort& p) { p.markBusy(number); }; };
    const auto probe = probeWith("9600,N,8,1");
    const auto moveTo5 = toPort(5), to19200 = toSettings("19200,N,8,1");
    // A channel for port N, given the line's state.
    const auto to = [](int n) { return "port " + std::to_string(n) + "|settings 9600,N,8,1|dtr 0|rts 1|notify 1"; };
    const std::string reopen = "dtr 0|close|" + to(3) + "|open|dtr 1";
    const struct {
        const char* name;
        bool startOpen;
        PortSetup fault;
        Call act;  // returns the probe's sStato, else -1
        std::string calls;
        Strings events;
        bool openAfter;  // and Attivo with it
        std::optional<std::string>
            recovery;  // port calls made by choosing port 2 and 9600 again; none: port 2 unusable
        int16_t sStato = -1;
        int16_t commPort = 2;  // stored afterwards
        const char* commSettings = "9600,N,8,1";
    } rows[] = {
        {"port_same_value_untouched", true, {}, toPort(2), "", {}, true, ""},
        {"port_closed", false, {}, toPort(3), to(3), {}, false, to(2), -1, 3},
        {"port_open_reopened", true, {}, toPort(3), reopen, {}, true, "dtr 0|close|" + to(2) + "|open|dtr 1", -1, 3},
        {"settings_same_value_untouched", true, {}, toSettings("9600,N,8,1"), "", {}, true, ""},
        {"settings_open_reopened",
         true,
         {},
         to19200,
         "dtr 0|close|settings 19200,N,8,1|open|dtr 1",
         {},
         true,
         "dtr 0|close|settings 9600,N,8,1|open|dtr 1",
         -1,
         2,
         "19200,N,8,1"},
        {"attivo_on_closed_opens_dtr_on", false, {}, toAttivo(true), "dtr 0|open|dtr 1", {}, true, ""},
        {"attivo_on_open_leaves_dtr_off", true, {}, toAttivo(true), "dtr 0", {}, true, ""},
        {"attivo_off_open_closes", true, {}, toAttivo(false), "dtr 0|close", {}, false, ""},
        {"attivo_off_closed_only_dtr", false, {}, toAttivo(false), "dtr 0", {}, false, ""},
        {"port_lowering_dtr", true, failNext("dtr 0"), moveTo5, "", {Gone}, true, ""},
        {"port_close", true, failNext("close"), moveTo5, "dtr 0|dtr 1", {Gone}, true, ""},
        {"port_apply", true, failNext("port 5"), moveTo5, "dtr 0|close|open|dtr 1", {Gone}, true, ""},
        {"port_reopen",
         true,
         markBusy(5),
         moveTo5,
         "dtr 0|close|" + to(5) + "|" + to(2) + "|open|dtr 1",
         {busy},
         true,
         ""},
        {"port_raising_dtr",
         true,
         failNext("dtr 1"),
         moveTo5,
         "dtr 0|close|" + to(5) + "|open|close|" + to(2) + "|open|dtr 1",
         {Gone},
         true,
         ""},
        {"port_put_back",
         true,
         twice(markBusy(5), failNext("port 2")),
         moveTo5,
         "dtr 0|close|" + to(5),
         {busy, Gone},
         false,
         to(2)},
        {"settings_reopen",
         true,
         failNext("open"),
         to19200,
         "dtr 0|close|settings 19200,N,8,1|settings 9600,N,8,1|open|dtr 1",
         {Gone},
         true,
         ""},
        {"settings_put_back",
         true,
         twice(failNext("open"), failNext("settings 9600,N,8,1")),
         to19200,
         "dtr 0|close|settings 19200,N,8,1",
         {Gone, Gone},
         false,
         "settings 9600,N,8,1"},
        {"attivo_lowering_dtr", false, failNext("dtr 0"), toAttivo(true), "", {Gone}, false, ""},
        {"attivo_open", false, failNext("open"), toAttivo(true), "dtr 0", {Gone}, false, ""},
        {"attivo_raising_dtr", false, failNext("dtr 1"), toAttivo(true), "dtr 0|open|close", {Gone}, false, ""},
        {"attivo_close", true, failNext("close"), toAttivo(false), "dtr 0", {Gone}, true, ""},
        {"probe_usable", false, {}, probe, "port 4|open|close", {}, false, "", 1},
        {"probe_usable_while_open", true, {}, probe, "close|port 4|open|close|open", {}, true, "", 1},
        {"probe_in_use", false, openFails(F::DeviceUnavailable), probe, "port 4", {}, false, {}, 2},
        {"probe_missing", false, openFails(F::InvalidPortNumber), probe, "port 4", {}, false, {}, 3},
        {"probe_already_open", false, openFails(F::AlreadyOpen), probe, "port 4", {}, false, {}, 3},
        {"probe_other_failure", false, openFails(F::Other), probe, "port 4", {}, false, {}, 7},
        {"probe_reopen_fails", true, markBusy(2), probe, "close|port 4|open|close", {busy}, false, {}, 1},
    };
    // The port starts on 1 with 0 stored: port 0 still reaches it.
    LinkRig fresh;
    fresh.link.setCommPort(0);
    EXPECT_EQ(fresh.port->calls(), calls(to(0)));
    EXPECT_EQ(fresh.link.CommPort(), 0);

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LinkRig rig;
        rig.link.setCommPort(2);
        rig.link.setCommSettings("9600,N,8,1");
        rig.link.setAttivo(row.startOpen);
        if (row.fault)
            row.fault(*rig.port);
        rig.port->clearRecord();
        EXPECT_EQ(row.act(rig.link), row.sStato);
        EXPECT_EQ(rig.port->calls(), calls(row.calls));
        EXPECT_EQ(rig.log.events, row.events);
        EXPECT_EQ(rig.link.CommPort(), row.commPort);
        EXPECT_EQ(rig.link.CommSettings(), row.commSettings);
        EXPECT_EQ(rig.port->open(), row.openAfter);
        EXPECT_EQ(rig.link.Attivo(), row.openAfter);

        rig.port->clearRecord();
        rig.link.setCommPort(2);
        rig.link.setCommSettings("9600,N,8,1");
        EXPECT_EQ(rig.port->settings(), "9600,N,8,1");
        if (!row.recovery)
            continue;
        EXPECT_EQ(rig.port->calls(), calls(*row.recovery));
        rig.answerWith({{20, Answer}});
        EXPECT_EQ(poll(rig).esito, Esito::Accepted);
        EXPECT_EQ(rig.port->writes(), Strings{Poll});
    }
}

// A call from a handler during any wait is refused and touches nothing; the wait ends as it would have.
TEST(OneExchangeAtATime, CallsMadeDuringAWaitAreRefused)
{
    const auto exchange = [](int16_t term, const char* tipo, const char* data) {
        return [=](L& l) {
            const auto [esito, risposta] = speak(l, &L::Sibrant2, term, tipo, data);
            EXPECT_EQ(risposta, "");
            return esito;
        };
    };
    const struct {
        const char* name;
        Call call;
        int16_t returns;
    } calls[] = {
        {"exchange", exchange(1, "P", "2"), 5},
        {"broadcast", exchange(256, "S", "5"), 5},
        {"send_without_answer", [](L& l) { return l.InviaComandoSenzaRisposta(Poll); }, 5},
        {"port_number", toPort(7), -1},
        {"settings", toSettings("19200,N,8,1"), -1},
        {"attivo_on", toAttivo(true), -1},
        {"probe", probeWith("unchanged"), 7},
        {"notifications_on", [](L& l) { return l.OnComm_Attivato(), int16_t(-1); }, -1},
    };
    const struct {
        const char* name;
        std::function<void(LinkRig&)> prepare;
        std::function<void(LinkRig&)> run;  // checks its own outcome
        Strings events;  // with a call refused during it
    } waits[] = {
        {"command",
         [](LinkRig& rig) {
             rig.answerWith({{300, Answer}});
         },
         [](LinkRig& rig) {
             const auto [esito, risposta] = poll(rig);
             EXPECT_EQ(esito, Esito::Accepted);
             EXPECT_EQ(hex(risposta), Answer);
         },
         {PollSent, Busy, Received}},
        {"reception",
         [](LinkRig& rig) {
             rig.link.setAttivo(true);
             rig.port->feed(unhex("41"));
         },
         [](LinkRig& rig) {
             ASSERT_TRUE(rig.port->notify());
             EXPECT_EQ(rig.clock.nowMs(), 5001u);
         },
         {Busy, "ComTO"}},
        {"quiet_gap",
         timedOutWithGap(300),
         [](LinkRig& rig) { EXPECT_EQ(rig.link.keepQuietGap(), Esito::Accepted); },
         {Busy}},
    };
    for (const auto& wait : waits) {
        LinkRig alone;  // the port calls of the wait alone
        wait.prepare(alone);
        alone.port->clearRecord();
        wait.run(alone);
        for (const auto& row : calls) {
            SCOPED_TRACE(testing::Message() << wait.name << " " << row.name);
            LinkRig rig;
            wait.prepare(rig);
            rig.port->clearRecord();
            std::optional<int16_t> nested;
            const uint32_t start = rig.clock.nowMs();
            rig.onYield = [&] {
                if (!nested && rig.clock.nowMs() - start >= 100) {
                    EXPECT_TRUE(rig.link.busy());
                    nested = row.call(rig.link);
                }
            };
            wait.run(rig);
            ASSERT_TRUE(nested);
            EXPECT_EQ(*nested, row.returns);
            EXPECT_EQ(rig.log.events, wait.events);
            EXPECT_EQ(rig.port->controlCalls(), alone.port->controlCalls());
            EXPECT_EQ(rig.log.busyChanges, (std::vector<bool>{true, false}));

            rig.onYield = nullptr;
            rig.answerWith({{30, Answer}});
            EXPECT_EQ(hex(poll(rig).risposta), Answer);
        }
    }
}

// ComRX and ComTO come once the link is idle, so their handlers may send; ComTX's may not.
TEST(OneExchangeAtATime, HandlersOfTheOutcomeMaySendThoseOfTheSendMayNot)
{
    const struct {
        const char* name;
        bool unsolicited;  // a reception started by the notification, not an exchange
        const char *input, *on;  // input due 20 ms after the send; the event whose handler sends an ACK
        int16_t esito;
    } rows[] = {
        {"exchange_answered", false, "02 30 21 41 03 51", "ComRX", 0},
        {"exchange_timed_out", false, "", "ComTO", 0},
        {"unsolicited_frame", true, "02 30 21 41 03 51", "ComRX", 0},
        {"during_the_send", false, "02 30 21 41 03 51", "ComTX", 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LinkRig rig;
        rig.link.setAttivo(true);
        rig.port->clearRecord();
        std::optional<int16_t> acknowledged;
        rig.log.onEvent = [&](const std::string& event) {
            if (!acknowledged && event.rfind(row.on, 0) == 0)
                acknowledged = rig.link.InviaComando("\x06");
        };
        if (row.unsolicited) {
            rig.port->feed(unhex(row.input));
            ASSERT_TRUE(rig.port->notify());
        } else {
            rig.answerWith({{20, row.input}});
            poll(rig);
        }
        EXPECT_EQ(acknowledged, row.esito);
        EXPECT_EQ(std::ranges::count(rig.port->writes(), "\x06"), row.esito == 0 ? 1 : 0);
        EXPECT_EQ(rig.port->threshold(), 1);
    }
}

// After a time-out, input is dropped until 300 ms of quiet, at most 5000 ms; whole frames are raised after.
TEST(QuietGapAfterTimeOut, DropsInputUntilTheLineIsQuiet)
{
    Pieces endlessNoise;
    for (uint32_t t = 0; t < 6000; t += 250)
        endlessNoise.push_back({t, "FF"});
    const struct {
        const char* name;
        Pieces input;  // (ms from the start, hex bytes)
        uint32_t endsAt;
        Strings raised;
        uint32_t stopAt = 0;  // ms from the start when the wait is abandoned
    } rows[] = {
        {"quiet_line", {}, 300, {}},
        {"answer_in_pieces_restarts_the_gap", {{100, "02 30"}, {350, "21 41"}, {600, "03 51"}}, 900, {Received}},
        {"noise_that_never_stops", endlessNoise, 5001, {}},
        {"stopped_under_noise", endlessNoise, 300, {}, 300},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LinkRig rig;
        timedOutWithGap(300)(rig);
        rig.port->maxReads = 200;
        const uint32_t start = rig.clock.nowMs();
        for (const auto& [offset, bytes] : row.input)
            rig.port->feedAt(start + offset, unhex(bytes));
        rig.onYield = [&] {
            rig.port->notify();  // finds the link busy: dropped
            if (row.stopAt && rig.clock.nowMs() - start == row.stopAt)
                rig.link.abandonWait();
        };
        EXPECT_EQ(rig.link.keepQuietGap(), Esito::Accepted);
        const uint32_t ended = rig.clock.nowMs() - start;
        EXPECT_EQ(ended, row.endsAt);
        EXPECT_EQ(turnsFrom(rig, start), ticks(row.stopAt ? ended : ended - 1));
        EXPECT_EQ(rig.log.events, row.raised);
        EXPECT_EQ(rig.log.busyChanges, (std::vector<bool>{true, false}));
        EXPECT_EQ(rig.port->controlCalls(), Strings{});
        EXPECT_EQ(rig.port->pending(), "") << "everything that came was taken off the line";
    }
}

TEST(QuietGapAfterTimeOut, ClosedPortHasNothingToDropAndAFailureIsReported)
{
    LinkRig closed, failing;
    closed.link.setQuietGapAfterTimeOut(300);
    closed.answerWith({});
    poll(closed);  // on a port the exchange opened, and closed again
    closed.port->clearRecord();
    closed.yieldTimes.clear();
    EXPECT_EQ(closed.link.keepQuietGap(), Esito::Accepted);
    EXPECT_TRUE(closed.port->calls().empty());
    EXPECT_TRUE(closed.yieldTimes.empty());
    timedOutWithGap(300)(failing);
    failing.port->failAlways("read", deviceGone());
    EXPECT_EQ(failing.link.keepQuietGap(), Esito::PortFailed);
    EXPECT_FALSE(failing.link.busy());
    failing.port->feed("\x02");
    ASSERT_TRUE(failing.port->notify());  // a reader's own frame meets the same failure
    EXPECT_EQ(failing.log.events, (Strings{Gone, Gone}));
}

// Readings waiting before a send are raised after its events, oldest first, never nested in a handler.
TEST(ReadersFrames, WaitingBeforeASendAreRaisedAfterwardsAndAcknowledged)
{
    const std::string R1 = "02 30 21 4A 03 5A", R2 = "02 30 22 4A 03 59", R3 = "02 30 23 4A 03 58",
                      R4 = "02 30 24 4A 03 5F";
    LinkRig rig;
    rig.port->feed(unhex(R1 + " 41 02 30 21 41 03 52 " + R2 + " " + R3));
    rig.port->onWrite = [&](const std::string& bytes) {
        if (bytes == Poll)
            rig.port->feedAt(rig.clock.nowMs() + 30, unhex(Answer));
        if (hex(bytes) == "02 30 21 06 03 16")
            rig.port->feed(unhex(R4));
    };
    int depth = 0, deepest = 0;
    rig.log.onEvent = [&](const std::string& event) {
        if (event.rfind("ComRX", 0) != 0 || event == Received)
            return;
        deepest = std::max(deepest, ++depth);
        speak(rig.link, &L::Sibrant2, static_cast<int16_t>(unhex(event.substr(6))[2] - 0x20), "P", "\x06");
        --depth;
    };
    EXPECT_EQ(hex(poll(rig).risposta), Answer);
    EXPECT_EQ(rig.log.events, (Strings{PollSent, Received, "ComRX " + R1, "ComTX 02 30 21 06 03 16", "ComRX " + R2,
                                       "ComTX 02 30 22 06 03 15", "ComRX " + R3, "ComTX 02 30 23 06 03 14",
                                       "ComRX " + R4, "ComTX 02 30 24 06 03 13"}));
    EXPECT_EQ(deepest, 1);
}

// The quiet gap keeps a late answer from being taken for the next command's.
TEST(QuietGapAfterTimeOut, LateAnswerIsNotTakenForTheNextCommand)
{
    const std::string Late = "02 30 21 4C 03 5C";
    const struct {
        const char* name;
        uint32_t gapMs;
        bool firstAnswered, secondAlone;  // else its answer comes 5005 ms after its send
        uint32_t secondSentAfter;
        Strings events;
    } rows[] = {
        {"gap", 1500, false, false, 6505, {PollSent, "ComTO", "ComRX " + Late, PollSent, Received}},
        {"no_gap", 0, false, false, 5001, {PollSent, "ComTO", PollSent, "ComRX " + Late}},
        {"gap_before_a_send_alone", 1500, false, true, 6505, {PollSent, "ComTO", "ComRX " + Late, PollSent}},
        {"no_gap_after_an_answer", 1500, true, false, 20, {PollSent, Received, PollSent, Received}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LinkRig rig;
        rig.link.setAttivo(true);
        rig.link.setQuietGapAfterTimeOut(row.gapMs);
        std::vector<uint32_t> sentAt;
        rig.port->onWrite = [&](const std::string&) {
            sentAt.push_back(rig.clock.nowMs());
            const bool late = sentAt.size() == 1 && !row.firstAnswered;
            rig.port->feedAt(sentAt.back() + (late ? 5005 : 20), unhex(late ? Late : Answer));
        };
        bool idleTurn = false;
        rig.onYield = [&] { idleTurn = idleTurn || !rig.link.busy(); };
        poll(rig);
        if (row.secondAlone)
            rig.link.InviaComando(Poll);
        else
            EXPECT_EQ(hex(poll(rig).risposta), row.gapMs ? Answer : Late);
        ASSERT_EQ(sentAt.size(), 2u);
        EXPECT_EQ(sentAt[1] - sentAt[0], row.secondSentAfter);
        EXPECT_EQ(rig.log.events, row.events);
        EXPECT_FALSE(idleTurn);
    }
}

// Another reader's good frame during a wait is held and raised after; the wait goes on.
TEST(SharedLine, AnAnswerIsTheAddressedReaders)
{
    const std::string R5 = "02 30 25 30 30 30 30 30 30 31 32 33 34 35 03 25",  // reader 5's reading
        R5Bad = R5.substr(0, R5.size() - 2) + "26";
    const struct {
        const char* name;
        Routine routine;  // nullptr: sent on its own, with nothing asked
        Pieces input;  // ms after the send
        int16_t esito;
        Strings events;
        uint32_t endsAt;
    } rows[] = {
        {"addressed_reader_silent_another_presents",
         &L::Sibrant2,
         {{1000, R5}},
         1,
         {PollSent, "ComTO", "ComRX " + R5},
         5001},
        {"another_readers_frame_failing_its_check",
         &L::Sibrant2,
         {{10, R5Bad}, {20, Answer}},
         2,
         {PollSent, Rejected},
         10},
        {"dialect_without_addresses_takes_the_first",
         &L::Sibrant,
         {{10, R5}, {20, Answer}},
         0,
         {"ComTX 02 68 21 32 03 7A", "ComRX " + R5},
         10},
        {"own_frame_failing_its_check", nullptr, {{0, R5Bad}}, 2, {Rejected}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LinkRig rig;
        int16_t esito = 2;
        if (row.routine) {
            rig.answerWith(row.input);
            esito = speak(rig.link, row.routine, 1, "P", "2").esito;
        } else {
            rig.link.setAttivo(true);
            rig.port->feed(unhex(row.input[0].second));
            rig.sentAt = rig.clock.nowMs();
            ASSERT_TRUE(rig.port->notify());
        }
        EXPECT_EQ(esito, row.esito);
        EXPECT_EQ(rig.log.events, row.events);
        EXPECT_EQ(rig.clock.nowMs() - rig.sentAt, row.endsAt);
    }
}

// A stalled write hands out turns while busy and ends as a time-out when abandoned.
TEST(StalledWrite, HandsTurnsAndEndsAsATimeOutWhenAbandoned)
{
    LinkRig rig;
    rig.port->writeStallMs = 10000;
    rig.onYield = [&] {
        EXPECT_TRUE(rig.link.busy());
        if (rig.clock.nowMs() == 300)
            rig.link.abandonWait();
    };
    const auto [esito, risposta] = poll(rig);
    EXPECT_EQ(esito, Esito::TimedOut);
    EXPECT_EQ(rig.log.events, Strings{"ComTO"});
    EXPECT_EQ(rig.yieldTimes, (std::vector<uint32_t>{100, 200, 300}));
    EXPECT_FALSE(rig.port->open());
}

// A drop while idle is told once; only a port kept open (Attivo) may come back.
TEST(LineDropped, WhileIdleIsToldAndOnlyAPortKeptOpenMayComeBack)
{
    const PortError drop(PortFailure::Other, 9, LineDroppedText);
    for (const bool attivo : {true, false}) {
        LinkRig rig;
        attivo ? rig.link.setAttivo(true) : void(rig.link.InviaComando(Poll));
        rig.port->clearRecord();
        rig.log.events.clear();
        rig.port->feed("\x02");
        rig.port->notify(CommEvent::Other);  // only received data starts a reception
        rig.port->dropLine(drop);
        EXPECT_EQ(rig.log.events, Strings{"Errore 9 the line dropped or the device was removed"});
        EXPECT_EQ(rig.port->controlCalls(), attivo ? Strings{} : Strings{"close"});
    }
    LinkRig rig;
    rig.answerWith({});
    rig.onYield = [&] { rig.port->dropLine(drop); };
    EXPECT_EQ(poll(rig).esito, Esito::PortFailed);
    EXPECT_EQ(rig.log.events, (Strings{PollSent, "Errore 8018 Operation valid only when the port is open"}));
}

// Subscribers changed by a handler count from the next event; a double subscription hears once.
TEST(EventFanOut, SubscribersChangedByAHandlerCountFromTheNextEvent)
{
    EventFanOut events;
    Strings heard;
    EventLog first, second, added;
    second.onEvent = [&](const std::string&) { heard.push_back("second"); };
    added.onEvent = [&](const std::string&) { heard.push_back("added"); };
    first.onEvent = [&](const std::string&) {
        heard.push_back("first");
        events.unsubscribe(&second);
        events.subscribe(&added);
    };
    events.subscribe(&first);
    events.subscribe(&second);
    events.subscribe(&first);
    events.ComTO();
    events.ComTO();
    EXPECT_EQ(heard, (Strings{"first", "first", "added"}));
}

}  // namespace
