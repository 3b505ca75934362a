// The communications monitor as the relay feeds it and the user sees it, and its traffic log window.
#include "MonCom.h"
#include "AccessibleControls.h"
#include "Lamp.h"
#include "TrafficFeed.h"
#include "TrafficLogOpener.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace lettore;

namespace {

template <typename T = QLineEdit>
T* control(const char* name)
{
    T* widget = MonCom::instance().findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

QString text(const char* name) { return control(name)->text(); }
QColor lampColour(const char* name) { return control<Lamp>(name)->grab().toImage().pixelColor(6, 6); }
void fire(const char* timer) { QVERIFY(QMetaObject::invokeMethod(control<QTimer>(timer), "timeout")); }

MonCom& shown()
{
    MonCom::instance().show();
    if (!QTest::qWaitForWindowExposed(&MonCom::instance()))
        qFatal("monitor not shown");
    return MonCom::instance();
}

struct PaintCounter : QObject {
    QHash<QString, int> count;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count[watched->objectName()];
        return false;
    }
};

const QColor TxOff(0, 128, 0), ToOff(0, 0, 128), ToLit(0, 255, 255);
const struct {
    const char* name;
    void (MonCom::*light)();
    QColor off, lit;
} Lamps[] = {{"Led_TX", &MonCom::AttivaLed_TX, TxOff, QColor(0, 255, 0)},
             {"Led_RX", &MonCom::AttivaLed_RX, QColor(128, 0, 0), QColor(255, 0, 0)},
             {"Led_TO", &MonCom::AttivaLed_TO, ToOff, ToLit}};
const char* const Labels[] = {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6"};
const char* const Boxes[]
    = {"TextComando", "TextComandoHex", "Risposta", "RispostaHex", "Txt_UltimaRisposta", "Txt_UltimaRispostaHex"};

}  // namespace

class MonComTest : public QObject {
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
    T* logControl(const char* name)
    {
        return m_opener.window()->findChild<T*>(name);
    }

private slots:
    // The traffic log open, holding a row of each kind.
    void init()
    {
        m_model.clear();
        m_opener.open();
        using D = TrafficRow::Direction;
        m_feed.traffic(D::Discarded, "t0", QByteArray::fromHex("55").toStdString());
        m_feed.traffic(D::Sent, "t1", QByteArray::fromHex("023021320322").toStdString());
        m_feed.traffic(D::Received, "t2", QByteArray::fromHex("FF0230214F2C220300").toStdString());
        m_feed.ComTO();
        m_feed.portFailed("t5", "write: Device gone");
        m_model.showWaiting();
    }
    void cleanup() { MonCom::unload(); }

