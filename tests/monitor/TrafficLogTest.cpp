// The traffic log window: exchanges kept whole by the address filter, the analysis columns, find, copy, clearing,
// captures, keys and layout.
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
using K = TrafficRow::Kind;

// A row as the decoder gives it: a frame is STX, two address characters, data, ETX and their exclusive or.
TrafficRow row(const char* ms, D direction, K kind, std::optional<int> address = {}, const char* type = "",
               std::string data = "")
{
    TrafficRow r;
    r.time = std::string("2026-12-06T23:16:") + ms + "Z";
    r.direction = direction;
    r.kind = kind;
    r.address = address;
    r.type = type;
    r.data = data;
    r.bytes = kind == K::Nak ? "\x15" : kind == K::Noise ? "\xFF" : "";
    if (address) {
        r.dialect = "Sibrant2";
        r.check = TrafficRow::Check::Good;
        r.bytes = std::string("\x02") + char('0' + *address / 16) + char((*type == 'S' ? 0x30 : 0x20) + *address % 16)
                  + data + '\x03';
        char sum = 0;
        for (const char c : r.bytes)
            sum ^= c;
        r.bytes += sum;
    }
    return r;
}

// Two exchanges with reader 5 around one with reader 7 and a reading from 3.
std::vector<TrafficRow> line()
{
    return {row("45.000", D::Sent, K::Command, 5, "P", "2"),
            row("45.004", D::Received, K::Noise),
            row("45.030", D::Received, K::Answer, 5, "P", "SIM"),
            row("45.100", D::Sent, K::Command, 7, "S", "410000000004"),
            row("50.100", D::Line, K::TimedOut),
            row("50.200", D::Received, K::Reading, 3, "P", "00000000004"),
            row("50.300", D::Sent, K::Command, 5, "P", "70000000001"),
            row("50.345", D::Received, K::Nak)};
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

    // An address keeps its exchanges whole: reader 5's two, the noise inside one and the NAK ending the other (which
    // rows belong to which reader is the analyser's table).
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
    void pauseInsideAFrame_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("pauseMs");
        QTest::addColumn<QString>("meaning");
        QTest::newRow("9600, 2 ms: over 1.56 ms")
            << 9600 << 2 << "risposta a GetVersioneFirmware (pausa di 2 ms nel frame)";
        QTest::newRow("1200, 12 ms: within 12.5 ms") << 1200 << 12 << "risposta a GetVersioneFirmware";
    }
    void pauseInsideAFrame()
    {
        QFETCH(int, baud);
        QFETCH(int, pauseMs);
        QFETCH(QString, meaning);
        TrafficLogModel model;
        model.setBaudRate(baud);
        std::vector<TrafficRow> rows = line();
        rows[2].longestPauseMs = pauseMs;
        model.append(std::move(rows));
        model.showWaiting();
        QCOMPARE(model.data(model.index(2, TrafficLogModel::Meaning)).toString(), meaning);
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
