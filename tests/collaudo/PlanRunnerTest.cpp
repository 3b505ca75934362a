// Plans run by the real link against a virtual reader in this process, the clock driven.
#include "PlanRunner.h"
#include "Esito.h"
#include "PlanFile.h"
#include "ReaderBusLine.h"
#include "TrafficCapture.h"
#include "TrafficFeed.h"
#include "WallTime.h"
#include "clsLettori.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace lettore;
using namespace lettore::sim;
using Ids = std::set<std::string>;

// The default plan's steps that need no other: those a reader that answers nothing right fails.
const Ids Unconditional{"versione",   "matricola_prima", "matricola_corrente", "setup_letto",
                        "wl_assente", "uscite_prova",    "transazione"};

Ids withVerdict(const ReaderRecord& record, Verdict verdict)
{
    Ids ids;
    for (const StepResult& step : record.steps)
        if (step.verdict == verdict)
            ids.insert(step.id);
    return ids;
}

const StepResult& step(const ReaderRecord& record, const std::string& id)
{
    return *std::find_if(record.steps.begin(), record.steps.end(), [&](const StepResult& s) { return s.id == id; });
}

PlanStep command(const std::string& id, const std::string& name, ReaderCommand::Arguments args = {})
{
    PlanStep step{.id = id, .title = id};
    step.action = {name, std::move(args)};
    return step;
}

class PlanRunnerTest : public testing::Test {
protected:
    // A new run with one reader on the bus, the link at 9600 baud waiting 1 s for an answer and 1.5 s for quiet.
    void open(const std::string& reader, LineSettings settings = {})
    {
        m_lettori.reset();
        settings.faultTiming.splitPause = std::chrono::milliseconds(80);
        m_bus = std::make_unique<test::ReaderBusLine>(std::vector{ReaderSettings::parse(reader)}, settings, m_clock);
        m_told.clear();
        m_stop = m_abandon = false;
        m_lettori = std::make_unique<clsLettori>(PortTap::tapping(m_bus->opener(), &m_feed), m_clock);
        link().subscribe(&m_feed);
        link().setCommPort(9);
        link().setCommSettings("9600,N,8,1");
        link().setAnswerTimeLimit(1000);
        link().setQuietGapAfterTimeOut(1500);
        link().setAttivo(true);
    }
    clsComunicazioni& link() { return m_lettori->Comunicazione(); }
    ReaderRecord run(const TestPlan& plan, PlanRunner::Options options = {.term = 1})
    {
        PlanRunner::Hooks hooks{
            m_clock,
            [this](uint32_t ms) { m_bus->pass(ms); },
            [this] { return m_stop; },
            [this] { return m_abandon; },
            [this](const std::string& text) {
                m_told.push_back(text);
                if (m_onTell)
                    m_onTell();
            },
            [](std::size_t, const StepResult&, bool) {},
            [] { return isoTime(std::chrono::system_clock::now()); },
        };
        return PlanRunner(link(), m_capture, hooks).run(plan, options);
    }
    // At the badge step's prompt, `command` goes to the line.
    void atPrompt(const std::string& command)
    {
        m_onTell = [this, command] {
            if (m_told.back().starts_with("presentare"))
                m_bus->apply(command);
        };
    }
    std::string ask(const std::string& name, ReaderCommand::Arguments args = {})
    {
        const auto result = ReaderCommand::named(name).run(link(), 1, args);
        return result.esito == Esito::Accepted ? result.values.front().text : "esito " + std::to_string(result.esito);
    }
    static TestPlan defaultPlan() { return PlanFile::parse(PlanFile::defaultText()); }
    // Setup written, test code added, then a badge step the test acts in.
    static TestPlan changesThenBadge()
    {
        TestPlan plan = defaultPlan();
        std::erase_if(plan.steps, [](const PlanStep& s) {
            return s.id != "setup_letto" && s.id != "setup_prova" && s.id != "wl_assente" && s.id != "wl_aggiunto"
                   && s.id != "badge";
        });
        plan.lineBackWithinMs = 4000;
        return plan;
    }

    test::ManualClock m_clock;
    TrafficCapture m_capture;
    TrafficFeed m_feed{[this](std::vector<TrafficRow>&& rows) { m_capture.offer(rows); }};
    std::unique_ptr<test::ReaderBusLine> m_bus;
    std::unique_ptr<clsLettori> m_lettori;
    bool m_stop = false;
    bool m_abandon = false;
    std::vector<std::string> m_told;
    std::function<void()> m_onTell;
};

// Every step but the line's own rate passes; the badge is read as a transaction or as a reading.
TEST_F(PlanRunnerTest, HealthyReaderPassesEveryStep)
{
    for (const bool multimaster : {false, true}) {
        open("1", {.multimaster = multimaster});
        atPrompt("present 1 0000000042");
        const ReaderRecord record = run(defaultPlan(), {.term = 1, .alone = true, .badge = true});
        EXPECT_EQ(withVerdict(record, Verdict::Failed), Ids{}) << multimaster;
        EXPECT_EQ(withVerdict(record, Verdict::Skipped), Ids{"velocita_9600"}) << multimaster;
        EXPECT_TRUE(record.passed());
        EXPECT_EQ(step(record, "badge").exchanges.back().values.back().text, "0000000042");
        EXPECT_EQ(record.reader.firmware + "|" + record.reader.firstSerial + "|" + record.reader.currentSerial + "|"
                      + record.reader.model + "|" + record.reader.rate,
                  "SIM LETTORE 1.00|0000001001|0000001001|Sibrant2|9600");
        const ExchangeRecord& read = step(record, "setup_letto").exchanges.front();
        ASSERT_EQ(read.rows.size(), 2u);
        EXPECT_EQ(read.rows[0].data, "1");  // the setup query's own rows
        EXPECT_EQ(read.rows[1].kind, TrafficRow::Kind::Answer);
        // The reading was confirmed: the reader keeps nothing of the test.
        EXPECT_EQ(ask("GetTransazione"), "N");
    }
}

