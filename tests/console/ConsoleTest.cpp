// The console as a whole on the real window over the simulated port: start-up from Seriale.cfg and
// the file written at close, the settings row, the monitor button, readings, a close mid-command.
#include "ConsoleOnPort.h"
#include "MonCom.h"
#include "TestClasses.h"

#include <QFileInfo>
#include <QTest>

#include <fstream>

using namespace lettore;
using test::ConsoleOnPort;

class ConsoleTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ConsoleOnPort> m_console;

    const Ui::frmSibrant& ui() { return m_console->ui(); }
    test::SimulatedPort& port() { return m_console->port(); }
    void start(const char* settings, const std::function<void(const QDir&)>& prepare = {})
    {
        m_console = std::make_unique<ConsoleOnPort>(settings, prepare);
    }
    QByteArray closedFile()
    {
        m_console->closeWindow();
        return m_console->fileContents("Seriale.cfg");
    }

private slots:
    void cleanup()
    {
        m_console.reset();
        QVERIFY(!MonCom::isLoaded());
    }

    // Seriale.cfg shown and applied to the link, what the lists cannot show at its default. Leaving the port
    // box probes the number leading its text, a port in use or missing told and the port in use shown again;
    // a rate chosen is applied at once, the rate in use touches nothing. What the link keeps is written at close.
    void settingsRow_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("call");  // made on the port by the change; "" none at all
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");  // port, both rates, terminal, new address
        QTest::addColumn<QByteArray>("written");
        const QByteArray at2400(" 1 \r\n2400\r\n 0 \r\n");
        QTest::newRow("no file") << QByteArray() << "" << "" << "" << "1 9600 9600 000 000" << QByteArray(" 1 \r\n9600\r\n 0 \r\n");
        QTest::newRow("all three") << QByteArray(" 5 \r\n19200\r\n 7 \r\n") << "" << "" << "" << "5 19200 19200 007 007" << QByteArray(" 5 \r\n19200\r\n 7 \r\n");
        QTest::newRow("terminal 256") << QByteArray(" 1 \r\n9600\r\n 256 \r\n") << "" << "" << "" << "1 9600 9600 256 " << QByteArray(" 1 \r\n9600\r\n 256 \r\n");
        QTest::newRow("unknown rate") << QByteArray(" 2 \r\n57600\r\n 4 \r\n") << "" << "" << "" << "2 9600 9600 004 004" << QByteArray(" 2 \r\n9600\r\n 4 \r\n");
        QTest::newRow("terminal 300") << QByteArray(" 2 \r\n2400\r\n 300 \r\n") << "" << "" << "" << "2 2400 2400 000 000" << QByteArray(" 2 \r\n2400\r\n 0 \r\n");
        QTest::newRow("terminal -1") << QByteArray(" 2 \r\n2400\r\n-1 \r\n") << "" << "" << "" << "2 2400 2400 000 000" << QByteArray(" 2 \r\n2400\r\n 0 \r\n");
        QTest::newRow("port 3abc") << at2400 << "TxtNumCom=3abc" << "port 3" << "" << "3abc 2400 2400 000 000" << QByteArray(" 3 \r\n2400\r\n 0 \r\n");
        QTest::newRow("same port") << at2400 << "TxtNumCom=1" << "" << "" << "1 2400 2400 000 000" << at2400;
        QTest::newRow("port in use") << at2400 << "TxtNumCom=7" << "port 7" << "Seriale già utilizzata" << "1 2400 2400 000 000" << at2400;
        QTest::newRow("port missing") << at2400 << "TxtNumCom=8" << "port 8" << "Seriale inesistente" << "1 2400 2400 000 000" << at2400;
        QTest::newRow("port 40000") << at2400 << "TxtNumCom=40000" << "" << "Seriale inesistente" << "1 2400 2400 000 000" << at2400;
        QTest::newRow("rate chosen") << at2400 << "CmbBaudRate=19200" << "settings 19200,N,8,1" << "" << "1 19200 2400 000 000"
                                     << QByteArray(" 1 \r\n19200\r\n 0 \r\n");
        QTest::newRow("rate in use chosen") << at2400 << "CmbBaudRate=2400" << "" << "" << "1 2400 2400 000 000" << at2400;
    }
    void settingsRow()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, change);
        QFETCH(QString, call);
        QFETCH(QString, message);
        QFETCH(QByteArray, written);
        start(file.isNull() ? nullptr : file.constData());
        port().markBusy(7);
        port().markMissing(8);
        if (change.startsWith("TxtNumCom=")) {
            QApplication::setActiveWindow(&m_console->window());
            QVERIFY(QTest::qWaitForWindowActive(&m_console->window()));
            ui().TxtNumCom->setFocus();
            ui().TxtNumCom->setText(change.section('=', 1));
            ui().Text3->setFocus();
        } else {
            m_console->fill(change);
        }
        const auto calls = port().controlCalls();
        QVERIFY(call.isEmpty() ? calls.empty() : std::find(calls.begin(), calls.end(), call.toStdString()) != calls.end());
        QCOMPARE(m_console->dialogs.messages, message.isEmpty() ? std::vector<QString>() : std::vector<QString>{message});
        QTEST(QStringList({ui().TxtNumCom->text(), ui().CmbBaudRate->currentText(), ui().CobNewBaudRate->currentText(),
                           ui().CmbTerminale->currentText(), ui().CmbNewAddr->currentText()}).join(' '), "shown");
        QCOMPARE(ui().cmbSetIndirizzo->currentIndex(), -1);
        const QList<QByteArray> lines = written.split('\r');  // the link holds what is written
        QCOMPARE(QByteArray::number(port().number()), lines[0].trimmed());
        QCOMPARE(QByteArray::fromStdString(port().settings()), lines[1].trimmed() + ",N,8,1");
        QVERIFY(port().open());
        QCOMPARE(closedFile(), written);
        QVERIFY(m_console->dialogs.messages.size() == size_t(!message.isEmpty()));
    }

    // The monitor button shows and hides the monitor, says what it does next, leaves the focus in Output's
    // first box; the monitor goes with the console.
    void monitorButton()
    {
        start(nullptr);
        QApplication::setActiveWindow(&m_console->window());
        QVERIFY(QTest::qWaitForWindowActive(&m_console->window()));
        ui().Command8->click();
        QVERIFY(MonCom::isLoaded() && MonCom::instance().isVisible());
        QCOMPARE(ui().Command8->text(), QString("Nascondi Monitor"));
        QApplication::setActiveWindow(&m_console->window());
        QVERIFY(ui().Text3->hasFocus());
        ui().Command8->click();
        QVERIFY(!MonCom::instance().isVisible());
        QCOMPARE(ui().Command8->text(), QString("Visualizza Monitor"));
        m_console->closeWindow();
        QVERIFY(!MonCom::isLoaded());
    }

    // Seriale.cfg that cannot be written is told at close; one that cannot be read is told at start and
    // left alone; a link is written at its target, and a link planted as the temporary file redirects nothing.
    void settingsFileTrouble()
    {
        start(" 2 \r\n9600\r\n 0 \r\n");
        QVERIFY(QDir(m_console->path(".")).removeRecursively());
        m_console->closeWindow();
        QCOMPARE(m_console->dialogs.messages, std::vector<QString>{"Impossibile scrivere Seriale.cfg: le impostazioni non sono state salvate."});
        start(nullptr, [](const QDir& folder) { folder.mkpath("Seriale.cfg/x"); });
        m_console->closeWindow();
        QCOMPARE(m_console->dialogs.messages,
                 std::vector<QString>{"Impossibile leggere Seriale.cfg: le impostazioni non saranno salvate alla chiusura."});
        QCOMPARE(m_console->dialogs.icons, std::vector<Dialogs::Icon>{Dialogs::Icon::Exclamation});
        QVERIFY(QFileInfo(m_console->path("Seriale.cfg/x")).isDir());
        start(nullptr, [](const QDir& folder) {
            std::ofstream(folder.filePath("stored.cfg").toStdString()) << " 4 \r\n2400";
            std::ofstream(folder.filePath("victim").toStdString()) << "untouched";
            QFile::link("stored.cfg", folder.filePath("Seriale.cfg"));
            QFile::link("victim", folder.filePath("Seriale.cfg.tmp"));
        });
        m_console->closeWindow();
        QVERIFY(m_console->dialogs.messages.empty() && QFileInfo(m_console->path("Seriale.cfg")).isSymLink());
        QCOMPARE(m_console->fileContents("stored.cfg") + m_console->fileContents("victim"), QByteArray(" 4 \r\n2400\r\n 0 \r\nuntouched"));
    }

    // Readings only in Multimaster and with an address; the chime when its file is there; acknowledged when ticked.
    void lettura_data()
    {
        QTest::addColumn<bool>("multimaster");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("autoAck");
        QTest::addColumn<bool>("wav");
        QTest::addColumn<QString>("shown");  // address and badge
        QTest::addColumn<QStringList>("ack");  // frames written, hex
        QTest::addColumn<bool>("sound");
        const QByteArray reader5("\x02" "0%" "0" "0000012345" "\x03" "X", 16);
        const QStringList ack5{"02 30 25 06 03 12"};
        QTest::newRow("reader 5") << true << reader5 << int(Qt::Checked) << true << "5 0000012345" << ack5 << true;
        QTest::newRow("no sound file") << true << reader5 << int(Qt::Checked) << false << "5 0000012345" << ack5 << false;
        QTest::newRow("ack grey") << true << reader5 << int(Qt::PartiallyChecked) << true << "5 0000012345" << QStringList() << true;
        QTest::newRow("standard") << false << reader5 << int(Qt::Checked) << true << " " << QStringList() << false;
        QTest::newRow("bad address") << true << QByteArray("\x02" "A0" "0" "0000012345" "\x03" "X", 16) << int(Qt::Checked) << true << " "
                                     << QStringList() << false;
    }
    void lettura()
    {
        QFETCH(bool, multimaster);
        QFETCH(QByteArray, text);
        QFETCH(int, autoAck);
        QFETCH(bool, wav);
        QFETCH(bool, sound);
        start(nullptr);
        if (wav)
            std::ofstream(m_console->path("LetturaOk.wav").toStdString()) << "RIFF";
        test::played.clear();
        m_console->window().optMultiMaster[multimaster ? 1 : 0]->click();
        QCOMPARE(port().threshold(), multimaster ? 1 : 0);  // the link hears readers only in Multimaster
        ui().ChkAutoAck->setCheckState(Qt::CheckState(autoAck));
        m_console->console().relay().ComRX(text.toStdString());
        QTEST(ui().txtAddrMM->text() + ' ' + ui().TxtBadgeMM->text(), "shown");
        QTEST(m_console->writtenHex(), "ack");
        using Sounds = std::vector<std::pair<std::string, bool>>;
        QCOMPARE(test::played, sound ? Sounds({{"LetturaOk.wav", true}}) : Sounds());
    }

    // A close during a command's wait ends the wait at once, says so, and closes once the command is over.
    void closeWhileACommandRuns()
    {
        start(nullptr);
        bool asked = false;
        m_console->duringWait = [&] {
            if (std::exchange(asked, true))
                return;
            m_console->closeWindow();
            QVERIFY(m_console->window().isVisible());
            QCOMPARE(m_console->status(), QString("Chiusura in corso: il comando si ferma dopo lo scambio in corso"));
        };
        const uint32_t started = m_console->clock.nowMs();
        ui().CmdGetFirmwareVersion->click();
        QVERIFY(asked && m_console->clock.nowMs() - started < 1000);
        QTRY_VERIFY(!m_console->window().isVisible());
        QCOMPARE(m_console->fileContents("Seriale.cfg"), QByteArray(" 1 \r\n9600\r\n 0 \r\n"));
    }
};

const test::AddTestClass<ConsoleTest> added;
#include "ConsoleTest.moc"
