// The console's main window as it opens, before the console's handlers
// are attached: frames, controls, captions, texts, lists, colours,
// arrangement, the stop button and what assistive technology sees.
#include "AccessibleControls.h"
#include "TestClasses.h"
#include "frmSibrant.h"

#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

#include <memory>

namespace {

struct Panel {
    const char* frame;  // empty: the loose controls under the right column
    const char* title;
    bool rightColumn;
    bool leftToRight;  // the controls stand in one row, in the order listed
    QStringList controls;  // "name:caption" (a button's text or the label above a box), or a box with no label
};

const Panel Panels[] = {
    {"FrmImpostazioni", "Impostazioni", false, true,
     {"TxtNumCom:Seriale n.", "CmbBaudRate:baud rate", "CmbTerminale:Terminale",
      "Command8:Visualizza Monitor"}},
    {"Frame1", "Setup seriale", false, true,
     {"TxtEsito_0:Esito", "CmdSetSetupSeriale:Set", "CmbNewAddr:New Addr.", "CobNewBaudRate:Baud",
      "Command10:Loop BaudRate"}},
    {"Frame4", "Setup base", false, true,
     {"TxtEsito_1:Esito", "Command4:SET", "Text11_0:Tproto", "Text11_1:Rele", "Text11_2:TMcode",
      "Text11_3:Tbuzz", "Text11_4:Tmac", "Text11_5:Led_v"}},
    {"Frame2", "Output", false, true,
     {"TxtEsito_2:Esito", "Command1:Set", "Text3:Rele", "Text4:Buzzer", "Text5:Led_v"}},
    {"Frame5", "Esistenza matricola", false, true,
     {"TxtEsito_3:Esito", "Command5:?", "Text15:Risposta", "Text14"}},
    {"Frame6", "GetSetupBase", false, true,
     {"TxtEsito_4:Esito", "Command6:GET", "Text11_11:Tproto", "Text11_10:Rele", "Text11_9:TMcode",
      "Text11_8:Tbuzz", "Text11_7:Tmac", "Text11_6:Led_v"}},
    {"Frame3", "White List", false, true,
     {"TxtEsito_5:Esito", "Command3_0:Clear Globale", "Command3_1:Aggiungi", "Command3_2:Elimina",
      "Text8:ID tessera"}},
    {"Frame10", "Get matricola", false, true,
     {"TxtEsitoGetMatricola:Esito", "CmdGetPrima:Prima", "CmdGetCorrente:Corrente",
      "CmdGetProssima:Prossima", "TxtRispGetMatricola:Risposta"}},
    {"Frame11", "Versione Firmware", false, true,
     {"TxtEsito_7:Esito", "CmdGetFirmwareVersion:GET", "TxtFirmwareVersion:Risposta"}},
    {"Frame8", "Setup seriale", true, false,
     {"TxtEsito_6:Esito", "optMultiMaster_0:Standard", "optMultiMaster_1:Multimaster", "txtAddrMM",
      "TxtBadgeMM"}},
    {"Frame7", "GetTransazione", true, false,
     {"TxtEsito_8:Esito", "Command7:GET", "ChkAutoAck:Ack automatico", "CmdAck:Ack", "TxtBadge_0",
      "TxtBadge_1", "TxtBadge_2", "TxtBadge_3", "TxtBadge_4", "TxtBadge_5", "TxtBadge_6",
      "TxtBadge_7", "TxtBadge_8", "TxtBadge_9"}},
    {"Frame9", "Set Indirizzo", true, true,
     {"TxtEsito_9:Esito", "cmbSetIndirizzo", "txtCodeAddr:ID tessera", "cmdSetIndirizzo:SET"}},
    {"", "", true, false,
     {"Command11:Inserisci Badge  Da - A", "TxtDa", "TxtA", "TxtRisposta"}},
};

const QStringList BadgeCodeBoxes = {"Text8", "Text14", "txtCodeAddr"};

bool isControl(const QWidget* widget)
{
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QComboBox*>(widget)
        || qobject_cast<const QAbstractButton*>(widget);
}

// The extent of what a label draws darker than its background: its text.
QSize inked(QLabel& label)
{
    const QImage image = label.grab().toImage();
    QRect ink;
    for (int i = 0; i < image.width() * image.height(); ++i)
        if (qGray(image.pixel(i % image.width(), i / image.width())) < 128)
            ink |= QRect(i % image.width(), i / image.width(), 1, 1);
    return ink.size();
}

QLabel* captionOf(const QWidget* box)
{
    for (QLabel* label : box->parentWidget()->findChildren<QLabel*>())
        if (label->buddy() == box)
            return label;
    return nullptr;
}

}  // namespace

