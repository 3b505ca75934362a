// The console on the real serial port against the virtual reader when the
// line hangs up while a command waits for its answer: the result box shows
// 3 (the port failed) at once, not after the 5 s time-out, the monitor
// shows the link's error, the console stays usable, and once the line is
// back behind the same port number the next press gets the reader's answer.
#include "ConsoleOnLine.h"
#include "MonCom.h"
#include "TestClasses.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace lettore;
using test::ConsoleOnLine;

namespace {

// Real waits on the line and the simulator stay well inside this.
constexpr int LimitMs = 5000;

}  // namespace

class LineDropTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ConsoleOnLine> m_line;

    QString monitorText(const char* name) { return MonCom::instance().findChild<QLineEdit*>(name)->text(); }
    QString monitorFailure() { return MonCom::instance().findChild<QLabel*>("LblErrore")->text(); }

    // The simulator is told `line`, and has done it once its log says `done`.
    bool tellSim(const std::string& line, const QString& done)
    {
        const qsizetype mark = m_line->log().size();
        m_line->simCommand(line);
        return QTest::qWaitFor([&] { return m_line->logHas(done, mark); }, LimitMs);
    }

private slots:
    void init() { m_line = std::make_unique<ConsoleOnLine>(QStringList{"--reader", "1"}); }
    void cleanup()
    {
        QVERIFY(m_line->simRunning());
        m_line.reset();
    }

    void droppedWhileWaiting()
    {
        const Ui::frmSibrant& ui = m_line->ui();
        QPushButton* command = ui.CmdGetFirmwareVersion;
        QVERIFY(tellSim("fault 1 silent", "reader 1: fault silent"));
        const qsizetype mark = m_line->log().size();
        // Once the reader heard the request, the line drops for 300 ms.
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (m_line->logHas("fault: reader 1 does not answer", mark)) {
                watch.stop();
                m_line->simCommand("drop 300");
            }
        });
        watch.start(10);
        QElapsedTimer timer;
        timer.start();

        command->click();

        QCOMPARE(ui.TxtEsito_7->text(), QString("3"));
        QVERIFY2(timer.elapsed() < 2000, "a hang-up, not a time-out");
        QCOMPARE(ui.TxtFirmwareVersion->text(), QString("N"));
        QCOMPARE(monitorFailure(), QString("Errore 5: the line dropped or the device was removed"));
        QVERIFY(m_line->console().gate().idle());
        QVERIFY(command->isEnabled());

        QVERIFY(QTest::qWaitFor([&] { return m_line->logHas("line back on", mark); }, LimitMs));
        QVERIFY(tellSim("fault 1 none", "reader 1: fault none"));
        command->click();
        QCOMPARE(ui.TxtEsito_7->text(), QString("0"));
        QCOMPARE(ui.TxtFirmwareVersion->text(), QString("SIM LETTORE 1.00"));
        QCOMPARE(monitorText("TextComandoHex"), QString(" 2 30 21 32 3 22"));
        QCOMPARE(monitorText("RispostaHex"), QString(" 2 30 21 53 49 4D 20 4C 45 54 54 4F 52 45 20 31 2E 30 30 3 9"));
        QCOMPARE(monitorFailure(), QString());
    }
};

const test::AddTestClass<LineDropTest> added;

#include "LineDropTest.moc"
