// The console's behaviour on the real window, over the simulated port:
// start-up from Seriale.cfg, the settings row, the file written at close,
// the reading handler, and one command at a time.
#include "ConsoleRig.h"
#include "MonCom.h"
#include "modLettori.h"

#include <QFileInfo>
#include <QStatusBar>
#include <QTest>

#include <fstream>

using namespace lettore;
using test::ConsolePlatform;
using test::ConsoleRig;

namespace {

test::SimulatedPort& port() { return ConsolePlatform::port(); }

}  // namespace

class ConsoleTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ConsoleRig> m_rig;

    void start(const char* settings) { m_rig = std::make_unique<ConsoleRig>(settings); }
    const Ui::frmSibrant& ui() { return m_rig->ui(); }
    void closeWindow() { m_rig->closeWindow(); }

private slots:
    void initTestCase() { ConsolePlatform::install(); }

    void cleanup()
    {
        m_rig.reset();
        QVERIFY(!MonCom::isLoaded());
    }

    void cleanupTestCase() { releaseLettori(); }

    // Start-up: what Seriale.cfg holds is shown and applied to the link;
    // what the lists cannot show falls back to its default.
    void startUp_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("terminal");
        QTest::addColumn<QString>("newAddress");
        QTest::addColumn<QByteArray>("written");

        QTest::newRow("no file") << QByteArray() << "1" << "9600" << "000" << "000" << QByteArray(" 1 \r\n9600\r\n 0 \r\n");
        QTest::newRow("port only") << QByteArray(" 3 \r\n") << "3" << "9600" << "000" << "000" << QByteArray(" 3 \r\n9600\r\n 0 \r\n");
        QTest::newRow("all three") << QByteArray(" 5 \r\n19200\r\n 7 \r\n") << "5" << "19200" << "007" << "007" << QByteArray(" 5 \r\n19200\r\n 7 \r\n");
        QTest::newRow("terminal 256") << QByteArray(" 1 \r\n9600\r\n 256 \r\n") << "1" << "9600" << "256" << "" << QByteArray(" 1 \r\n9600\r\n 256 \r\n");
        QTest::newRow("unknown rate") << QByteArray(" 2 \r\n57600\r\n 4 \r\n") << "2" << "9600" << "004" << "004" << QByteArray(" 2 \r\n9600\r\n 4 \r\n");
        QTest::newRow("terminal 300") << QByteArray(" 2 \r\n2400\r\n 300 \r\n") << "2" << "2400" << "000" << "000" << QByteArray(" 2 \r\n2400\r\n 0 \r\n");
        QTest::newRow("terminal -1") << QByteArray(" 2 \r\n2400\r\n-1 \r\n") << "2" << "2400" << "000" << "000" << QByteArray(" 2 \r\n2400\r\n 0 \r\n");
        QTest::newRow("port 40000") << QByteArray(" 40000 \r\n38400\r\n") << "1" << "38400" << "000" << "000" << QByteArray(" 1 \r\n38400\r\n 0 \r\n");
    }

    void startUp()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, port);
        QFETCH(QString, baud);
        const QString shownPort = port;
        start(file.isNull() ? nullptr : file.constData());

        QCOMPARE(ui().TxtNumCom->text(), shownPort);
        QCOMPARE(ui().CmbBaudRate->currentText(), baud);
        QCOMPARE(ui().CobNewBaudRate->currentText(), baud);
        QTEST(ui().CmbTerminale->currentText(), "terminal");
        QTEST(ui().CmbNewAddr->currentText(), "newAddress");
        QCOMPARE(ui().cmbSetIndirizzo->currentIndex(), -1);
        QCOMPARE(QString::number(::port().number()), shownPort);
        QCOMPARE(QString::fromStdString(::port().settings()), baud + ",N,8,1");
        QVERIFY(::port().open());

        closeWindow();
        QTEST(m_rig->fileContents("Seriale.cfg"), "written");
        QVERIFY(m_rig->dialogs.messages.empty());
    }

    // Leaving the port box: the number that leads the text, rounded half
    // to even, is probed; a port in use or missing is told and the box
    // shows the port in use again.
    void portChange_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("probed");   // "port N" call, "" when none
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("boxAfter");
        QTest::addColumn<int>("portAfter");

        QTest::newRow("3abc") << "3abc" << "port 3" << "" << "3abc" << 3;
        QTest::newRow("2.5") << "2.5" << "port 2" << "" << "2.5" << 2;
        QTest::newRow("3.5") << "3.5" << "port 4" << "" << "3.5" << 4;
        QTest::newRow("empty") << "" << "port 0" << "" << "" << 0;
        QTest::newRow("same port") << "1" << "" << "" << "1" << 1;
        QTest::newRow("in use") << "7" << "port 7" << "Seriale già utilizzata" << "1" << 1;
        QTest::newRow("missing") << "8" << "port 8" << "Seriale inesistente" << "1" << 1;
        QTest::newRow("40000") << "40000" << "" << "Seriale inesistente" << "1" << 1;
    }

    void portChange()
    {
        QFETCH(QString, typed);
        QFETCH(QString, probed);
        QFETCH(QString, message);
        QFETCH(int, portAfter);
        port().markBusy(7);
        port().markMissing(8);
        start(" 1 \r\n2400\r\n 0 \r\n");

        ui().TxtNumCom->setText(typed);
        m_rig->console().settings().TxtNumCom_LostFocus();

        const auto calls = port().controlCalls();
        const bool probedIt = std::find(calls.begin(), calls.end(), probed.toStdString()) != calls.end();
        QVERIFY(probed.isEmpty() ? calls.empty() : probedIt);
        const std::vector<QString> messages = message.isEmpty() ? std::vector<QString>() : std::vector<QString>{message};
        QCOMPARE(m_rig->dialogs.messages, messages);
        QTEST(ui().TxtNumCom->text(), "boxAfter");
        QCOMPARE(int(port().number()), portAfter);
        QCOMPARE(port().settings(), std::string("2400,N,8,1"));
        QVERIFY(port().open());

        closeWindow();
        QCOMPARE(m_rig->fileContents("Seriale.cfg"),
                 QByteArray(" ") + QByteArray::number(portAfter) + " \r\n2400\r\n 0 \r\n");
    }

    // The port is taken when the focus leaves the box, as a user moves on.
    void portChangeOnLeavingTheBox()
    {
        start(nullptr);
        QApplication::setActiveWindow(&m_rig->window());
        QVERIFY(QTest::qWaitForWindowActive(&m_rig->window()));
        ui().TxtNumCom->setFocus();
        ui().TxtNumCom->setText("6");
        ui().Text3->setFocus();
        QCOMPARE(int(port().number()), 6);
    }

    // The baud rate: a new one is applied at once, the one in use again
    // touches nothing.
    void baudRateChange()
    {
        start(nullptr);
        m_rig->console().settings().selectBaudRate(QString("9600"));
        QVERIFY(port().controlCalls().empty());
        m_rig->console().settings().selectBaudRate(QString("19200"));
        QCOMPARE(port().settings(), std::string("19200,N,8,1"));
        QCOMPARE(m_rig->console().settings().Velocita(), std::string("19200"));
    }

    // The monitor button shows and hides the monitor, says which it will
    // do next, and leaves the focus in the Output panel's first box.
    void monitorButton()
    {
        start(nullptr);
        QApplication::setActiveWindow(&m_rig->window());
        QVERIFY(QTest::qWaitForWindowActive(&m_rig->window()));
        QCOMPARE(ui().Command8->text(), QString("Visualizza Monitor"));
        ui().Command8->click();
        QVERIFY(MonCom::isLoaded() && MonCom::instance().isVisible());
        QCOMPARE(ui().Command8->text(), QString("Nascondi Monitor"));
        QApplication::setActiveWindow(&m_rig->window());
        QVERIFY(ui().Text3->hasFocus());
        ui().Command8->click();
        QVERIFY(!MonCom::instance().isVisible());
        QCOMPARE(ui().Command8->text(), QString("Visualizza Monitor"));

        closeWindow();
        QVERIFY(!MonCom::isLoaded());
    }

    // A file that cannot be written at close is told, not lost silently.
    void unwritableSettingsAreTold()
    {
        start(" 2 \r\n9600\r\n 0 \r\n");
        QVERIFY(QDir(m_rig->path(".")).removeRecursively());
        closeWindow();
        QCOMPARE(m_rig->dialogs.messages,
                 std::vector<QString>{"Impossibile scrivere Seriale.cfg: le impostazioni non sono state salvate."});
    }

    // Something at the file's place that cannot be read is told at start
    // and left as it is at close: the user's settings stay there.
    void unreadableSettingsAreKept()
    {
        m_rig = std::make_unique<ConsoleRig>(nullptr, [](const QDir& folder) { folder.mkpath("Seriale.cfg/x"); });
        closeWindow();
        QCOMPARE(m_rig->dialogs.messages,
                 std::vector<QString>{"Impossibile leggere Seriale.cfg: le impostazioni non saranno salvate alla chiusura."});
        QCOMPARE(m_rig->dialogs.icons, std::vector<Dialogs::Icon>{Dialogs::Icon::Exclamation});
        QVERIFY(QFileInfo(m_rig->path("Seriale.cfg/x")).isDir());
    }

    // A Seriale.cfg that is a link is written at its target and stays a
    // link; one planted where a temporary file might be made redirects
    // nothing.
    void settingsWrittenThroughLinksOnlyAtTheirOwnName()
    {
        m_rig = std::make_unique<ConsoleRig>(nullptr, [](const QDir& folder) {
            std::ofstream(folder.filePath("stored.cfg").toStdString()) << " 4 \r\n2400";
            std::ofstream(folder.filePath("victim").toStdString()) << "untouched";
            QFile::link("stored.cfg", folder.filePath("Seriale.cfg"));
            QFile::link("victim", folder.filePath("Seriale.cfg.tmp"));
        });
        closeWindow();
        QVERIFY(m_rig->dialogs.messages.empty());
        QVERIFY(QFileInfo(m_rig->path("Seriale.cfg")).isSymLink());
        QCOMPARE(m_rig->fileContents("stored.cfg"), QByteArray(" 4 \r\n2400\r\n 0 \r\n"));
        QCOMPARE(m_rig->fileContents("victim"), QByteArray("untouched"));
    }

    // The reading handler: only in Multimaster mode, only 16 characters
    // with an address; acknowledged when "Ack automatico" is ticked.
    void lettura_data()
    {
        QTest::addColumn<bool>("multimaster");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("autoAck");
        QTest::addColumn<bool>("wav");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("badge");
        QTest::addColumn<QString>("ack");  // frame written, hex; "" for none
        QTest::addColumn<bool>("sound");

        const QByteArray reader5("\x02" "0%" "0" "0000012345" "\x03" "X", 16);
        const QByteArray reader255("\x02" "?/" "0" "9876543210" "\x03" "X", 16);
        const QByteArray badAddress("\x02" "A0" "0" "0000012345" "\x03" "X", 16);
        QTest::newRow("reader 5") << true << reader5 << int(Qt::Checked) << true << "5" << "0000012345" << "02 30 25 06 03 12" << true;
        QTest::newRow("reader 255") << true << reader255 << int(Qt::Checked) << true << "255" << "9876543210" << "02 3F 2F 06 03 17" << true;
        QTest::newRow("no sound file") << true << reader5 << int(Qt::Checked) << false << "5" << "0000012345" << "02 30 25 06 03 12" << false;
        QTest::newRow("ack unticked") << true << reader5 << int(Qt::Unchecked) << true << "5" << "0000012345" << "" << true;
        QTest::newRow("ack grey") << true << reader5 << int(Qt::PartiallyChecked) << true << "5" << "0000012345" << "" << true;
        QTest::newRow("standard") << false << reader5 << int(Qt::Checked) << true << "" << "" << "" << false;
        QTest::newRow("15 characters") << true << reader5.left(15) << int(Qt::Checked) << true << "" << "" << "" << false;
        QTest::newRow("17 characters") << true << reader5 + "Y" << int(Qt::Checked) << true << "" << "" << "" << false;
        QTest::newRow("empty") << true << QByteArray() << int(Qt::Checked) << true << "" << "" << "" << false;
        QTest::newRow("bad address") << true << badAddress << int(Qt::Checked) << true << "" << "" << "" << false;
    }

    void lettura()
    {
        QFETCH(bool, multimaster);
        QFETCH(QByteArray, text);
        QFETCH(int, autoAck);
        QFETCH(bool, wav);
        QFETCH(QString, ack);
        QFETCH(bool, sound);
        start(nullptr);
        if (wav)
            std::ofstream(m_rig->path("LetturaOk.wav").toStdString()) << "RIFF";
        m_rig->console().window().optMultiMaster[multimaster ? 1 : 0]->setChecked(true);
        ui().ChkAutoAck->setCheckState(Qt::CheckState(autoAck));

        m_rig->console().multimaster().Lettura(text.toStdString());

        QTEST(ui().txtAddrMM->text(), "address");
        QTEST(ui().TxtBadgeMM->text(), "badge");
        using Sounds = std::vector<std::pair<std::string, bool>>;
        const std::vector<std::string> acks = ack.isEmpty() ? std::vector<std::string>() : std::vector<std::string>{test::unhex(ack.toStdString())};
        QCOMPARE(port().writes(), acks);
        const Sounds expected = sound ? Sounds{{"LetturaOk.wav", true}} : Sounds();
        QCOMPARE(ConsolePlatform::played, expected);
    }

    // One command at a time: while an exchange waits, the settings row and
    // the options are off, the status line names the command, and a
    // second command does not start; a close ends the wait at once, says
    // so and closes the window.
    void oneCommandAtATime()
    {
        start(nullptr);
        bool checked = false;
        ConsolePlatform::duringWait = [&] {
            if (checked)
                return;
            checked = true;
            QVERIFY(!ui().TxtNumCom->isEnabled());
            QVERIFY(!ui().CmbBaudRate->isEnabled());
            QVERIFY(!ui().CmbTerminale->isEnabled());
            QVERIFY(!m_rig->console().window().optMultiMaster[1]->isEnabled());
            QCOMPARE(m_rig->console().window().statusBar()->currentMessage(), QString("Comando in corso: Versione Firmware"));
            bool second = false;
            QVERIFY(!m_rig->console().gate().run("Output", [&] { second = true; }));
            QVERIFY(!second);
            // Even a command that slipped past the window finds the link busy.
            std::string other;
            QCOMPARE(Lettori().Sibrant().GetVersioneFirmware(2, other), Esito::LinkBusy);
            QCOMPARE(port().writes().size(), size_t(1));
            closeWindow();
            QVERIFY(m_rig->console().window().isVisible());
            QCOMPARE(m_rig->console().window().statusBar()->currentMessage(), QString("Chiusura in corso: il comando si ferma dopo lo scambio in corso"));
        };
        const uint32_t start = ConsolePlatform::clock().nowMs();
        int16_t term = 1;
        std::string version;
        m_rig->console().gate().run("Versione Firmware", [&] { Lettori().Sibrant().GetVersioneFirmware(term, version); });
        QVERIFY(checked);
        QVERIFY(ConsolePlatform::clock().nowMs() - start < 1000);  // not the 5 s limit
        QCOMPARE(ui().TxtNumCom->isEnabled(), true);
        QTRY_VERIFY(!m_rig->console().window().isVisible());
        QCOMPARE(m_rig->fileContents("Seriale.cfg"), QByteArray(" 1 \r\n9600\r\n 0 \r\n"));
    }

    // A reception a reader started, while the user types in "Seriale n.":
    // the box keeps the focus, the status line says what goes on, and a
    // command asked for meanwhile runs after it, the port left unchanged.
    void readerReceptionHoldsCommands()
    {
        start(nullptr);
        QApplication::setActiveWindow(&m_rig->window());
        QVERIFY(QTest::qWaitForWindowActive(&m_rig->window()));
        ui().TxtNumCom->setFocus();
        QTest::keyClicks(ui().TxtNumCom, "3");
        bool checked = false;
        ConsolePlatform::duringWait = [&] {
            if (checked)
                return;
            checked = true;
            QVERIFY(ui().TxtNumCom->hasFocus());
            QCOMPARE(m_rig->console().window().statusBar()->currentMessage(), QString("Ricezione dal lettore in corso"));
            QVERIFY(!m_rig->console().gate().run("Output", [] {}));
            ui().CmdGetFirmwareVersion->click();
        };
        port().feed(std::string(1, 'x'));  // noise starts a reception that runs out of time
        QVERIFY(port().notify());
        QVERIFY(checked);
        QTRY_COMPARE(port().writes().size(), size_t(1));  // the firmware request
        QCoreApplication::processEvents();  // what queued up behind it runs
        QVERIFY(ui().TxtNumCom->hasFocus());
        QCOMPARE(int(port().number()), 1);
    }
};

QTEST_MAIN(ConsoleTest)
#include "ConsoleTest.moc"
