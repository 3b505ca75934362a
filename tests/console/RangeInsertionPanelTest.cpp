// "Inserisci Badge  Da - A" on the real window, with reader 1 answering on
// the simulated line.
#include "PanelTest.h"

#include <QStatusBar>
#include <QTest>

using namespace lettore;
using test::ConsolePlatform;
using Reader = test::ReaderOnLine;

namespace {

// The badge code a CreaBadge frame carries (frames are in hex).
QString codeIn(const QString& frameHex)
{
    const QByteArray bytes = QByteArray::fromHex(frameHex.toLatin1());
    return QString::fromLatin1(bytes.mid(5, bytes.size() - 7));
}

}  // namespace

class RangeInsertionPanelTest : public test::PanelTest {
    Q_OBJECT

private:
    QString statusLine() { return window().statusBar()->currentMessage(); }

    void setRange(const QString& da, const QString& a)
    {
        ui().TxtDa->setText(da);
        ui().TxtA->setText(a);
    }

private slots:
    void init()
    {
        start();
        Reader::answerAll(Reader::frame("1"));
        ui().TxtRisposta->setText("before");
    }

    // Bounds are the numbers that lead TxtDa and TxtA, rounded half to
    // even; every code of the range goes once, in order, as ten digits.
    void range_data()
    {
        QTest::addColumn<QString>("da");
        QTest::addColumn<QString>("a");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("firstFrame");
        QTest::addColumn<QString>("lastFrame");
        QTest::addColumn<QString>("risposta");

        QTest::newRow("000 to 100") << "000" << "100" << 0 << 101
                                    << "02 30 31 34 31 30 30 30 30 30 30 30 30 30 30 03 05"
                                    << "02 30 31 34 31 30 30 30 30 30 30 30 31 30 30 03 04" << "0000000100 1";
        QTest::newRow("5 to 3 sends nothing") << "5" << "3" << 0 << 0 << "" << "" << "before";
        QTest::newRow("7 to 7") << "7" << "7" << 7 << 1
                                << "02 30 31 34 31 30 30 30 30 30 30 30 30 30 37 03 02"
                                << "02 30 31 34 31 30 30 30 30 30 30 30 30 30 37 03 02" << "0000000007 1";
        QTest::newRow("12ab reads 12") << "12ab" << "13" << 12 << 2
                                       << "02 30 31 34 31 30 30 30 30 30 30 30 30 31 32 03 06"
                                       << "02 30 31 34 31 30 30 30 30 30 30 30 30 31 33 03 07" << "0000000013 1";
        QTest::newRow("empty TxtA reads 0") << "0" << "" << 0 << 1
                                            << "02 30 31 34 31 30 30 30 30 30 30 30 30 30 30 03 05"
                                            << "02 30 31 34 31 30 30 30 30 30 30 30 30 30 30 03 05" << "0000000000 1";
        QTest::newRow("2.5 to 3.5: halves to even") << "2.5" << "3.5" << 2 << 3
                                                    << "02 30 31 34 31 30 30 30 30 30 30 30 30 30 32 03 07"
                                                    << "02 30 31 34 31 30 30 30 30 30 30 30 30 30 34 03 01" << "0000000004 1";
        QTest::newRow("32760 to 32767 ends") << "32760" << "32767" << 32760 << 8
                                             << "02 30 31 34 31 30 30 30 30 30 33 32 37 36 30 03 05"
                                             << "02 30 31 34 31 30 30 30 30 30 33 32 37 36 37 03 02" << "0000032767 1";
    }

    void range()
    {
        QFETCH(QString, da);
        QFETCH(QString, a);
        QFETCH(int, first);
        QFETCH(int, count);
        setRange(da, a);

        ui().Command11->click();

        const QStringList frames = Reader::writtenHex();
        QCOMPARE(frames.size(), count);
        for (int i = 0; i < count; ++i)
            QCOMPARE(codeIn(frames[i]), QStringLiteral("%1").arg(first + i, 10, 10, QChar('0')));
        if (count > 0) {
            QTEST(frames.first(), "firstFrame");
            QTEST(frames.last(), "lastFrame");
        }
        QTEST(ui().TxtRisposta->text(), "risposta");
        QVERIFY(m_rig->dialogs.messages.empty());
        QCOMPARE(statusLine(), QString());
    }

