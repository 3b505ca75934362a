// The traffic log window: rows as the relay feeds them, filters, saving, pause, exchanges kept whole by the address
// filter, the analysis columns, capacity, find, copy, clearing, captures, keys and layout.
#include "MonCom.h"
#include "TrafficDecoder.h"
#include "TrafficFeed.h"
#include "TrafficLogOpener.h"
#include "TrafficLogWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
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

    // The shown rows, each as its cells in `columns` joined by blanks.
    static QStringList cells(const TrafficLogFilter& rows, std::initializer_list<int> columns)
    {
        QStringList out;
        for (int i = 0; i < rows.rowCount(); ++i) {
            QStringList row;
            for (const int column : columns)
                row << rows.data(rows.index(i, column), Qt::DisplayRole).toString();
            out << row.join(' ');
        }
        return out;
    }

private slots:
    void initTestCase() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path()); }
    void cleanup() { MonCom::unload(); }

    // Rows of each kind as the relay feeds them, with their bytes; filters; the rows shown saved as CSV; a pause; the
    // monitor's context menu opens the log.
    void rowsFedFilteredSavedAndPaused()
    {
        TrafficLogModel model;
        TrafficFeed feed([&](std::vector<TrafficRow>&& rows) { model.append(std::move(rows)); });
        QWidget main;
        TrafficLogOpener opener(model, main);
        opener.open();
        TrafficLogWindow& window = *opener.window();
        feed.traffic(D::Discarded, "t0", "\x55");
        feed.traffic(D::Sent, "t1", QByteArray::fromHex("023021320322").toStdString());
        feed.traffic(D::Received, "t2", QByteArray::fromHex("FF0230214F2C220300").toStdString());
        feed.ComTO();
        feed.portFailed("t5", "write: Device gone");
        model.showWaiting();
        const auto shown = [&] {
            return cells(window.shown(), {TrafficLogModel::Direction, TrafficLogModel::Kind, TrafficLogModel::Fields,
                                          TrafficLogModel::Hex});
        };
        QCOMPARE(
            shown(),
            QStringList({"scartati rumore  55",
                         "TX comando Sibrant2 indirizzo 1 P dati \"2\" controllo corretto 02 30 21 32 03 22",
                         "RX rumore  FF",
                         "RX risposta Sibrant2 indirizzo 1 P dati \"O,\"\" controllo errato 02 30 21 4F 2C 22 03 00",
                         "-- time-out  ", "-- errore porta write: Device gone "}));
        QCOMPARE(model.data(model.index(1, 0), Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 128, 0));
        QCOMPARE(model.data(model.index(3, 0), Qt::ForegroundRole).value<QBrush>().color(), QColor(128, 0, 0));
        auto* direction = window.findChild<QComboBox*>("cmbDirezione");
        auto* address = window.findChild<QLineEdit*>("txtIndirizzo");
        auto* kind = window.findChild<QComboBox*>("cmbTipo");
        direction->setCurrentText("TX");
        QCOMPARE(shown().size(), 1);
        direction->setCurrentIndex(0);
        address->setText("x");
        QCOMPARE(shown().size(), 0);
        address->clear();
        kind->setCurrentText("rumore");
        QCOMPARE(shown().size(), 2);
        kind->setCurrentIndex(0);
        auto* pause = window.findChild<QPushButton*>("cmdPausa");
        pause->click();
        feed.traffic(D::Received, "t6", "\x06");
        model.showWaiting();
        QCOMPARE(model.rowCount(), 6);
        pause->click();
        QCOMPARE(model.rowCount(), 7);
        QTemporaryDir dir;
        direction->setCurrentText("RX");
        QVERIFY(window.saveCsv(dir.filePath("registro.csv")));
        QVERIFY(!window.saveCsv(dir.filePath("missing/registro.csv")));
        QFile file(dir.filePath("registro.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLatin1(file.readAll()).split("\r\n");  // the records are Csv's
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines[0].startsWith("time,") && lines[1].startsWith("t2,RX,noise") && lines[3].startsWith("t6,RX,ACK"));
        window.hide();
        QTimer::singleShot(0, [] {
            if (QWidget* menu = QApplication::activePopupWidget())
                menu->actions().first()->trigger();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, {5, 5}, MonCom::instance().mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&MonCom::instance(), &event);
        QVERIFY(window.isVisible());
    }

    // An address keeps its exchanges whole: reader 5's two, the noise inside one and the NAK ending the other.
    void addressKeepsExchangesWhole()
    {
        TrafficLogModel model;
        model.append(line());
        model.showWaiting();
        TrafficLogWindow window(model);
        window.findChild<QLineEdit*>("txtIndirizzo")->setText("5");
        QCOMPARE(cells(window.shown(), {TrafficLogModel::Time}).join(' ').remove("2026-12-06T23:16:").remove('Z'),
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

    // Paused under a flood, the oldest rows go as new ones wait; resumed, the newest show. Shown, the oldest go as new
    // ones come, the window counting them.
    void oldestRowsGoPastCapacity()
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
        TrafficLogModel small(3);
        TrafficLogWindow window(small);
        for (int i = 0; i < 5; ++i) {
            TrafficRow row;
            row.time = "t" + std::to_string(i);
            small.append({row});
            if (i % 2)
                small.showWaiting();
        }
        small.showWaiting();
        QCOMPARE(small.rowCount(), 3);
        QCOMPARE(small.row(0).time, "t2");
        QCOMPARE(small.dropped(), 2);
        QVERIFY(window.findChildren<QLabel*>().last()->text().startsWith("3 righe, 2 "));
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
        QCOMPARE(cells(window.shown(), {TrafficLogModel::Latency}).join(','), ",,30,,5000,,,45");
        QCOMPARE(cells(window.shown(), {TrafficLogModel::Result}).join(','), ",,accettato,,time-out,,,accettato");
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
