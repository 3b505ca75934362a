// The console on the real serial port against the virtual reader, when the
// line drops or the answers come spoilt: the panel's result box and the
// monitor tell the failure, the console stays usable, and once the line is
// sound again the next command gets the reader's real answer.
#include "ConsoleOnLine.h"
#include "MonCom.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace lettore;
using test::ConsoleOnLine;

namespace {

// Frames in the monitor's hexadecimal form: a blank before each byte,
// uppercase, no leading zero.
const QString FirmwareQuery = " 2 30 21 32 3 22";
const QString FirmwareAnswer = " 2 30 21 53 49 4D 20 4C 45 54 54 4F 52 45 20 31 2E 30 30 3 9";
const QString AddBadge42 = " 2 30 31 34 31 30 30 30 30 30 30 30 30 34 32 3 3";
const QString AddBadge43 = " 2 30 31 34 31 30 30 30 30 30 30 30 30 34 33 3 2";
const QString StatusAdded = " 2 30 21 30 3 20";
const QString StatusPresent = " 2 30 21 31 3 21";

// Real waits on the line and the simulator stay well inside this.
constexpr int LimitMs = 5000;

}  // namespace

class ConsoleFaultsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ConsoleOnLine> m_line;

    QWidget& window() { return m_line->console().window(); }
    template <typename Widget>
    QString textOf(QWidget& parent, const QString& name)
    {
        const Widget* widget = parent.findChild<Widget*>(name);
        return widget ? widget->text() : QStringLiteral("<no %1>").arg(name);
    }
    QString box(const QString& name) { return textOf<QLineEdit>(window(), name); }
    QString monitorBox(const char* name) { return textOf<QLineEdit>(MonCom::instance(), name); }
    QString monitorFailure() { return textOf<QLabel>(MonCom::instance(), QStringLiteral("LblErrore")); }

    // The simulator is told `line`, and has done it once its log says `done`.
    bool tellSim(const std::string& line, const QString& done)
    {
        const qsizetype mark = m_line->log().size();
        m_line->simCommand(line);
        return QTest::qWaitFor([&] { return m_line->logHas(done, mark); }, LimitMs);
    }

    // Presses `button`; while the console waits in it, `duringWait` runs
    // once the simulator's log says `heard`.
    void press(QPushButton* button, const QString& heard = {}, const std::function<void()>& duringWait = {})
    {
        QTimer watch;
        const qsizetype mark = m_line->log().size();
        if (duringWait) {
            connect(&watch, &QTimer::timeout, this, [&] {
                if (m_line->logHas(heard, mark)) {
                    watch.stop();
                    duringWait();
                }
            });
            watch.start(10);
        }
        button->click();
    }

    // The window can take the next command: nothing runs, the button is on.
    void expectIdle(QPushButton* button)
    {
        QVERIFY(m_line->console().gate().idle());
        QVERIFY(button->isEnabled());
        QVERIFY(window().isVisible());
        QVERIFY(!window().findChild<QStatusBar*>()->currentMessage().startsWith("Comando in corso"));
    }

