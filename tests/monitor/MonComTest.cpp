// The communications monitor as the relay feeds it and the user sees it.
#include "AccessibleControls.h"
#include "Lamp.h"
#include "MonCom.h"

#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

template <typename T = QLineEdit>
T* control(const char* name)
{
    T* widget = MonCom::instance().findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

QString text(const char* name)
{
    return control(name)->text();
}

QString latin1(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

// The colour drawn at the middle of a lamp.
QColor lampColour(const char* name)
{
    return control<Lamp>(name)->grab().toImage().pixelColor(6, 6);
}

// The colour drawn at the right end of a box, clear of its text.
QColor background(QWidget* box)
{
    return box->grab().toImage().pixelColor(box->width() - 4, box->height() / 2);
}

void fire(const char* timer)
{
    QVERIFY(QMetaObject::invokeMethod(control<QTimer>(timer), "timeout"));
}

// Counts the paint events each watched widget receives.
class PaintCounter : public QObject {
public:
    QHash<QString, int> count;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count[watched->objectName()];
        return false;
    }
};

void doubleClickBackground()
{
    MonCom& monitor = MonCom::instance();
    QTest::mouseDClick(&monitor, Qt::LeftButton, {}, QPoint(40, monitor.height() - 8));
}

const QColor TxOff(0, 128, 0), ToOff(0, 0, 128), ToLit(0, 255, 255);

struct LampSpec {
    const char* name;
    void (MonCom::*light)();
    QColor off, lit;
};
const LampSpec Lamps[] = {{"Led_TX", &MonCom::AttivaLed_TX, TxOff, QColor(0, 255, 0)},
                          {"Led_RX", &MonCom::AttivaLed_RX, QColor(128, 0, 0), QColor(255, 0, 0)},
                          {"Led_TO", &MonCom::AttivaLed_TO, ToOff, ToLit}};

// The six rows: caption, box, its colour and tool tip.
struct Row {
    const char* label;
    const char* caption;
    const char* box;
    QColor colour;
    const char* toolTip;
};
const QColor Green(192, 255, 192), Red(255, 192, 192);
const char* const AnswerTip = "Stringa risposta ricevuta (escluso BCC)";
const Row Rows[] = {{"Label1", "Comando", "TextComando", Green, "Stringa Comando Inviato"},
                    {"Label2", "Comando Hex", "TextComandoHex", Green, ""},
                    {"Label3", "Risposta", "Risposta", Red, AnswerTip},
                    {"Label4", "Risposta Hex", "RispostaHex", Red, ""},
                    {"Label5", "Ultima Risp.", "Txt_UltimaRisposta", Red, AnswerTip},
                    {"Label6", "Ult. Risp. Hex", "Txt_UltimaRispostaHex", Red, ""}};

}  // namespace

class MonComTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { MonCom::unload(); }

    // A fixed tool window, in either layout; every control described.
    void window()
    {
        MonCom& monitor = MonCom::instance();
        QCOMPARE(monitor.windowTitle(), QString("Monitor Comunicazioni"));
        QVERIFY(monitor.windowFlags().testFlag(Qt::Tool));
        QVERIFY(!monitor.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!monitor.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        for (int layout = 0; layout < 2; ++layout) {
            QCOMPARE(monitor.minimumSize(), monitor.maximumSize());
            doubleClickBackground();
        }
        for (const Row& row : Rows) {
            auto* label = control<QLabel>(row.label);
            QLineEdit* box = control(row.box);
            QCOMPARE(label->text(), QString(row.caption));
            QCOMPARE(label->buddy(), box);
            QVERIFY(label->fontMetrics().horizontalAdvance(row.caption) <= label->width());
            QCOMPARE(background(box), row.colour);
            QCOMPARE(box->toolTip(), QString(row.toolTip));
        }
        QCOMPARE(accessibilityProblems(monitor), QStringList());
    }

    // Each box shows what the line carried, each byte a character or a
    // blank and its value in hexadecimal; an empty answer (a rejected
    // frame) leaves the last answer shown.
    void views_data()
    {
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<QString>("hex");
        QTest::newRow("00 FF 0D 80") << std::string("\x00\xFF\x0D\x80", 4) << " 0 FF D 80";
        // Five seconds of an answer with no end at 38400 baud.
        QTest::newRow("19200 x 41") << std::string(19200, '\x41') << QString(" 41").repeated(19200);
    }
    void views()
    {
        QFETCH(std::string, bytes);
        QFETCH(QString, hex);
        MonCom& monitor = MonCom::instance();
        monitor.setTextComando(bytes);
        monitor.setRisposta(bytes);
        monitor.setRisposta({});
        const QStringList shown{text("TextComando"), text("TextComandoHex"), text("Risposta"), text("RispostaHex"),
                                text("Txt_UltimaRisposta"), text("Txt_UltimaRispostaHex")};
        QCOMPARE(shown, (QStringList{latin1(bytes), hex, "", "", latin1(bytes), hex}));
    }

    void typedAnswerIsShownAsAnAnswer()
    {
        MonCom& monitor = MonCom::instance();
        monitor.setRisposta("\x15");
        monitor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&monitor));
        control("Risposta")->selectAll();
        QTest::keyClicks(control("Risposta"), "A");
        QTest::sendKeyEvent(QTest::Click, control("Risposta"), Qt::Key_Eacute,
                            QString::fromUtf8("\u00E9"), Qt::NoModifier);
        QCOMPARE(text("RispostaHex"), QString(" 41 E9"));
        QCOMPARE(text("Txt_UltimaRisposta"), QString::fromUtf8("A\u00E9"));
        QCOMPARE(text("Txt_UltimaRispostaHex"), QString(" 41 E9"));
    }

    // The design's figures, 15 twips a pixel at 96 DPI; the client area
    // ends under the lamps.
    void layoutsSwitchOnDoubleClick()
    {
        struct Layout {
            int height;
            QPoint tops[6];  // of label and box; (-1, -1): hidden
            int lampsTop;
        };
        const QPoint hidden(-1, -1);
        const Layout compact{79, {{5, 1}, hidden, {25, 21}, hidden, {45, 41}, hidden}, 63};
        const Layout extended{143, {{5, 1}, {23, 21}, {47, 43}, {65, 63}, {89, 85}, {107, 105}}, 127};
        MonCom& monitor = MonCom::instance();
        if (monitor.logicalDpiX() != 96)
            QSKIP("the design's figures are pinned at 96 DPI");
        QCOMPARE(monitor.width(), 586);
        QCOMPARE(control<QWidget>("Frm_Parametri")->x(), 484);
        for (const Row& row : Rows) {
            const QRect label = control<QLabel>(row.label)->geometry(), box = control(row.box)->geometry();
            QCOMPARE(QList<int>({label.x(), label.width(), box.x(), box.width()}), QList<int>({0, 72, 78, 500}));
        }
        for (const Layout& layout : {compact, extended, compact}) {
            QCOMPARE(monitor.height(), layout.height);
            for (int row = 0; row < 6; ++row) {
                QLineEdit* box = control(Rows[row].box);
                auto* label = control<QLabel>(Rows[row].label);
                const bool shown = layout.tops[row] != hidden;
                QCOMPARE(label->isHidden(), !shown);
                QCOMPARE(box->isHidden(), !shown);
                if (shown)
                    QCOMPARE(QPoint(label->y(), box->y()), layout.tops[row]);
            }
            QCOMPARE(control<QWidget>("Frm_Parametri")->y(), layout.lampsTop);
            QCOMPARE(control<QWidget>("LblErrore")->y(), layout.lampsTop);
            doubleClickBackground();
        }
    }

    // A routine draws the lamp it lights before it returns, with no event
    // handled, as it runs while the line is being waited on; a lamp set to
    // the colour it has (the time-out lamp put out when it is out) is not
    // drawn again. The transmit and receive lamps go out when their 150 ms
    // timer fires; the time-out lamp stays lit.
    void lamps_data()
    {
        QTest::addColumn<int>("lit");
        for (int lamp = 0; lamp < 3; ++lamp)
            QTest::newRow(Lamps[lamp].name) << lamp;
    }
    void lamps()
    {
        QFETCH(int, lit);
        MonCom& monitor = MonCom::instance();
        monitor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&monitor));
        PaintCounter painted;
        for (const LampSpec& lamp : Lamps)
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

    // The time-out lamp stays lit until the next reception. At full speed
    // a lamp is lit again while lit: nothing to draw, and it still goes
    // out 150 ms after the latest event.
    void lampsLitAgain()
    {
        MonCom& monitor = MonCom::instance();
        monitor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&monitor));
        monitor.AttivaLed_TO();
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
        QCOMPARE(lampColour("Led_TO"), ToLit);
        monitor.AttivaLed_RX();
        QCOMPARE(lampColour("Led_TO"), ToOff);
    }

    void closeBoxUnloadsAndTheNextUseLoadsAfresh()
    {
        MonCom& first = MonCom::instance();
        first.setTextComando("\x02P2");
        first.setRisposta("\x06");
        first.AttivaLed_TO();
        doubleClickBackground();
        first.show();
        QVERIFY(QTest::qWaitForWindowExposed(&first));
        QPointer<MonCom> closed(&first);
        first.close();
        QVERIFY(!MonCom::isLoaded());
        QTRY_VERIFY(closed.isNull());

        MonCom& next = MonCom::instance();
        QVERIFY(MonCom::isLoaded());
        QVERIFY(!next.isVisible());
        QVERIFY(control<QLabel>("Label2")->isHidden());  // compact
        for (const Row& row : Rows)
            QCOMPARE(text(row.box), QString());
        QCOMPARE(lampColour("Led_TO"), ToOff);
    }

    // A failure shows beside the lamps, drawn before the call returns (a
    // failing command gives the event loop no turn), and stays until the
    // next command or answer, an empty one included.
    void failureShowsUntilTheNextTraffic()
    {
        MonCom& monitor = MonCom::instance();
        monitor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&monitor));
        auto* line = control<QLabel>("LblErrore");
        PaintCounter painted;
        line->installEventFilter(&painted);
        const QString failure = "Errore 5: the line dropped or the device was removed";
        for (const auto& traffic : {std::function<void()>([&] { monitor.setTextComando("\x02P2"); }),
                                    std::function<void()>([&] { monitor.setRisposta(""); })}) {
            painted.count.clear();
            monitor.MostraErrore(5, "the line dropped or the device was removed");
            QCOMPARE(line->text(), failure);
            QCOMPARE(painted.count.value("LblErrore"), 1);
            monitor.AttivaLed_TO();
            monitor.AttivaLed_TX();
            QCOMPARE(line->text(), failure);
            traffic();
            QCOMPARE(line->text(), QString());
            QCOMPARE(line->toolTip(), QString());
        }
    }
};

QTEST_MAIN(MonComTest)
#include "MonComTest.moc"
