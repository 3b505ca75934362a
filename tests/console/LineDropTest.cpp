// The line hanging up under a command on the real port: result 3 at once, the error shown, the next press answered.
#include "ConsoleOnLine.h"
#include "MonCom.h"
#include "TestClasses.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace lettore;

class LineDropTest : public QObject {
    Q_OBJECT

private slots:
    void droppedWhileWaiting()
    {
        test::ConsoleOnLine line({"--reader", "1"});
        const Ui::frmSibrant& ui = line.ui();
        line.simCommand("fault 1 silent");
        QVERIFY(line.waitForLog("reader 1: fault silent"));
        const qsizetype mark = line.log().size();
        QTimer watch;  // once the reader heard the request, the line drops for 300 ms
        connect(&watch, &QTimer::timeout, this, [&] {
            if (line.log().indexOf("fault: reader 1 does not answer", mark) >= 0) {
                watch.stop();
                line.simCommand("drop 300");
            }
        });
        watch.start(10);
        QElapsedTimer timer;
        timer.start();
        ui.CmdGetFirmwareVersion->click();
        QCOMPARE(ui.TxtEsito_7->text() + ui.TxtFirmwareVersion->text(), QString("3N"));
        const MonCom& monitor = MonCom::instance();
        QVERIFY2(timer.elapsed() < 2000, "a hang-up, not a time-out");
        QCOMPARE(monitor.findChild<QLabel*>("LblErrore")->text(), QString("Errore 5: the line dropped or the device was removed"));
        QVERIFY(line.console().gate().idle() && ui.CmdGetFirmwareVersion->isEnabled());
        QVERIFY(line.waitForLog("line back on", mark));
        line.simCommand("fault 1 none");
        QVERIFY(line.waitForLog("reader 1: fault none", mark));
        ui.CmdGetFirmwareVersion->click();
        QCOMPARE(ui.TxtEsito_7->text() + ui.TxtFirmwareVersion->text(), QString("0SIM LETTORE 1.00"));
        QCOMPARE(monitor.findChild<QLineEdit*>("TextComandoHex")->text(), QString(" 2 30 21 32 3 22"));
        QCOMPARE(monitor.findChild<QLineEdit*>("RispostaHex")->text(), QString(" 2 30 21 53 49 4D 20 4C 45 54 54 4F 52 45 20 31 2E 30 30 3 9"));
        QCOMPARE(monitor.findChild<QLabel*>("LblErrore")->text(), QString());
        QVERIFY(line.simRunning());
    }
};

const test::AddTestClass<LineDropTest> added;
#include "LineDropTest.moc"