// A lone ACK has no check character to spoil, so a reader with bad ones still sets its outputs.
TEST_F(PlanRunnerTest, EachFaultFailsExactlyTheStepsItShould)
{
    const struct {
        const char* fault;
        Ids failed;
        UndoResult::Outcome outputsPutBack;
    } rows[] = {
        {"silent", Unconditional, UndoResult::Outcome::Unconfirmed},
        {"badbcc",
         {"versione", "matricola_prima", "matricola_corrente", "setup_letto", "wl_assente", "transazione"},
         UndoResult::Outcome::Discharged},
        {"nak", Unconditional, UndoResult::Outcome::NotMade},
        {"split", {}, UndoResult::Outcome::Discharged},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        open(std::string("1:fault=") + row.fault);
        const ReaderRecord record = run(defaultPlan());
        EXPECT_EQ(withVerdict(record, Verdict::Failed), row.failed);
        EXPECT_EQ(withVerdict(record, Verdict::NotRun), Ids{});
        const auto outputs = std::find_if(record.undos.begin(), record.undos.end(),
                                          [](const UndoResult& u) { return u.stepId == "uscite_prova"; });
        ASSERT_NE(outputs, record.undos.end());
        EXPECT_EQ(outputs->outcome, row.outputsPutBack);
    }
}

// A step that fails puts every change back at once, newest first; steps that needed them are skipped.
TEST_F(PlanRunnerTest, ChangesArePutBackWhenALaterStepFails)
{
    open("1");
    TestPlan plan = changesThenBadge();
    plan.steps.pop_back();
    PlanStep wrong = command("wl_sbagliato", "VerificaBadge", {{"CODICE", "0000054321"}});
    wrong.expect.fields = {{"outESISTE", "0"}};
    PlanStep after = command("dopo", "GetSetupBase");
    after.needs = {"setup_prova"};
    plan.steps.insert(plan.steps.end(), {wrong, after});
    const ReaderRecord record = run(plan);
    EXPECT_EQ(withVerdict(record, Verdict::Failed), Ids{"wl_sbagliato"});
    EXPECT_EQ(step(record, "dopo").reasons,
              std::vector<std::string>{"richiede il passo setup_prova, non superato o già rimesso"});
    ASSERT_EQ(record.undos.size(), 2u);
    EXPECT_EQ(record.undos[0].stepId + " " + record.undos[1].stepId, "wl_aggiunto setup_prova");
    EXPECT_TRUE(record.changesLeft().empty());
    EXPECT_EQ(ask("VerificaBadge", {{"CODICE", "0000054321"}}) + " " + ask("GetSetupBase"), "0 0001");
}

// A stop at the badge prompt puts the changes back and runs no more; a second request leaves them, named.
TEST_F(PlanRunnerTest, StopPutsTheReaderBackUnlessAbandoned)
{
    for (const bool abandon : {false, true}) {
        open("1");
        m_onTell = [this, abandon] { m_stop = true, m_abandon = abandon; };
        const ReaderRecord record = run(changesThenBadge(), {.term = 1, .badge = true});
        EXPECT_TRUE(record.stopped);
        EXPECT_EQ(withVerdict(record, Verdict::NotRun), Ids{"badge"});
        EXPECT_EQ(record.changesLeft().size(), abandon ? 2u : 0u);
        EXPECT_EQ(ask("GetSetupBase"), abandon ? "0020" : "0001");
    }
}

// A dropped line is waited for and the reader put back; one never back leaves the changes named.
TEST_F(PlanRunnerTest, LineDropIsWaitedForThenTheReaderPutBack)
{
    for (const char* drop : {"drop 300", "drop"}) {
        open("1");
        atPrompt(drop);
        const ReaderRecord record = run(changesThenBadge(), {.term = 1, .badge = true});
        EXPECT_TRUE(record.lineDropped);
        EXPECT_EQ(step(record, "badge").reasons, std::vector<std::string>{"la linea è caduta"});
        const bool back = std::string(drop) != "drop";
        EXPECT_EQ(record.changesLeft().size(), back ? 0u : 2u) << drop;
        if (back)
            EXPECT_EQ(ask("GetSetupBase"), "0001");
    }
}

// A reader too slow at the new rate fails its rate step, and is brought home and heard there again.
TEST_F(PlanRunnerTest, RateStepThatFailsBringsTheReaderHome)
{
    open("1:fault=split");
    TestPlan plan = defaultPlan();
    std::erase_if(plan.steps, [](const PlanStep& s) { return s.id != "velocita_19200"; });
    plan.maxLatencyMs = 100;
    const ReaderRecord record = run(plan, {.term = 1, .alone = true});
    const StepResult& rate = record.steps.front();
    ASSERT_EQ(rate.verdict, Verdict::Failed);
    ASSERT_EQ(record.undos.size(), 1u);
    EXPECT_EQ(record.undos.front().outcome, UndoResult::Outcome::Done) << record.undos.front().note;
    EXPECT_EQ(record.undos.front().exchanges.front().rate, "19200");
    EXPECT_EQ(ask("GetVersioneFirmware"), "SIM LETTORE 1.00");
}

}  // namespace
