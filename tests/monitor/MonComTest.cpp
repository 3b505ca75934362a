// The communications monitor as the relay feeds it, the user sees and types to it, and a screen reader hears it; the
// failure texts it shows in Italian.
#include "MonCom.h"
#include "AccessibleControls.h"
#include "FailureText.h"
#include "Lamp.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
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

// A lamp as a screen reader hears it: its name, whether it is checked, its value.
QString heard(const char* name)
{
    QAccessibleInterface* lamp = QAccessible::queryAccessibleInterface(control<Lamp>(name));
    return lamp->text(QAccessible::Name) + (lamp->state().checked ? " checked " : " unchecked ")
           + lamp->text(QAccessible::Value);
}

// The monitor in front and active, where the keys go.
MonCom& shown()
{
    MonCom::instance().showInFront();
    MonCom::instance().activateWindow();
    if (!QTest::qWaitForWindowActive(&MonCom::instance()))
        qFatal("monitor not active");
    return MonCom::instance();
}

void press(QKeyCombination key)
{
    QTest::keyClick(MonCom::instance().focusWidget(), key.key(), key.keyboardModifiers());
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
    QString heard;
} Lamps[] = {{"Led_TX", &MonCom::AttivaLed_TX, TxOff, QColor(0, 255, 0), "Spia Tx"},
             {"Led_RX", &MonCom::AttivaLed_RX, QColor(128, 0, 0), QColor(255, 0, 0), "Spia Rx"},
             {"Led_TO", &MonCom::AttivaLed_TO, ToOff, ToLit, "Spia TO"}};
const char* const Labels[] = {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6"};
const char* const Boxes[]
    = {"TextComando", "TextComandoHex", "Risposta", "RispostaHex", "Txt_UltimaRisposta", "Txt_UltimaRispostaHex"};

}  // namespace

class MonComTest : public QObject {
    Q_OBJECT

private slots:
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
        QLineEdit parentless;  // a window to a screen reader; a control of Qt's made without a parent stays a control
        QCOMPARE(QAccessible::queryAccessibleInterface(&monitor)->role(), QAccessible::Window);
        QCOMPARE(QAccessible::queryAccessibleInterface(&parentless)->role(), QAccessible::EditableText);
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

    // A lamp is drawn, and heard lit, before its call returns; TX and RX go out after 150 ms, the time-out lamp at a reception; lit
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
            for (int lamp = 0; lamp < 3; ++lamp) {
                QCOMPARE(lampColour(Lamps[lamp].name), lamp == lit ? Lamps[lamp].lit : Lamps[lamp].off);
                QCOMPARE(heard(Lamps[lamp].name),
                         Lamps[lamp].heard + (lamp == lit ? " checked accesa" : " unchecked spenta"));
            }
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

    void monitorKeys()
    {
        int logOpened = 0;
        MonCom::setTrafficLogOpener([&] { ++logOpened; });
        MonCom* monitor = &shown();
        QWidget* hexRow = monitor->findChild<QLabel*>("Label2");
        press(Qt::CTRL | Qt::Key_L);
        QVERIFY(!hexRow->isHidden());
        press(Qt::CTRL | Qt::Key_L);
        QVERIFY(hexRow->isHidden());
        press(Qt::CTRL | Qt::SHIFT | Qt::Key_R);
        QCOMPARE(logOpened, 1);
        MonCom::setTrafficLogOpener({});

        // The menu keys ask the window, not the text box, for a context menu.
        struct MenuRequests : QObject {
            int count = 0;
            bool eventFilter(QObject*, QEvent* event) override
            {
                return event->type() == QEvent::ContextMenu && ++count;
            }
        } requests;
        monitor->installEventFilter(&requests);
        press(Qt::Key_Menu);
        press(Qt::SHIFT | Qt::Key_F10);
        QCOMPARE(requests.count, 2);
        monitor->removeEventFilter(&requests);

        for (const QKeyCombination close : {QKeyCombination(Qt::Key_Escape), Qt::CTRL | Qt::Key_W}) {
            QPointer<MonCom> monitor = &shown();
            press(close);
            QTRY_VERIFY(monitor.isNull());  // unloaded, as by its close box
        }
    }

    void failureTextsInItalian_data()
    {
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("italian");
        QTest::newRow("dropped line") << "the line dropped or the device was removed"
                                      << "la linea è caduta o il dispositivo è stato scollegato";
        QTest::newRow("port number kept") << "No device has port number 12"
                                          << "Nessun dispositivo ha il numero di porta 12";
        QTest::newRow("server's value words")
            << "the device server set rate 9600 when asked for rate 19200 (127.0.0.1:4001)"
            << "il server seriale ha impostato velocità 9600 invece di velocità 19200 "
               "(127.0.0.1:4001)";
        QTest::newRow("three places")
            << "the device server at h:1 did not answer the line settings 9600,E,7,2 within 3 s"
            << "il server seriale a h:1 non ha risposto alle impostazioni di linea 9600,E,7,2 "
               "entro 3 s";
        QTest::newRow("a % in the text") << "\"tcp://%1\" is not tcp://HOST:PORT"
                                         << "\"tcp://%1\" non è tcp://HOST:PORT";
        QTest::newRow("port table") << "line 4: port 9 is given twice; the first address stays"
                                    << "riga 4: la porta 9 compare due volte; resta il primo indirizzo";
        QTest::newRow("port table unread") << "cannot be read"
                                           << "non si può leggere";
        QTest::newRow("the system's reason as it is") << "Permission denied"
                                                      << "Permission denied";
        QTest::newRow("only a whole text") << "the line dropped or the device was removed twice"
                                           << "the line dropped or the device was removed twice";
    }
    void failureTextsInItalian()
    {
        QFETCH(QString, english);
        QFETCH(QString, italian);
        QCOMPARE(FailureText::italian(english.toStdString()), italian);
    }
};

QTEST_MAIN(MonComTest)
#include "MonComTest.moc"