    // A bound that is negative or beyond 16 bits is refused, nothing sent.
    void boundsRefused_data()
    {
        QTest::addColumn<QString>("da");
        QTest::addColumn<QString>("a");

        QTest::newRow("-1 to 3") << "-1" << "3";
        QTest::newRow("0 to -2") << "0" << "-2";
        QTest::newRow("5 to -3") << "5" << "-3";
        QTest::newRow("0 to 32768") << "0" << "32768";
        QTest::newRow("-40000 to 0") << "-40000" << "0";
    }

    void boundsRefused()
    {
        QFETCH(QString, da);
        QFETCH(QString, a);
        setRange(da, a);

        ui().Command11->click();

        QCOMPARE(m_rig->dialogs.messages, std::vector<QString>{"Da e A devono essere numeri da 0 a 32767"});
        QVERIFY(ConsolePlatform::port().writes().empty());
        QCOMPARE(ui().TxtRisposta->text(), QString("before"));
    }

    // While it runs, the status line counts the codes, TxtRisposta shows
    // the last one sent, and no other command can start.
    void progressAndGate()
    {
        setRange("000", "100");
        bool checked = false;
        ConsolePlatform::duringWait = [&] {
            if (checked || ConsolePlatform::port().writes().size() != 5)
                return;
            checked = true;
            QCOMPARE(statusLine(), QString("Comando in corso: Inserisci Badge — codice 4 di 101"));
            QCOMPARE(ui().TxtRisposta->text(), QString("0000000003 1"));
            QVERIFY(!ui().Command11->isEnabled());
            QVERIFY(!ui().Command3_1->isEnabled());
            QVERIFY(!ui().Command7->isEnabled());
            QVERIFY(!m_rig->console().gate().run("Aggiungi", [] { QFAIL("a second command ran"); }));
        };

        ui().Command11->click();

        QVERIFY(checked);
        QCOMPARE(ConsolePlatform::port().writes().size(), size_t(101));
        QVERIFY(ui().Command11->isEnabled());
        QVERIFY(ui().Command3_1->isEnabled());
    }

    // A code the reader does not answer does not stop the run.
    void failedCodeDoesNotStop()
    {
        setRange("0", "2");
        Reader::answerWith([](const std::string& frame) {
            return frame.substr(5, 10) == "0000000001" ? "" : Reader::frame("1");
        });

        ui().Command11->click();

        QCOMPARE(ConsolePlatform::port().writes().size(), size_t(3));
        QCOMPARE(ui().TxtRisposta->text(), QString("0000000002 1"));
    }

    // A stop asked for while a code waits for its answer, or between two
    // codes, ends the run after that code: by the stop button or by Esc.
    // Codes to every reader (terminal 256) wait for no answer, so no wait
    // hands the event loop a turn: the run gives one between two codes
    // once none came for 100 ms (here each code takes 40 ms). The focus is
    // back on the run's button.
    void stop_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::addColumn<bool>("betweenCodes");
        QTest::newRow("stop button") << false << false;
        QTest::newRow("Esc") << true << false;
        QTest::newRow("stop button between two codes") << false << true;
    }

    void stop()
    {
        QFETCH(bool, escape);
        QFETCH(bool, betweenCodes);
        if (betweenCodes) {
            start(" 1 \r\n9600\r\n 256 \r\n");
            ConsolePlatform::port().onWrite = [](const std::string&) { ConsolePlatform::clock().advance(40); };
        }
        setRange("000", "100");
        QApplication::setActiveWindow(&window());
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        ui().Command11->setFocus();
        QPushButton* stopButton = window().findChild<QPushButton*>("CmdStop");
        ConsolePlatform::duringWait = [&] {
            if (ConsolePlatform::port().writes().size() != 3)
                return;
            if (escape)
                QTest::keyClick(&window(), Qt::Key_Escape);
            else
                QTest::mouseClick(stopButton, Qt::LeftButton);
        };

        ui().Command11->click();

        QCOMPARE(Reader::writtenHex().size(), 3);
        QCOMPARE(ui().TxtRisposta->text(), QString(betweenCodes ? "0000000002 " : "0000000002 1"));
        QCOMPARE(statusLine(), QString());
        QVERIFY(!stopButton->isEnabled());
        QVERIFY(ui().Command11->isEnabled());
        QVERIFY(ui().Command11->hasFocus());
    }
};

QTEST_MAIN(RangeInsertionPanelTest)
#include "RangeInsertionPanelTest.moc"
