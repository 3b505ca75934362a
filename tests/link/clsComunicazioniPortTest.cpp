// Port configuration, opening and closing, the port probe and the receive
// notification path of the link.
#include "LinkRig.h"

#include <gtest/gtest.h>

#include <functional>

using namespace lettore;
using namespace lettore::test;
using Strings = std::vector<std::string>;
using PortSetup = std::function<void(SimulatedPort&)>;

namespace {

PortSetup failing(const std::string& operation, PortFailure kind, int16_t number, const std::string& text)
{
    return [=](SimulatedPort& p) { p.failAlways(operation, PortError(kind, number, text)); };
}

TEST(LinkCreation, ConfiguresClosedPortAndStoresNothing)
{
    ManualClock clock;
    auto owned = std::make_unique<SimulatedPort>(clock);
    SimulatedPort& port = *owned;
    clsComunicazioni link(std::move(owned), clock);
    EXPECT_EQ(port.calls(), (Strings{"port 1", "settings 9600,N,8,1", "dtr 0", "inputlen 1",
                                     "threshold 1", "rts 1"}));
    EXPECT_FALSE(port.open());
    EXPECT_EQ(link.CommPort(), 0);
    EXPECT_EQ(link.CommSettings(), "");
    EXPECT_FALSE(link.Attivo());
}

TEST(PropertySetters, MakeExactPortCallsAndKeepValueOnFailure)
{
    const auto missing = [](int16_t number) { return [number](SimulatedPort& p) { p.markMissing(number); }; };
    const auto port3 = [](clsComunicazioni& l) { l.setCommPort(3); };
    const auto attivoOn = [](clsComunicazioni& l) { l.setAttivo(true); };
    const auto attivoOff = [](clsComunicazioni& l) { l.setAttivo(false); };
    const struct {
        const char* name;
        bool startOpen;
        PortSetup setup;
        std::function<void(clsComunicazioni&)> assign;
        Strings calls;
        Strings events;
        int16_t commPort;
        const char* commSettings;
        bool attivo;
        bool openAfter;
    } rows[] = {
        {"port_same_value_untouched", true, {}, [](auto& l) { l.setCommPort(0); }, {}, {}, 0, "", false, true},
        {"port_closed", false, {}, port3, {"port 3"}, {}, 3, "", false, false},
        {"port_open_reopened", true, {}, port3, {"dtr 0", "close", "port 3", "open", "dtr 1"}, {}, 3, "", false, true},
        {"port_reopen_fails", true, missing(3), port3, {"dtr 0", "close", "port 3"},
         {"Errore 8002 Invalid port number"}, 0, "", false, false},
        {"settings_same_value_untouched", true, {}, [](auto& l) { l.setCommSettings(""); }, {}, {}, 0, "", false, true},
        {"settings_open_reopened", true, {}, [](auto& l) { l.setCommSettings("19200,N,8,1"); },
         {"dtr 0", "close", "settings 19200,N,8,1", "open", "dtr 1"}, {}, 0, "19200,N,8,1", false, true},
        {"settings_refused_while_open", true, failing("settings", PortFailure::Other, 380, "Invalid property value"),
         [](auto& l) { l.setCommSettings("19200,N,8"); }, {"dtr 0", "close"},
         {"Errore 380 Invalid property value"}, 0, "", false, false},
        {"attivo_on_closed_opens_dtr_on", false, {}, attivoOn, {"dtr 0", "open", "dtr 1"}, {}, 0, "", true, true},
        {"attivo_on_open_leaves_dtr_off", true, {}, attivoOn, {"dtr 0"}, {}, 0, "", true, true},
        {"attivo_off_open_closes", true, {}, attivoOff, {"dtr 0", "close"}, {}, 0, "", false, false},
        {"attivo_off_closed_only_dtr", false, {}, attivoOff, {"dtr 0"}, {}, 0, "", false, false},
        {"attivo_missing_device", false, missing(1), attivoOn, {"dtr 0"}, {"Errore 8002 Invalid port number"}, 0, "",
         false, false},
        {"attivo_first_step_fails", false, failing("dtr", PortFailure::Other, 8015, "DTR"), attivoOn, {},
         {"Errore 8015 DTR"}, 0, "", false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LinkRig rig;
        if (row.startOpen)
            rig.port->setOpen(true);
        if (row.setup)
            row.setup(*rig.port);
        rig.port->clearRecord();

        row.assign(rig.link);

        EXPECT_EQ(rig.port->calls(), row.calls);
        EXPECT_EQ(rig.log.events, row.events);
        EXPECT_EQ(rig.link.CommPort(), row.commPort);
        EXPECT_EQ(rig.link.CommSettings(), row.commSettings);
        EXPECT_EQ(rig.link.Attivo(), row.attivo);
        EXPECT_EQ(rig.port->open(), row.openAfter);
    }
}

TEST(AnalizzaSeriale, ProbesAndPutsPortBack)
{
    const auto openFails = [](PortFailure kind) { return failing("open", kind, 1, "open failed"); };
    const struct {
        const char* name;
        bool startOpen;
        PortSetup setup;
        int16_t sStato;  // the caller passes 7
        Strings calls;
        Strings events;
    } rows[] = {
        {"usable", false, {}, 1, {"port 4", "open", "close", "port 2"}, {}},
        {"usable_while_open", true, {}, 1, {"close", "port 4", "open", "close", "port 2", "open"}, {}},
        {"in_use", false, [](auto& p) { p.markBusy(4); }, 2, {"port 4", "port 2"}, {}},
        {"missing", false, [](auto& p) { p.markMissing(4); }, 3, {"port 4", "port 2"}, {}},
        {"already_open", false, openFails(PortFailure::AlreadyOpen), 3, {"port 4", "port 2"}, {}},
        {"other_failure_keeps_caller_value", false, openFails(PortFailure::Other), 7, {"port 4", "port 2"}, {}},
        {"reopen_fails_reported", true, [](auto& p) { p.markBusy(2); }, 1,
         {"close", "port 4", "open", "close", "port 2"}, {"Errore 68 Device unavailable"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LinkRig rig;
        rig.link.setCommPort(2);
        rig.link.setCommSettings("19200,N,8,1");
        rig.link.setAttivo(row.startOpen);
        if (row.setup)
            row.setup(*rig.port);
        rig.port->clearRecord();

        int16_t sStato = 7;
        std::string sSetting = "unchanged";
        rig.link.AnalizzaSeriale(4, sStato, sSetting);

        EXPECT_EQ(sStato, row.sStato);
        EXPECT_EQ(sSetting, "19200,N,8,1");
        EXPECT_EQ(rig.port->calls(), row.calls);
        EXPECT_EQ(rig.log.events, row.events);
        EXPECT_EQ(rig.port->number(), 2);
        EXPECT_EQ(rig.link.CommPort(), 2);
        EXPECT_EQ(rig.link.CommSettings(), "19200,N,8,1");
        EXPECT_EQ(rig.link.Attivo(), row.startOpen);
    }
}

TEST(ReceiveNotification, CollectsUnsolicitedFrameAndSwitchesNotificationsBackOn)
{
    const struct {
        const char* name;
        CommEvent kind;
        const char* input;
        bool readFails;
        Strings events;
        uint32_t elapsed;
    } rows[] = {
        {"reading", CommEvent::ReceivedData, "02 30 21 41 03 51", false, {"ComRX 02 30 21 41 03 51"}, 0},
        {"wrong_bcc", CommEvent::ReceivedData, "02 30 21 41 03 52", false, {"ComRX \"\""}, 0},
        {"stray_byte_times_out", CommEvent::ReceivedData, "41", false, {"ComTO"}, 5001},
        {"other_kind_ignored", CommEvent::Other, "02", false, {}, 0},
        {"port_fails", CommEvent::ReceivedData, "02", true, {"Errore 8020 Error reading comm device"}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LinkRig rig;
        rig.link.setAttivo(true);
        rig.port->feed(unhex(row.input));
        if (row.readFails)
            rig.port->failAlways("read", deviceGone());
        rig.port->clearRecord();

        ASSERT_TRUE(rig.port->notify(row.kind));

        EXPECT_EQ(rig.log.events, row.events);
        EXPECT_EQ(rig.clock.nowMs(), row.elapsed);
        EXPECT_EQ(rig.port->threshold(), 1);
        EXPECT_TRUE(rig.port->open());
        if (row.kind != CommEvent::ReceivedData)
            EXPECT_TRUE(rig.port->calls().empty());
    }
}

}  // namespace
