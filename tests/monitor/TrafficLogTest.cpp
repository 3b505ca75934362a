// The traffic log window: exchanges kept whole by the address filter, the analysis columns, find, copy, clearing,
// captures, keys and layout.
#include "TrafficDecoder.h"
#include "TrafficLogWindow.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace lettore;

namespace {

using D = TrafficRow::Direction;

// Two exchanges with reader 5 around one with reader 7 and a reading from 3, as the decoder gives them.
std::vector<TrafficRow> line()
{
    const std::tuple<const char*, D, const char*> reads[] = {
        {"45.000", D::Sent, "02 30 25 32 03 26"},
        {"45.004", D::Received, "FF"},
        {"45.030", D::Received, "02 30 25 53 49 4D 03 43"},
        {"45.100", D::Sent, "02 30 37 34 31 30 30 30 30 30 30 30 30 30 34 03 07"},
        {"50.100", D::Line, ""},  // the time-out
        {"50.200", D::Received, "02 30 23 30 30 30 30 30 30 30 30 30 30 34 03 26"},
        {"50.300", D::Sent, "02 30 25 37 30 30 30 30 30 30 30 30 30 31 03 22"},
        {"50.345", D::Received, "15"},
    };
    TrafficDecoder decoder;
    std::vector<TrafficRow> rows;
    for (const auto& [ms, direction, hex] : reads) {
        const std::string time = std::string("2026-12-06T23:16:") + ms + "Z";
        const auto more = *hex ? decoder.feed(direction, time, QByteArray::fromHex(hex).toStdString())
                               : decoder.event(TrafficRow::Kind::TimedOut, time);
        rows.insert(rows.end(), more.begin(), more.end());
    }
    return rows;
}

}  // namespace

class TrafficLogTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_settings;

    static QStringList column(const TrafficLogFilter& rows, int column)
    {
        QStringList cells;
        for (int i = 0; i < rows.rowCount(); ++i)
            cells << rows.data(rows.index(i, column), Qt::DisplayRole).toString();
        return cells;
    }