class frmSibrantTest : public QObject {
    Q_OBJECT

    std::unique_ptr<frmSibrant> m_window;

    template <typename T = QWidget>
    T* control(const QString& name) const
    {
        T* widget = m_window->findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }

    QList<QWidget*> controls() const
    {
        QList<QWidget*> all;
        for (QWidget* widget : m_window->centralWidget()->findChildren<QWidget*>())
            if (isControl(widget))
                all << widget;
        return all;
    }

private slots:
    void init() { m_window = std::make_unique<frmSibrant>(); }
    void cleanup() { m_window.reset(); }

    void window()
    {
        QCOMPARE(m_window->windowTitle(), QString("Test lettore Sibrant"));
        QVERIFY(!m_window->windowIcon().pixmap(32).isNull());
        // The stop button below the form, off until a command runs, never
        // taking the focus from the control that started the command.
        QPushButton* stop = m_window->stopButton();
        QCOMPARE(stop->text(), QString("Interrompi"));
        QVERIFY(!stop->isEnabled());
        QCOMPARE(stop->focusPolicy(), Qt::NoFocus);
        QVERIFY(m_window->statusBar()->isAncestorOf(stop));
    }

    // Each panel's frame and title, its controls in it with their captions,
    // and no control outside the panels.
    void panels()
    {
        QStringList listed;
        for (const Panel& expected : Panels) {
            QWidget* parent = m_window->centralWidget();
            if (*expected.frame) {
                auto* frame = control<QGroupBox>(expected.frame);
                QCOMPARE(frame->title(), QString(expected.title));
                parent = frame;
            }
            int previousX = -1;
            for (const QString& entry : expected.controls) {
                const QString name = entry.section(':', 0, 0);
                const QString caption = entry.section(':', 1);
                listed << name;
                QWidget* widget = control(name);
                QCOMPARE(widget->parentWidget(), parent);
                if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                    QCOMPARE(button->text(), caption);
                } else if (!caption.isEmpty()) {
                    QLabel* label = captionOf(widget);
                    QVERIFY2(label, qPrintable(name));
                    QCOMPARE(label->text(), caption);
                    QCOMPARE(label->x(), widget->x());
                    QVERIFY(label->geometry().bottom() < widget->y());
                } else {
                    QVERIFY2(!captionOf(widget), qPrintable(name));
                }
                if (expected.leftToRight) {
                    QVERIFY2(widget->x() > previousX, qPrintable(name));
                    previousX = widget->x();
                }
            }
        }
        QStringList present;
        for (const QWidget* widget : controls())
            present << widget->objectName();
        listed.sort();
        present.sort();
        QCOMPARE(present, listed);
    }

    // Two columns, each stacking its frames in order.
    void columns()
    {
        int leftColumnRight = 0;
        for (const bool right : {false, true}) {
            int previousBottom = -1;
            for (const Panel& panel : Panels) {
                if (panel.rightColumn != right)
                    continue;
                const QRect area = *panel.frame ? control(panel.frame)->geometry()
                                                : control(panel.controls.first().section(':', 0, 0))->geometry();
                QVERIFY2(area.y() > previousBottom, panel.frame);
                if (right)
                    QVERIFY2(area.x() > leftColumnRight, panel.frame);
                else
                    leftColumnRight = std::max(leftColumnRight, area.right());
                previousBottom = area.bottom();
            }
        }
    }

    void startStates()
    {
        const QHash<QString, QString> defaults = {
            {"Text11_0", "0010"}, {"Text11_11", "0010"}, {"Text11_1", "005"}, {"Text11_10", "005"},
            {"Text11_2", "050"},  {"Text11_9", "050"},   {"Text11_3", "010"}, {"Text11_8", "010"},
            {"Text11_4", "2"},    {"Text11_7", "2"},     {"Text11_5", "1"},   {"Text11_6", "1"},
            {"Text3", "010"},     {"Text4", "010"},      {"Text5", "010"},    {"TxtDa", "000"},
            {"TxtA", "100"}};
        for (const QLineEdit* box : m_window->findChildren<QLineEdit*>())
            QCOMPARE(box->objectName() + '=' + box->text(),
                     box->objectName() + '=' + defaults.value(box->objectName()));
        QVERIFY(m_window->optMultiMaster[0]->isChecked());
        QCOMPARE(m_window->ui().ChkAutoAck->checkState(), Qt::Checked);
    }

    // The badge-code boxes take ten characters, the others any number. The
    // boxes whose text goes on the line as typed take only what the line
    // carries one byte a character: Latin-1 stays, anything beyond is
    // refused, typed or pasted (a paste holding one is refused whole).
    void typing()
    {
        const QStringList sent = QString("Text11_0 Text11_1 Text11_2 Text11_3 Text11_4 Text11_5 Text3 Text4 Text5 "
                                         "Text14 Text8 txtCodeAddr").split(' ');
        for (QLineEdit* box : m_window->findChildren<QLineEdit*>()) {
            box->clear();
            QTest::keyClicks(box, "12345678901");
            const QString digits = BadgeCodeBoxes.contains(box->objectName()) ? "1234567890" : "12345678901";
            QCOMPARE(box->objectName() + '=' + box->text(), box->objectName() + '=' + digits);
            box->clear();
            for (const char* typed : {"1", "\u00E9", "\U0001F600", "\u20AC"})
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString::fromUtf8(typed), Qt::NoModifier);
            for (const char* pasted : {"\u00B0", "a\U0001F600"})
                box->insert(QString::fromUtf8(pasted));
            const QString typed = QString::fromUtf8(sent.contains(box->objectName()) ? "1\u00E9\u00B0"
                                                                                     : "1\u00E9\U0001F600\u20AC\u00B0a\U0001F600");
            QCOMPARE(box->objectName() + '=' + box->text(), box->objectName() + '=' + typed);
        }
    }

    // The baud-rate lists offer the six rates; the address lists, filled
    // twice as a reload would, "000" to "255" (and "256" for the terminal),
    // none selected, and silently, so no handler of a selection runs.
    void lists()
    {
        for (const char* name : {"CmbBaudRate", "CobNewBaudRate"}) {
            auto* list = control<QComboBox>(name);
            QStringList entries;
            for (int i = 0; i < list->count(); ++i)
                entries << list->itemText(i);
            QCOMPARE(entries, (QStringList{"1200", "2400", "4800", "9600", "19200", "38400"}));
        }
        for (const auto& [name, count] : {std::pair{"CmbTerminale", 257}, {"CmbNewAddr", 256}, {"cmbSetIndirizzo", 256}}) {
            auto* addresses = control<QComboBox>(name);
            QSignalSpy selections(addresses, &QComboBox::currentIndexChanged);
            m_window->RiempiIndirizzi();
            m_window->RiempiIndirizzi();
            QCOMPARE(addresses->count(), count);
            QCOMPARE(addresses->itemText(7), QString("007"));
            QCOMPARE(addresses->itemText(count - 1), QString::number(count - 1));
            QCOMPARE(addresses->currentIndex(), -1);
            QCOMPARE(selections.count(), 0);
        }
        for (const QComboBox* list : m_window->findChildren<QComboBox*>())
            QVERIFY2(!list->isEditable(), qPrintable(list->objectName()));
    }

    void colours()
    {
        const QColor yellow(255, 255, 128), red(255, 128, 128), white(255, 255, 255);
        const QStringList whiteBoxes = {"TxtDa", "TxtA", "TxtRisposta"};
        m_window->RiempiIndirizzi();
        for (QWidget* widget : controls()) {
            const QString name = widget->objectName();
            QColor expected = yellow;
            QPoint clear(widget->width() - 4, widget->height() / 2);
            if (qobject_cast<QComboBox*>(widget))
                clear.setX(2);  // left of the entry, clear of the arrow
            else if (name.startsWith("TxtEsito"))
                expected = red;
            else if (whiteBoxes.contains(name))
                expected = white;
            else if (!qobject_cast<QLineEdit*>(widget))
                continue;
            QCOMPARE(name + '=' + widget->grab().toImage().pixelColor(clear).name(),
                     name + '=' + expected.name());
        }
    }

    // Fixed positions leave no room for a slip: nothing overlaps, nothing
    // sticks out of its frame, and every caption fits in full.
    void everythingFits()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QList<QWidget*> parents = m_window->centralWidget()->findChildren<QWidget*>();
        parents.prepend(m_window->centralWidget());
        for (QWidget* parent : parents) {
            const QList<QWidget*> siblings = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            for (int i = 0; i < siblings.size(); ++i) {
                QVERIFY2(parent->rect().contains(siblings[i]->geometry()), qPrintable(siblings[i]->objectName()));
                for (int j = i + 1; j < siblings.size(); ++j)
                    QVERIFY2(!siblings[i]->geometry().intersects(siblings[j]->geometry()),
                             qPrintable(siblings[i]->objectName() + " / " + siblings[j]->objectName()));
            }
        }
        // A caption inks as much as it does with room to spare.
        for (QLabel* label : m_window->findChildren<QLabel*>()) {
            QLabel roomy(label->text());
            roomy.setFont(label->font());
            roomy.resize(label->width() + 40, label->height() + 20);
            QVERIFY2(inked(*label) == inked(roomy), qPrintable(label->objectName()));
        }
        for (const QAbstractButton* button : m_window->findChildren<QAbstractButton*>())
            QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + 8 <= button->width(),
                     qPrintable(button->objectName()));
    }

    // Tab walks the left column from top to bottom, then the right one,
    // reaching every control once.
    void tabOrder()
    {
        QStringList frames;
        QList<QWidget*> reached;
        QWidget* widget = m_window->ui().TxtNumCom;
        do {
            if (isControl(widget) && widget->focusPolicy() & Qt::TabFocus) {
                reached << widget;
                const auto* frame = qobject_cast<QGroupBox*>(widget->parentWidget());
                const QString name = frame ? frame->objectName() : QString();
                if (frames.isEmpty() || frames.last() != name)
                    frames << name;
            }
            widget = widget->nextInFocusChain();
        } while (widget != m_window->ui().TxtNumCom);
        QStringList expected;
        for (const Panel& panel : Panels)
            expected << panel.frame;
        QCOMPARE(frames, expected);
        QCOMPARE(reached.size(), controls().size());
    }

    void everyControlDescribed()
    {
        QCOMPARE(accessibilityProblems(*m_window), QStringList());
        for (const QLabel* label : m_window->findChildren<QLabel*>())
            QVERIFY2(label->buddy(), qPrintable(label->objectName()));
    }
};

const lettore::test::AddTestClass<frmSibrantTest> added;
#include "frmSibrantTest.moc"
