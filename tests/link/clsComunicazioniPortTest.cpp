// Port configuration, opening and closing, the port probe and the receive
// notification path of the link.
#include "LinkRig.h"

#include <gtest/gtest.h>

#include <functional>

using namespace lettore;
using namespace lettore::test;
using Strings = std::vector<std::string>;

namespace {

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

struct SetterCase {
    const char* name;
    bool startOpen;
    std::function<void(SimulatedPort&)> setup;
    std::function<void(clsComunicazioni&)> assign;
    Strings calls;
    Strings events;
    int16_t commPort;
    const char* commSettings;
    bool attivo;
    bool openAfter;
};

void PrintTo(const SetterCase& c, std::ostream* os) { *os << c.name; }

class PropertySetterTest : public testing::TestWithParam<SetterCase> {};

TEST_P(PropertySetterTest, MakesExactPortCallsAndKeepsValueOnFailure)
{
    const auto& c = GetParam();
    LinkRig rig;
    if (c.startOpen)
        rig.port->setOpen(true);
    if (c.setup)
        c.setup(*rig.port);
    rig.port->clearRecord();

    c.assign(rig.link);

    EXPECT_EQ(rig.port->calls(), c.calls);
    EXPECT_EQ(rig.log.events, c.events);
    EXPECT_EQ(rig.link.CommPort(), c.commPort);
    EXPECT_EQ(rig.link.CommSettings(), c.commSettings);
    EXPECT_EQ(rig.link.Attivo(), c.attivo);
    EXPECT_EQ(rig.port->open(), c.openAfter);
}

const auto missing3 = [](SimulatedPort& p) { p.markMissing(3); };
const auto missing1 = [](SimulatedPort& p) { p.markMissing(1); };
const auto dtrFails = [](SimulatedPort& p) { p.failOnce("dtr", PortError(PortFailure::Other, 8015, "DTR")); };
const Strings reopen3{"dtr 0", "close", "port 3", "open", "dtr 1"};

INSTANTIATE_TEST_SUITE_P(
    Setters, PropertySetterTest,
    testing::Values(
        SetterCase{"port_same_value_untouched", true, {}, [](auto& l) { l.setCommPort(0); }, {}, {}, 0, "", false, true},
        SetterCase{"port_closed", false, {}, [](auto& l) { l.setCommPort(3); }, {"port 3"}, {}, 3, "", false, false},
        SetterCase{"port_open_reopened", true, {}, [](auto& l) { l.setCommPort(3); }, reopen3, {}, 3, "", false, true},
        SetterCase{"port_reopen_fails", true, missing3, [](auto& l) { l.setCommPort(3); },
                   {"dtr 0", "close", "port 3"}, {"Errore 8002 Invalid port number"}, 0, "", false, false},
        SetterCase{"settings_same_value_untouched", true, {}, [](auto& l) { l.setCommSettings(""); }, {}, {}, 0, "", false, true},
        SetterCase{"settings_open_reopened", true, {}, [](auto& l) { l.setCommSettings("19200,N,8,1"); },
                   {"dtr 0", "close", "settings 19200,N,8,1", "open", "dtr 1"}, {}, 0, "19200,N,8,1", false, true},
        SetterCase{"attivo_on_closed_opens_dtr_on", false, {}, [](auto& l) { l.setAttivo(true); },
                   {"dtr 0", "open", "dtr 1"}, {}, 0, "", true, true},
        SetterCase{"attivo_on_open_leaves_dtr_off", true, {}, [](auto& l) { l.setAttivo(true); }, {"dtr 0"}, {}, 0, "", true, true},
        SetterCase{"attivo_off_open_closes", true, {}, [](auto& l) { l.setAttivo(false); }, {"dtr 0", "close"}, {}, 0, "", false, false},
        SetterCase{"attivo_off_closed_only_dtr", false, {}, [](auto& l) { l.setAttivo(false); }, {"dtr 0"}, {}, 0, "", false, false},
        SetterCase{"attivo_missing_device", false, missing1, [](auto& l) { l.setAttivo(true); },
                   {"dtr 0"}, {"Errore 8002 Invalid port number"}, 0, "", false, false},
        SetterCase{"attivo_first_step_fails", false, dtrFails, [](auto& l) { l.setAttivo(true); },
                   {}, {"Errore 8015 DTR"}, 0, "", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct ProbeCase {
    const char* name;
    bool startOpen;
    std::function<void(SimulatedPort&)> setup;
    int16_t sStato;  // the caller passes 7
    Strings calls;
    Strings events;
};

void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

class AnalizzaSerialeTest : public testing::TestWithParam<ProbeCase> {};

TEST_P(AnalizzaSerialeTest, ProbesAndPutsPortBack)
{
    const auto& c = GetParam();
    LinkRig rig;
    rig.link.setCommPort(2);
    rig.link.setCommSettings("19200,N,8,1");
    rig.link.setAttivo(c.startOpen);
    if (c.setup)
        c.setup(*rig.port);
    rig.port->clearRecord();

    int16_t sStato = 7;
    std::string sSetting = "unchanged";
    rig.link.AnalizzaSeriale(4, sStato, sSetting);

    EXPECT_EQ(sStato, c.sStato);
    EXPECT_EQ(sSetting, "19200,N,8,1");
    EXPECT_EQ(rig.port->calls(), c.calls);
    EXPECT_EQ(rig.log.events, c.events);
    EXPECT_EQ(rig.port->number(), 2);
    EXPECT_EQ(rig.link.CommPort(), 2);
    EXPECT_EQ(rig.link.CommSettings(), "19200,N,8,1");
    EXPECT_EQ(rig.link.Attivo(), c.startOpen);
}

const auto openFails = [](PortFailure kind) {
    return [kind](SimulatedPort& p) { p.failOnce("open", PortError(kind, 1, "open failed")); };
};

INSTANTIATE_TEST_SUITE_P(
    Kinds, AnalizzaSerialeTest,
    testing::Values(
        ProbeCase{"usable", false, {}, 1, {"port 4", "open", "close", "port 2"}, {}},
        ProbeCase{"usable_while_open", true, {}, 1, {"close", "port 4", "open", "close", "port 2", "open"}, {}},
        ProbeCase{"in_use", false, [](auto& p) { p.markBusy(4); }, 2, {"port 4", "port 2"}, {}},
        ProbeCase{"missing", false, [](auto& p) { p.markMissing(4); }, 3, {"port 4", "port 2"}, {}},
        ProbeCase{"already_open", false, openFails(PortFailure::AlreadyOpen), 3, {"port 4", "port 2"}, {}},
        ProbeCase{"other_failure_keeps_caller_value", false, openFails(PortFailure::Other), 7, {"port 4", "port 2"}, {}},
        ProbeCase{"reopen_fails_reported", true, [](auto& p) { p.markBusy(2); }, 1,
                  {"close", "port 4", "open", "close", "port 2"}, {"Errore 68 Device unavailable"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct NotificationCase {
    const char* name;
    CommEvent kind;
    const char* input;
    bool readFails;
    Strings events;
    uint32_t elapsed;
};

void PrintTo(const NotificationCase& c, std::ostream* os) { *os << c.name; }

class NotificationTest : public testing::TestWithParam<NotificationCase> {};

TEST_P(NotificationTest, CollectsUnsolicitedFrameAndSwitchesNotificationsBackOn)
{
    const auto& c = GetParam();
    LinkRig rig;
    rig.link.setAttivo(true);
    rig.port->feed(unhex(c.input));
    if (c.readFails)
        rig.port->failOnce("read", deviceGone());
    rig.port->clearRecord();

    ASSERT_TRUE(rig.port->notify(c.kind));

    EXPECT_EQ(rig.log.events, c.events);
    EXPECT_EQ(rig.clock.nowMs(), c.elapsed);
    EXPECT_EQ(rig.port->threshold(), 1);
    EXPECT_TRUE(rig.port->open());
    if (c.kind != CommEvent::ReceivedData)
        EXPECT_TRUE(rig.port->calls().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Notifications, NotificationTest,
    testing::Values(
        NotificationCase{"reading", CommEvent::ReceivedData, "02 30 21 41 03 51", false, {"ComRX 02 30 21 41 03 51"}, 0},
        NotificationCase{"wrong_bcc", CommEvent::ReceivedData, "02 30 21 41 03 52", false, {"ComRX \"\""}, 0},
        NotificationCase{"stray_byte_times_out", CommEvent::ReceivedData, "41", false, {"ComTO"}, 5001},
        NotificationCase{"other_kind_ignored", CommEvent::Other, "02", false, {}, 0},
        NotificationCase{"port_fails", CommEvent::ReceivedData, "02", true, {"Errore 8020 Error reading comm device"}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