private slots:
    void initTestCase() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path()); }

    // An address keeps its exchanges whole: reader 5's two, the noise inside one and the NAK ending the other.
    void addressKeepsExchangesWhole()
    {
        TrafficLogModel model;
        model.append(line());
        model.showWaiting();
        TrafficLogWindow window(model);
        window.findChild<QLineEdit*>("txtIndirizzo")->setText("5");
        QCOMPARE(column(window.shown(), TrafficLogModel::Time).join(' ').remove("2026-12-06T23:16:").remove('Z'),
                 "45.000 45.004 45.030 50.300 50.345");
    }

    // A silence inside a frame is told once it is longer than 1.5 character times (ten bits each) at the line's rate.
    void pauseInsideAFrame()
    {
        const std::tuple<int, int, QString> rows[] = {
            {9600, 2, "risposta a GetVersioneFirmware (pausa di 2 ms nel frame)"},  // over 1.56 ms
            {1200, 12, "risposta a GetVersioneFirmware"},  // within 12.5 ms
        };
        for (const auto& [baud, pauseMs, meaning] : rows) {
            TrafficLogModel model;
            model.setBaudRate(baud);
            std::vector<TrafficRow> exchanges = line();
            exchanges[2].longestPauseMs = pauseMs;
            model.append(std::move(exchanges));
            model.showWaiting();
            QCOMPARE(model.data(model.index(2, TrafficLogModel::Meaning)).toString(), meaning);
        }
    }

    // Paused under a flood, the oldest rows go as new ones wait; resumed, the newest show.
    void pausedFloodStaysWithinCapacity()
    {
        TrafficLogModel model(64);
        model.append(line());
        model.showWaiting();
        model.setPaused(true);
        for (int i = 1; i <= 25; ++i) {
            model.append(line());
            QCOMPARE(model.dropped(), std::max(0, 8 + 8 * i - 64));
        }
        QCOMPARE(model.rowCount(), 0);
        model.setPaused(false);
        QCOMPARE(model.rowCount(), 64);
        QCOMPARE(model.row(63).time, "2026-12-06T23:16:50.345Z");
    }

    // Find wraps both ways; copy gives the selected rows as text and CSV; Cancella asks, names the count, and a No
    // keeps the rows; a capture saved is opened again, its rows analysed again (their figures are the analyser's).
    void findCopyClearAndCaptures()
    {
        TrafficLogModel model;
        model.append(line());
        model.showWaiting();
        TrafficLogWindow window(model);
        auto* table = window.findChild<QTableView*>("grdRighe");
        QVERIFY(window.find("crea"));
        QCOMPARE(table->currentIndex().row(), 3);
        QVERIFY(window.find("creabadge"));  // the time-out names it too
        QCOMPARE(table->currentIndex().row(), 4);
        QVERIFY(window.find("CreaBadge", true));
        QCOMPARE(table->currentIndex().row(), 3);
        QVERIFY(!window.find("GetTransazione"));
        table->selectRow(5);
        QVERIFY(
            window.selectedText().startsWith("2026-12-06T23:16:50.200Z\t100\tRX\tlettura\tindirizzo 3 stato 0 badge "
                                             "0000000004\t\t\tSibrant2 indirizzo 3 P dati \"00000000004\""));
        QVERIFY(window.selectedCsv().startsWith("time,")
                && window.selectedCsv().contains("\r\n2026-12-06T23:16:50.200Z,RX,"));

        QTemporaryDir dir;
        QVERIFY(window.saveCapture(dir.filePath("registro.pcapng")));
        QString asked;
        for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
            QTimer::singleShot(0, [&asked, answer] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                asked = box ? box->text() : QString();
                if (box)
                    box->button(answer)->click();
            });
            window.findChild<QPushButton*>("cmdCancella")->click();
            QCOMPARE(asked, "Cancellare tutte le 8 righe del registro e le statistiche?");
            QCOMPARE(model.rowCount(), answer == QMessageBox::No ? 8 : 0);
        }
        QVERIFY(window.openCapture(dir.filePath("registro.pcapng")));
        QCOMPARE(column(window.shown(), TrafficLogModel::Latency).join(','), ",,30,,5000,,,45");
        QCOMPARE(column(window.shown(), TrafficLogModel::Result).join(','), ",,accettato,,time-out,,,accettato");
    }

    // Opens on the newest row; Esc and Ctrl+W close it; its size and column widths come back in a new window.
    void keysAndLayout()
    {
        TrafficLogModel model;
        for (int i = 0; i < 300; ++i)
            model.append(line());
        model.showWaiting();
        {
            TrafficLogWindow window(model);
            window.show();
            QApplication::setActiveWindow(&window);  // the keys below are the window's shortcuts
            QVERIFY(QTest::qWaitForWindowActive(&window));
            auto* table = window.findChild<QTableView*>("grdRighe");
            QTRY_COMPARE(table->verticalScrollBar()->value(), table->verticalScrollBar()->maximum());
            QVERIFY(table->verticalScrollBar()->maximum() > 0);
            QVERIFY(!table->tabKeyNavigation());
            window.resize(720, 300);
            table->setColumnWidth(TrafficLogModel::Kind, 123);
            QTest::keyClick(table, Qt::Key_Escape);
            QVERIFY(!window.isVisible());
            window.show();
            QApplication::setActiveWindow(&window);
            QTest::keyClick(table, Qt::Key_W, Qt::ControlModifier);
            QVERIFY(!window.isVisible());
        }
        TrafficLogWindow again(model);
        again.show();
        QCOMPARE(again.size(), QSize(720, 300));
        QCOMPARE(again.findChild<QTableView*>("grdRighe")->columnWidth(TrafficLogModel::Kind), 123);
    }
};

QTEST_MAIN(TrafficLogTest)
#include "TrafficLogTest.moc"