    // A fixed tool window, captions fitting, controls described; a double click switches its layouts; closing unloads it.
    void windowAndLayouts()
    {
        MonCom& monitor = MonCom::instance();
        QCOMPARE(monitor.windowType(), Qt::Tool);
        QVERIFY(!(monitor.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        for (const char* name : Labels)  // in the narrowed font
            QVERIFY(control<QLabel>(name)->fontMetrics().horizontalAdvance(control<QLabel>(name)->text())
                    <= control<QLabel>(name)->width());
        QCOMPARE(accessibilityProblems(monitor), QStringList());
        const QList<int> compact{79, 5, 1, -1, -1, 25, 21, -1, -1, 45, 41, -1, -1, 63};
        const QList<int> extended{143, 5, 1, 23, 21, 47, 43, 65, 63, 89, 85, 107, 105, 127};
        for (const QList<int>& layout : {compact, extended, compact}) {
            QCOMPARE(monitor.minimumSize(), monitor.maximumSize());
            QList<int> tops{monitor.height()};  // then each row's label and box (-1: hidden), the lamps
            for (int row = 0; row < 6; ++row) {
                const QWidget *label = control<QLabel>(Labels[row]), *box = control(Boxes[row]);
                QCOMPARE(label->isHidden(), box->isHidden());
                tops << (label->isHidden() ? -1 : label->y()) << (box->isHidden() ? -1 : box->y());
            }
            QCOMPARE(control<QWidget>("LblErrore")->y(), control<QWidget>("Frm_Parametri")->y());
            if (monitor.logicalDpiX() == 96)  // the design's figures
                QCOMPARE(tops << control<QWidget>("Frm_Parametri")->y(), layout);
            QTest::mouseDClick(&monitor, Qt::LeftButton, {}, QPoint(40, monitor.height() - 8));
        }
        QPointer<MonCom> closed(&shown());
        closed->close();
        QTRY_VERIFY(closed.isNull());
        QVERIFY(!MonCom::instance().isVisible());
        MonCom::instance().setRisposta("\x06");  // unloaded before the turn that would show it
        MonCom::unload();
        QCoreApplication::processEvents();
    }

    // Each byte as a character and in hex, 5 s of answer at 38400 baud whole; an empty answer keeps the last one; a
    // burst shown once, by the next turn; an answer typed in its box is shown as an answer.
    void views()
    {
        MonCom& monitor = MonCom::instance();
        const std::pair<std::string, QString> rows[] = {{std::string("\x00\xFF\x0D\x80", 4), " 0 FF D 80"},
                                                        {std::string(19200, '\x41'), QString(" 41").repeated(19200)}};
        for (const auto& [bytes, hex] : rows) {
            QSignalSpy commandShown(control("TextComando"), &QLineEdit::textChanged);
            monitor.setTextComando("\x02");
            monitor.setTextComando(bytes);
            monitor.setRisposta(bytes);
            monitor.setRisposta({});
            QCoreApplication::processEvents();
            QCOMPARE(commandShown.count(), 1);
            const QString latin1 = QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
            QStringList texts;
            for (const char* box : Boxes)
                texts << text(box);
            QCOMPARE(texts, (QStringList{latin1, hex, "", "", latin1, hex}));
        }
        monitor.setRisposta("\x15");
        shown();
        control("Risposta")->selectAll();
        QTest::keyClicks(control("Risposta"), "A");
        QTest::sendKeyEvent(QTest::Click, control("Risposta"), Qt::Key_Eacute, QString::fromUtf8("\u00E9"),
                            Qt::NoModifier);
        QCOMPARE(QStringList({text("RispostaHex"), text("Txt_UltimaRisposta"), text("Txt_UltimaRispostaHex")}),
                 QStringList({" 41 E9", QString::fromUtf8("A\u00E9"), " 41 E9"}));
    }

    // A lamp is drawn before its call returns; TX and RX go out after 150 ms, the time-out lamp at a reception; lit
    // again, out 150 ms after the latest. A failure is drawn at once and stays until the next command or answer.
    void lampsAndFailure()
    {
        for (int lit = 0; lit < 3; ++lit) {
            MonCom::unload();
            MonCom& monitor = shown();
            PaintCounter painted;
            for (const auto& lamp : Lamps)
                control<Lamp>(lamp.name)->installEventFilter(&painted);
            (monitor.*Lamps[lit].light)();
            QCOMPARE(painted.count.keys(), QStringList{Lamps[lit].name});
            for (int lamp = 0; lamp < 3; ++lamp)
                QCOMPARE(lampColour(Lamps[lamp].name), lamp == lit ? Lamps[lamp].lit : Lamps[lamp].off);
            for (const char* timer : {"Timer_tx", "Timer_rx"}) {
                QCOMPARE(control<QTimer>(timer)->interval(), 150);
                if (control<QTimer>(timer)->isActive())
                    fire(timer);
            }
            for (int lamp = 0; lamp < 3; ++lamp)
                QCOMPARE(lampColour(Lamps[lamp].name), lamp == lit && lamp == 2 ? ToLit : Lamps[lamp].off);
        }
        MonCom& monitor = MonCom::instance();  // the time-out lamp lit
        monitor.AttivaLed_TX();
        PaintCounter painted;
        control<Lamp>("Led_TX")->installEventFilter(&painted);
        QTest::qWait(100);
        monitor.AttivaLed_TX();
        QCOMPARE(painted.count.value("Led_TX"), 0);
        QVERIFY(control<QTimer>("Timer_tx")->remainingTime() > 100);
        fire("Timer_tx");
        QCOMPARE(painted.count.value("Led_TX"), 1);
        QCOMPARE(lampColour("Led_TX"), TxOff);
        monitor.AttivaLed_RX();
        QCOMPARE(lampColour("Led_TO"), ToOff);
        auto* line = control<QLabel>("LblErrore");
        line->installEventFilter(&painted);
        for (const bool command : {true, false}) {
            painted.count.clear();
            monitor.MostraErrore(5, "the line dropped");
            QCOMPARE(painted.count.value("LblErrore"), 1);
            monitor.AttivaLed_TO();
            monitor.AttivaLed_TX();
            QCOMPARE(line->text(), QString("Errore 5: the line dropped"));
            QCOMPARE(line->toolTip(), line->text());
            command ? monitor.setTextComando("\x02P2") : monitor.setRisposta("");
            QCOMPARE(line->text() + line->toolTip(), QString());
        }
    }

    // Rows of each kind with their bytes; filters; the rows shown saved as CSV; a pause; the monitor's context menu
    // opens the log; the newest rows kept up to the log's capacity.
    void rowsFiltersSavingAndPause()
    {
        QCOMPARE(
            shownRows(),
            QStringList({"scartati rumore  [55]",
                         "TX comando Sibrant2 indirizzo 1 P dati \"2\" controllo corretto [02 30 21 32 03 22]",
                         "RX rumore  [FF]",
                         "RX risposta Sibrant2 indirizzo 1 P dati \"O,\"\" controllo errato [02 30 21 4F 2C 22 03 00]",
                         "-- time-out  []", "-- errore porta write: Device gone []"}));
        QCOMPARE(m_model.data(m_model.index(1, 0), Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 128, 0));
        QCOMPARE(m_model.data(m_model.index(3, 0), Qt::ForegroundRole).value<QBrush>().color(), QColor(128, 0, 0));
        auto* direction = logControl<QComboBox>("cmbDirezione");
        auto* address = logControl<QLineEdit>("txtIndirizzo");
        direction->setCurrentText("TX");
        QCOMPARE(shownRows().size(), 1);
        direction->setCurrentIndex(0);
        address->setText("x");
        QCOMPARE(shownRows().size(), 0);
        address->clear();
        logControl<QComboBox>("cmbTipo")->setCurrentText("rumore");
        QCOMPARE(shownRows().size(), 2);
        logControl<QComboBox>("cmbTipo")->setCurrentIndex(0);
        logControl<QPushButton>("cmdPausa")->click();
        m_feed.traffic(TrafficRow::Direction::Received, "t6", "\x06");
        m_model.showWaiting();
        QCOMPARE(m_model.rowCount(), 6);
        logControl<QPushButton>("cmdPausa")->click();
        QCOMPARE(m_model.rowCount(), 7);
        QTemporaryDir dir;
        direction->setCurrentText("RX");
        QVERIFY(m_opener.window()->saveCsv(dir.filePath("registro.csv")));
        QVERIFY(!m_opener.window()->saveCsv(dir.filePath("missing/registro.csv")));
        QFile file(dir.filePath("registro.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLatin1(file.readAll()).split("\r\n");  // the records are Csv's
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines[0].startsWith("time,") && lines[1].startsWith("t2,RX,noise") && lines[3].startsWith("t6,RX,ACK"));
        m_opener.window()->hide();
        QTimer::singleShot(0, [] {
            if (QWidget* menu = QApplication::activePopupWidget())
                menu->actions().first()->trigger();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, {5, 5}, MonCom::instance().mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&MonCom::instance(), &event);
        QVERIFY(m_opener.window()->isVisible());
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

QTEST_MAIN(MonComTest)
#include "MonComTest.moc"