private slots:
    void initTestCase()
    {
        m_line = std::make_unique<ConsoleOnLine>(QStringList{"--reader", "1"});
        m_line->ui().Command8->click();  // Visualizza Monitor
        QVERIFY(QTest::qWaitForWindowExposed(&MonCom::instance()));
    }

    void cleanupTestCase()
    {
        QVERIFY(m_line->simRunning());
        m_line.reset();
    }

    void init() { QVERIFY(tellSim("fault 1 none", "reader 1: fault none")); }
    // A case that failed half way may leave the line down for a moment.
    void cleanup() { QVERIFY(QTest::qWaitFor([this] { return m_line->lineUp(); }, LimitMs)); }

    // The line hangs up while a command waits for its answer, or is down
    // when the button is pressed: the result box shows 3 (the port failed)
    // at once, not after the 5 s time-out, and the monitor shows the link's
    // error; the next press, once the line is back behind the same port
    // number, gets the reader's answer.
    void lineDropped_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("code");  // for Aggiungi
        QTest::addColumn<bool>("whileWaiting");
        QTest::addColumn<QString>("resultBox");
        QTest::addColumn<QString>("answerBox");  // empty: the result box is all
        QTest::addColumn<QString>("failedAnswer");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("commandHex");
        QTest::addColumn<QString>("answerHex");

        const QString hungUp = "Errore 5: the line dropped or the device was removed";
        const QString gone = "Errore 1: No such file or directory";
        QTest::newRow("Versione Firmware, dropped while waiting")
            << "CmdGetFirmwareVersion" << "" << true << "TxtEsito_7" << "TxtFirmwareVersion" << "N" << hungUp << "0"
            << "SIM LETTORE 1.00" << FirmwareQuery << FirmwareAnswer;
        QTest::newRow("Versione Firmware, line down when pressed")
            << "CmdGetFirmwareVersion" << "" << false << "TxtEsito_7" << "TxtFirmwareVersion" << "N" << gone << "0"
            << "SIM LETTORE 1.00" << FirmwareQuery << FirmwareAnswer;
        // Aggiungi shows the status character when answered. The silent
        // reader took the first code before the line dropped: 1, present;
        // the second code never reached it: 0, added.
        QTest::newRow("Aggiungi, dropped while waiting")
            << "Command3_1" << "0000000042" << true << "TxtEsito_5" << "" << "" << hungUp << "1" << ""
            << AddBadge42 << StatusPresent;
        QTest::newRow("Aggiungi, line down when pressed")
            << "Command3_1" << "0000000043" << false << "TxtEsito_5" << "" << "" << gone << "0" << ""
            << AddBadge43 << StatusAdded;
    }

    void lineDropped()
    {
        QFETCH(QString, button);
        QFETCH(QString, code);
        QFETCH(bool, whileWaiting);
        QFETCH(QString, resultBox);
        QFETCH(QString, answerBox);
        QPushButton* command = window().findChild<QPushButton*>(button);
        QVERIFY(command);
        m_line->ui().Text8->setText(code);

        const qsizetype mark = m_line->log().size();
        QElapsedTimer timer;
        timer.start();
        if (whileWaiting) {
            QVERIFY(tellSim("fault 1 silent", "reader 1: fault silent"));
            press(command, "fault: reader 1 does not answer", [this] { m_line->simCommand("drop 300"); });
        } else {
            QVERIFY(tellSim("drop 1000", "line dropped on request"));
            press(command);
        }
        QCOMPARE(box(resultBox), QString("3"));
        QVERIFY2(timer.elapsed() < 2000, "a hang-up, not a time-out");
        if (!answerBox.isEmpty())
            QTEST(box(answerBox), "failedAnswer");
        QTEST(monitorFailure(), "failure");
        expectIdle(command);

        QVERIFY(QTest::qWaitFor([&] { return m_line->logHas("line back on", mark); }, LimitMs));
        QVERIFY(tellSim("fault 1 none", "reader 1: fault none"));
        press(command);
        QTEST(box(resultBox), "result");
        if (!answerBox.isEmpty())
            QTEST(box(answerBox), "answer");
        QTEST(monitorBox("TextComandoHex"), "commandHex");
        QTEST(monitorBox("RispostaHex"), "answerHex");
        QCOMPARE(monitorFailure(), QString());
        expectIdle(command);
    }

    // Answers spoilt on the way: noise before the answer and an answer in
    // pieces still read right; noise inside the answer or a wrong check
    // character make it rejected (2), with "N" for the version and nothing
    // in the monitor's answer box. No link error either way. The next
    // command, from a sound reader, is answered.
    void spoiltAnswers_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("answerHex");

        QTest::newRow("noise before") << "noise" << "0" << "SIM LETTORE 1.00" << FirmwareAnswer;
        QTest::newRow("in pieces") << "split" << "0" << "SIM LETTORE 1.00" << FirmwareAnswer;
        QTest::newRow("noise inside") << "garble" << "2" << "N" << "";
        QTest::newRow("wrong check character") << "badbcc" << "2" << "N" << "";
    }

    void spoiltAnswers()
    {
        QFETCH(QString, fault);
        QPushButton* command = m_line->ui().CmdGetFirmwareVersion;
        QVERIFY(tellSim("fault 1 " + fault.toStdString(), "reader 1: fault " + fault));

        press(command);
        QTEST(box("TxtEsito_7"), "result");
        QTEST(box("TxtFirmwareVersion"), "version");
        QCOMPARE(monitorBox("TextComandoHex"), FirmwareQuery);
        QTEST(monitorBox("RispostaHex"), "answerHex");
        QCOMPARE(monitorFailure(), QString());
        expectIdle(command);

        QVERIFY(tellSim("fault 1 none", "reader 1: fault none"));
        m_line->ui().TxtFirmwareVersion->clear();
        press(command);
        QCOMPARE(box("TxtEsito_7"), QString("0"));
        QCOMPARE(box("TxtFirmwareVersion"), QString("SIM LETTORE 1.00"));
        QCOMPARE(monitorBox("RispostaHex"), FirmwareAnswer);
    }
};

QTEST_MAIN(ConsoleFaultsTest)
#include "ConsoleFaultsTest.moc"
