// The console as a whole on the simulated port: Seriale.cfg, the settings row, monitor button, readings, closing.
#include "ConsoleOnPort.h"
#include "MonCom.h"
#include "TestClasses.h"

#include <QFileInfo>
#include <QTest>

#include <fstream>

using namespace lettore;
using test::ConsoleOnPort;

namespace {

struct Setting {
    const char* file;  // null: none
    QString change, call, message;  // call: made on the port by the change ("" none at all)
    QString shown;  // port, both rates, terminal, new address
    QByteArray written;
};
struct Reading {
    bool multimaster;
    QByteArray text;
    Qt::CheckState autoAck;
    bool wav;
    QString shown;  // address and badge
    QStringList ack;  // frames written
    bool sound;
};

}  // namespace

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

    // Seriale.cfg shown and applied; a port left probed, refused ones told; a rate applied at once; written at close.
    void settingsRow_data()
    {
        const QByteArray at2400(" 1 \r\n2400\r\n 0 \r\n");
        test::addRows<Setting>({
            {"no file", {nullptr, "", "", "", "1 9600 9600 000 000", " 1 \r\n9600\r\n 0 \r\n"}},
            {"all three", {" 5 \r\n19200\r\n 7 \r\n", "", "", "", "5 19200 19200 007 007", " 5 \r\n19200\r\n 7 \r\n"}},
            {"terminal 256", {" 1 \r\n9600\r\n 256 \r\n", "", "", "", "1 9600 9600 256 ", " 1 \r\n9600\r\n 256 \r\n"}},
            {"unknown rate", {" 2 \r\n57600\r\n 4 \r\n", "", "", "", "2 9600 9600 004 004", " 2 \r\n9600\r\n 4 \r\n"}},
            {"terminal 300", {" 2 \r\n2400\r\n 300 \r\n", "", "", "", "2 2400 2400 000 000", " 2 \r\n2400\r\n 0 \r\n"}},
            {"port 3abc", {at2400, "TxtNumCom=3abc", "port 3", "", "3abc 2400 2400 000 000", " 3 \r\n2400\r\n 0 \r\n"}},
            {"same port", {at2400, "TxtNumCom=1", "", "", "1 2400 2400 000 000", at2400}},
            {"port in use", {at2400, "TxtNumCom=7", "port 7", "Seriale già utilizzata", "1 2400 2400 000 000", at2400}},
            {"port missing", {at2400, "TxtNumCom=8", "port 8", "Seriale inesistente", "1 2400 2400 000 000", at2400}},
            {"port 40000", {at2400, "TxtNumCom=40000", "", "Seriale inesistente", "1 2400 2400 000 000", at2400}},
            {"rate chosen", {at2400, "CmbBaudRate=19200", "settings 19200,N,8,1", "", "1 19200 2400 000 000", " 1 \r\n19200\r\n 0 \r\n"}},
            {"rate in use chosen", {at2400, "CmbBaudRate=2400", "", "", "1 2400 2400 000 000", at2400}},
        });
    }
    void settingsRow()
    {
        QFETCH(Setting, row);
        start(row.file);
        port().markBusy(7);
        port().markMissing(8);
        if (row.change.startsWith("TxtNumCom=")) {
            QApplication::setActiveWindow(&m_console->window());
            QVERIFY(QTest::qWaitForWindowActive(&m_console->window()));
            ui().TxtNumCom->setFocus();
            ui().TxtNumCom->setText(row.change.section('=', 1));
            ui().Text3->setFocus();
        } else {
            m_console->fill(row.change);
        }
        const auto calls = port().controlCalls();
        QVERIFY(row.call.isEmpty() ? calls.empty() : std::find(calls.begin(), calls.end(), row.call.toStdString()) != calls.end());
        QCOMPARE(m_console->dialogs.messages, row.message.isEmpty() ? std::vector<QString>() : std::vector<QString>{row.message});
        QCOMPARE(QStringList({ui().TxtNumCom->text(), ui().CmbBaudRate->currentText(), ui().CobNewBaudRate->currentText(),
                           ui().CmbTerminale->currentText(), ui().CmbNewAddr->currentText()}).join(' '), row.shown);
        QCOMPARE(ui().cmbSetIndirizzo->currentIndex(), -1);
        const QList<QByteArray> lines = row.written.split('\r');  // the link holds what is row.written
        QCOMPARE(QByteArray::number(port().number()), lines[0].trimmed());
        QCOMPARE(QByteArray::fromStdString(port().settings()), lines[1].trimmed() + ",N,8,1");
        QVERIFY(port().open());
        QCOMPARE(closedFile(), row.written);
        QVERIFY(m_console->dialogs.messages.size() == size_t(!row.message.isEmpty()));
    }

    // The monitor button shows and hides the monitor, its caption saying which, the focus left in Output's first box.
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

    // Seriale.cfg unwritable or unreadable is told; a link is written at its target; a planted temporary redirects nothing.
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
        QCOMPARE(m_console->fileContents("stored.cfg") + m_console->fileContents("victim"), (" 4 \r\n2400\r\n 0 \r\nuntouched"));
    }

    // Readings only in Multimaster and with an address; the chime when its file is there; acknowledged when ticked.
    void lettura_data()
    {
        const QByteArray reader5("\x02" "0%" "0" "0000012345" "\x03" "X", 16);
        const QStringList ack5{"02 30 25 06 03 12"};
        test::addRows<Reading>({
            {"reader 5", {true, reader5, Qt::Checked, true, "5 0000012345", ack5, true}},
            {"no sound file", {true, reader5, Qt::Checked, false, "5 0000012345", ack5, false}},
            {"ack grey", {true, reader5, Qt::PartiallyChecked, true, "5 0000012345", {}, true}},
            {"standard", {false, reader5, Qt::Checked, true, " ", {}, false}},
            {"bad address", {true, QByteArray("\x02" "A0" "0" "0000012345" "\x03" "X", 16), Qt::Checked, true, " ", {}, false}},
        });
    }
    void lettura()
    {
        QFETCH(Reading, row);
        start(nullptr);
        if (row.wav)
            std::ofstream(m_console->path("LetturaOk.wav").toStdString()) << "RIFF";
        test::played.clear();
        m_console->window().optMultiMaster[row.multimaster ? 1 : 0]->click();
        QCOMPARE(port().threshold(), row.multimaster ? 1 : 0);  // the link hears readers only in Multimaster
        ui().ChkAutoAck->setCheckState(row.autoAck);
        m_console->console().relay().ComRX(row.text.toStdString());
        QCOMPARE(ui().txtAddrMM->text() + ' ' + ui().TxtBadgeMM->text(), row.shown);
        QCOMPARE(m_console->writtenHex(), row.ack);
        using Sounds = std::vector<std::pair<std::string, bool>>;
        QCOMPARE(test::played, row.sound ? Sounds({{"LetturaOk.wav", true}}) : Sounds());
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
        QCOMPARE(m_console->fileContents("Seriale.cfg"), (" 1 \r\n9600\r\n 0 \r\n"));
    }
};

const test::AddTestClass<ConsoleTest> added;
#include "ConsoleTest.moc"
