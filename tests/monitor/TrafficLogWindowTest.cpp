// The traffic log window: rows, filters, pause, CSV, opening from the monitor, the row cap.
#include "MonCom.h"
#include "TrafficFeed.h"
#include "TrafficLogOpener.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace lettore;

class TrafficLogWindowTest : public QObject {
    Q_OBJECT

    TrafficLogModel m_model;
    TrafficFeed m_feed{[this](std::vector<TrafficRow>&& rows) { m_model.append(std::move(rows)); }};
    QWidget m_main;
    TrafficLogOpener m_opener{m_model, m_main};

    // The shown rows as "direction kind fields [hex]".
    QStringList shownRows()
    {
        const TrafficLogFilter& rows = m_opener.window()->shown();
        QStringList shown;
        for (int i = 0; i < rows.rowCount(); ++i) {
            QStringList cells;
            for (const int column : {TrafficLogModel::Direction, TrafficLogModel::Kind, TrafficLogModel::Fields})
                cells << rows.data(rows.index(i, column)).toString();
            shown << cells.join(' ') + " [" + rows.data(rows.index(i, TrafficLogModel::Hex)).toString() + "]";
        }
        return shown;
    }
    template <typename T>
    T* control(const char* name) { return m_opener.window()->findChild<T*>(name); }

private slots:
    void init()
    {
        m_model.clear();
        m_opener.open();
        using D = TrafficRow::Direction;
        m_feed.traffic(D::Discarded, "t0", QByteArray::fromHex("55").toStdString());
        m_feed.traffic(D::Sent, "t1", QByteArray::fromHex("023021320322").toStdString());
        m_feed.traffic(D::Received, "t2", QByteArray::fromHex("FF0230214F2C220300").toStdString());
        m_feed.traffic(D::Sent, "t3", QByteArray::fromHex("023025320326").toStdString());
        m_feed.ComTO();
        m_feed.portFailed("t5", "write: Device gone");
        m_model.showWaiting();
    }

    void showsEveryRowWithItsBytes()
    {
        QCOMPARE(shownRows(), QStringList({"discarded noise  [55]",
                                           "TX command Sibrant2 address 1 P data \"2\" check character good [02 30 21 32 03 22]",
                                           "RX noise  [FF]",
                                           "RX answer Sibrant2 address 1 P data \"O,\"\" check character wrong [02 30 21 4F 2C 22 03 00]",
                                           "TX command Sibrant2 address 5 P data \"2\" check character good [02 30 25 32 03 26]",
                                           "-- time-out  []", "-- port error write: Device gone []"}));
        QCOMPARE(m_model.data(m_model.index(1, 0), Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 128, 0));
        QCOMPARE(m_model.data(m_model.index(3, 0), Qt::ForegroundRole).value<QBrush>().color(), QColor(128, 0, 0));
    }

    void filtersByDirectionAddressAndKind()
    {
        control<QComboBox>("cmbDirezione")->setCurrentText("TX");
        QCOMPARE(shownRows().size(), 2);
        control<QLineEdit>("txtIndirizzo")->setText("5");
        QCOMPARE(shownRows().join(""), "TX command Sibrant2 address 5 P data \"2\" check character good [02 30 25 32 03 26]");
        control<QComboBox>("cmbDirezione")->setCurrentIndex(0);
        control<QLineEdit>("txtIndirizzo")->setText("x");
        QCOMPARE(shownRows().size(), 0);
        control<QLineEdit>("txtIndirizzo")->clear();
        control<QComboBox>("cmbTipo")->setCurrentText("noise");
        QCOMPARE(shownRows().size(), 2);
        control<QComboBox>("cmbTipo")->setCurrentIndex(0);
    }

    void pauseHoldsNewRowsUntilResumed()
    {
        control<QPushButton>("cmdPausa")->click();
        m_feed.traffic(TrafficRow::Direction::Received, "t6", "\x06");
        m_model.showWaiting();
        QCOMPARE(m_model.rowCount(), 7);
        control<QPushButton>("cmdPausa")->click();
        QCOMPARE(m_model.rowCount(), 8);
    }

    void savesTheShownRowsAsCsv()
    {
        QTemporaryDir dir;
        control<QComboBox>("cmbDirezione")->setCurrentText("RX");
        QVERIFY(m_opener.window()->saveCsv(dir.filePath("registro.csv")));
        QVERIFY(!m_opener.window()->saveCsv(dir.filePath("missing/registro.csv")));
        control<QComboBox>("cmbDirezione")->setCurrentIndex(0);
        QFile file(dir.filePath("registro.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLatin1(file.readAll()), "time,direction,kind,dialect,address,type,data,check,hex,text,note\r\n"
                                                      "t2,RX,noise,,,,,,FF,\\xFF,\r\n"
                                                      "t2,RX,answer,Sibrant2,1,P,\"O,\"\"\",check character wrong,02 30 21 4F 2C 22 03 00,"
                                                      "\"\\x020!O,\"\"\\x03\\x00\",\r\n");
    }

    // The monitor's context menu opens the log; the monitor stays as it is.
    void monitorsContextMenuOpensTheLog()
    {
        m_opener.window()->hide();
        QTimer::singleShot(0, [] {
            if (QWidget* menu = QApplication::activePopupWidget())
                menu->actions().first()->trigger();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, {5, 5}, MonCom::instance().mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&MonCom::instance(), &event);
        QVERIFY(m_opener.window()->isVisible());
        MonCom::unload();
    }

    void keepsTheNewestRowsUpToItsCapacity()
    {
        TrafficLogModel model(3);
        TrafficLogWindow window(model);
        for (int i = 0; i < 5; ++i) {
            TrafficRow row;
            row.time = "t" + std::to_string(i);
            model.append({row});
            if (i % 2)
                model.showWaiting();
        }
        model.showWaiting();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.row(0).time, "t2");
        QCOMPARE(model.dropped(), 2);
        QVERIFY(window.findChildren<QLabel*>().last()->text().startsWith("3 righe, 2 "));
    }
};

QTEST_MAIN(TrafficLogWindowTest)
#include "TrafficLogWindowTest.moc"
