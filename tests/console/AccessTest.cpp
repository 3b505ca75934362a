// The console and the monitor by keyboard, by screen reader and in Italian: the failure texts, the lamps' state,
// the monitor's keys and window, the main window's accessible names, the width of the message boxes.
#include "ConsoleOnPort.h"
#include "Dialogs.h"
#include "FailureText.h"
#include "Lamp.h"
#include "MessageBoxTitles.h"
#include "MonCom.h"
#include "frmSibrant.h"

#include <QAccessible>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

using namespace lettore;

namespace {

QAccessibleInterface* accessible(QObject* object) { return QAccessible::queryAccessibleInterface(object); }

MonCom& activeMonitor()
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

}  // namespace

class AccessTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { MonCom::unload(); }

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

    // The monitor is a window to a screen reader; a control of Qt's made without a parent stays what it is.
    void windowsOfTheirOwn()
    {
        QLineEdit parentless;
        QCOMPARE(accessible(&MonCom::instance())->role(), QAccessible::Window);
        QCOMPARE(accessible(&parentless)->role(), QAccessible::EditableText);
    }

    // Each lamp heard as lit or off as it changes.
    void lampsTellLitOrOff()
    {
        MonCom& monitor = MonCom::instance();
        const auto state = [&](const char* lamp) {
            QAccessibleInterface* shown = accessible(monitor.findChild<Lamp*>(lamp));
            return shown->text(QAccessible::Name) + (shown->state().checked ? " checked " : " unchecked ")
                   + shown->text(QAccessible::Value);
        };
        QCOMPARE(state("Led_TO"), "Spia TO unchecked spenta");
        monitor.AttivaLed_TO();
        QCOMPARE(state("Led_TO"), "Spia TO checked accesa");
        monitor.AttivaLed_RX();
        QCOMPARE(state("Led_RX"), "Spia Rx checked accesa");
    }

    void monitorKeys()
    {
        int logOpened = 0;
        MonCom::setTrafficLogOpener([&] { ++logOpened; });
        MonCom* monitor = &activeMonitor();
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
            QPointer<MonCom> shown = &activeMonitor();
            press(close);
            QTRY_VERIFY(shown.isNull());  // unloaded, as by its close box
        }
    }

    // Lists by their caption, not the entry shown; each result box by its frame; "?" by what it does.
    void mainWindowNames()
    {
        frmSibrant window;
        window.RiempiIndirizzi();
        window.ui().CmbBaudRate->setCurrentIndex(3);
        window.ui().CmbTerminale->setCurrentIndex(1);
        const auto name = [](QWidget* widget) { return accessible(widget)->text(QAccessible::Name); };
        QCOMPARE(
            QStringList({name(window.ui().CmbBaudRate), name(window.ui().CmbTerminale), name(window.ui().CmbNewAddr),
                         name(window.ui().CobNewBaudRate), name(window.ui().Command5)}),
            QStringList({"baud rate", "Terminale", "New Addr.", "Baud", "Verifica esistenza matricola"}));
        QSet<QString> esiti{name(window.ui().TxtEsitoGetMatricola)};
        for (QLineEdit* box : window.TxtEsito)
            esiti << name(box);
        QCOMPARE(esiti.size(), 11);  // the two "Setup seriale" frames told apart too
        QVERIFY(esiti.contains("Esito Versione Firmware") && esiti.contains("Esito Setup seriale Multimaster"));
    }

    // A message box carries the window's title, whole however short the message; the password prompt hides what is
    // typed and gives it back on OK, nothing on Cancel.
    void userDialogs()
    {
        MessageBoxTitles::install();
        QWidget parent;
        parent.setWindowTitle("Test lettore Sibrant");
        QtDialogs dialogs(&parent);
        QString shown;
        int width = 0;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            shown = box->windowTitle();
            width = box->width();
            box->close();
        });
        dialogs.message("Password errata!");
        QCOMPARE(shown, parent.windowTitle());
        QVERIFY2(width > QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(shown) + 80,
                 qPrintable(QString::number(width)));
        for (const bool ok : {true, false}) {
            QTimer::singleShot(0, [&] {
                auto* prompt = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
                shown = prompt->windowTitle() + ' ' + prompt->labelText();
                QCOMPARE(prompt->textEchoMode(), QLineEdit::Password);
                prompt->setTextValue("7391");
                ok ? prompt->accept() : prompt->reject();
            });
            QCOMPARE(dialogs.askPassword("La password?", "Password richiesta"),
                     ok ? std::optional<QString>("7391") : std::nullopt);
            QCOMPARE(shown, "Password richiesta La password?");
        }
    }
};

QTEST_MAIN(AccessTest)
#include "AccessTest.moc"
