// The virtual reader driven by the real link, port and command set, the way
// the console and the command line drive it.
#include "Esito.h"
#include "QtPort.h"
#include "VirtualLine.h"
#include "clsLettori.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace lettore;
using namespace lettore::sim;
using namespace std::chrono_literals;

constexpr int16_t PortNumber = 9;

// Runs the Qt event loop for `ms`.
void runEvents(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

class Recorder : public LinkEvents {
public:
    void ComRX(const std::string& stringa) override { received.push_back(stringa); }
    std::vector<std::string> received;
};

class SimThroughLinkTest : public testing::Test {
protected:
    void open(const std::vector<std::string>& readers, LineSettings settings = {})
    {
        std::vector<ReaderSettings> parsed;
        for (const auto& text : readers)
            parsed.push_back(ReaderSettings::parse(text));
        m_line = std::make_unique<VirtualLine>(parsed, settings);
        m_line->linkAs(m_folder.path().toStdString() + "/COM" + std::to_string(PortNumber));
        m_line->start();
        m_lettori = std::make_unique<clsLettori>(
            std::make_unique<QtPort>(PortNaming(m_folder.path().toStdString())), m_clock, processQtEvents);
        link().setCommPort(PortNumber);
        link().setCommSettings("9600,N,8,1");
        link().setAttivo(true);
    }

    clsComunicazioni& link() { return m_lettori->Comunicazione(); }
    clsSibrant& reader() { return m_lettori->Sibrant(); }
    void submit(const std::string& text) { m_line->submit(LineCommand::parse(text)); }

    QTemporaryDir m_folder;
    SteadyClock m_clock;
    std::unique_ptr<VirtualLine> m_line;
    std::unique_ptr<clsLettori> m_lettori;
};

TEST_F(SimThroughLinkTest, EveryConfigurationAndWhiteListCommand)
{
    open({"1"});
    std::string version;
    EXPECT_EQ(reader().GetVersioneFirmware(1, version), Esito::Accepted);
    EXPECT_EQ(version, "SIM LETTORE 1.00");

    EXPECT_EQ(reader().SetupBase(1, "1234", "0", "045", "012", "1", "023"), Esito::Accepted);
    std::string tproto, tmac, rele, led, tmcode, tbuzz;
    EXPECT_EQ(reader().GetSetupBase(1, tproto, tmac, rele, led, tmcode, tbuzz), Esito::Accepted);
    EXPECT_EQ(tproto + "|" + rele + "|" + tmcode + "|" + tbuzz + "|" + tmac + "|" + led,
              "1234|012|023|045|0|1");
    EXPECT_EQ(reader().SetOUTPUT(1, "10", "5", "0"), Esito::Accepted);

    std::string status;
    EXPECT_EQ(reader().CreaBadge(1, "0000000042", status), Esito::Accepted);
    EXPECT_EQ(status, "0");
    EXPECT_EQ(reader().CreaBadge(1, "0000000042", status), Esito::Accepted);
    EXPECT_EQ(status, "1");
    std::string exists;
    EXPECT_EQ(reader().VerificaBadge(1, "0000000042", exists), Esito::Accepted);
    EXPECT_EQ(exists, "1");
    EXPECT_EQ(reader().EliminaBadge(1, "0000000042"), Esito::Accepted);
    EXPECT_EQ(reader().VerificaBadge(1, "0000000042", exists), Esito::Accepted);
    EXPECT_EQ(exists, "0");
    EXPECT_EQ(reader().CreaBadge(1, "0000000043"), Esito::Accepted);
    EXPECT_EQ(reader().CancellaWL(1), Esito::Accepted);
    EXPECT_EQ(reader().VerificaBadge(1, "0000000043", exists), Esito::Accepted);
    EXPECT_EQ(exists, "0");
}

TEST_F(SimThroughLinkTest, TransactionsAndSerialNumbersWithTheirAcknowledgements)
{
    open({"1:transactions=10000000001+000000000020000000003,serials=0000000011+0000000012"});
    std::string code;
    EXPECT_EQ(reader().GetTransazione(1, code), Esito::Accepted);
    EXPECT_EQ(code, "0000000001");
    EXPECT_EQ(reader().GetTransazione(1, code, true), Esito::Accepted);
    EXPECT_EQ(code, "0000000001");
    EXPECT_EQ(reader().GetTransazione(1, code, true), Esito::Accepted);
    EXPECT_EQ(code, "00000000020000000003");
    EXPECT_EQ(reader().GetTransazione(1, code), Esito::Accepted);
    EXPECT_EQ(code, "N");  // the empty answer "0" is too short

    EXPECT_EQ(reader().GetMatricolaPrima(1, code), Esito::Accepted);
    EXPECT_EQ(code, "0000000011");
    EXPECT_EQ(reader().GetMatricolaNext(1, code), Esito::Accepted);
    EXPECT_EQ(code, "0000000012");
    EXPECT_EQ(reader().GetMatricolaCorrente(1, code), Esito::Accepted);
    EXPECT_EQ(code, "0000000012");
}

TEST_F(SimThroughLinkTest, SerialSetupAndSetAddressMoveTheReader)
{
    open({"1:card=0000012345"});
    EXPECT_EQ(reader().SetupSeriale(1, "19200", 5), Esito::Accepted);
    link().setCommSettings("19200,N,8,1");
    std::string version;
    EXPECT_EQ(reader().GetVersioneFirmware(5, version), Esito::Accepted);
    EXPECT_EQ(version, "SIM LETTORE 1.00");
    EXPECT_EQ(reader().SetIndirizzo(12, "0000012345"), Esito::Accepted);
    EXPECT_EQ(reader().GetVersioneFirmware(12, version), Esito::Accepted);
    EXPECT_EQ(version, "SIM LETTORE 1.00");
}

TEST_F(SimThroughLinkTest, FaultsThatTheLinkSurvivesOrRejects)
{
    LineSettings settings;
    settings.splitPause = 100ms;
    open({"1:fault=noise", "2:fault=split", "3:fault=badbcc"}, settings);
    std::string version;
    EXPECT_EQ(reader().GetVersioneFirmware(1, version), Esito::Accepted);
    EXPECT_EQ(version, "SIM LETTORE 1.00");
    EXPECT_EQ(reader().GetVersioneFirmware(2, version), Esito::Accepted);
    EXPECT_EQ(version, "SIM LETTORE 1.00");
    EXPECT_EQ(reader().GetVersioneFirmware(3, version), Esito::Rejected);
    EXPECT_EQ(version, "N");
}

// The one test that waits through the link's real 5 s time-out.
TEST_F(SimThroughLinkTest, LateAnswerTimesOutAndIsNotTakenForTheNextOne)
{
    LineSettings settings;
    settings.lateBy = 5300ms;
    open({"1:fault=late"}, settings);
    std::string exists;
    EXPECT_EQ(reader().VerificaBadge(1, "0000000042", exists), Esito::TimedOut);
    EXPECT_EQ(exists, "E");
    runEvents(600);  // the late answer arrives now
    submit("fault 1 none");
    std::string version;
    EXPECT_EQ(reader().GetVersioneFirmware(1, version), Esito::Accepted);
    EXPECT_EQ(version, "SIM LETTORE 1.00");
}

TEST_F(SimThroughLinkTest, MultimasterReadingArrivesUntilAcknowledged)
{
    LineSettings settings;
    settings.multimaster = true;
    settings.readingRepeat = 300ms;
    open({"5"}, settings);
    Recorder recorder;
    link().subscribe(&recorder);
    link().OnComm_Attivato();
    submit("present 5 0000000042");
    runEvents(500);
    ASSERT_FALSE(recorder.received.empty());
    EXPECT_EQ(recorder.received.front().size(), 16u);
    EXPECT_EQ(recorder.received.front().substr(4, 10), "0000000042");
    EXPECT_EQ(reader().SendACK(5), Esito::Accepted);
    runEvents(200);
    const auto count = recorder.received.size();
    runEvents(700);
    EXPECT_EQ(recorder.received.size(), count);
    link().unsubscribe(&recorder);
}

TEST_F(SimThroughLinkTest, LineDropIsAPortFailure)
{
    open({"1"});
    submit("drop");
    runEvents(200);
    std::string version;
    EXPECT_EQ(reader().GetVersioneFirmware(1, version), Esito::PortFailed);
}

}  // namespace
