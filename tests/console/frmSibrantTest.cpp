// The main window as its code sets it up: the stop button, the lists, what boxes take, captions, accessibility.
#include "AccessibleControls.h"
#include "TestClasses.h"
#include "frmSibrant.h"

#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

namespace {

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

}  // namespace

class frmSibrantTest : public QObject {
    Q_OBJECT

    std::unique_ptr<frmSibrant> m_window;

private slots:
    void init() { m_window = std::make_unique<frmSibrant>(); }
    void cleanup() { m_window.reset(); }

    // The stop button below the form, off until a command runs, never taking the focus.
    void stopButton()
    {
        QPushButton* stop = m_window->stopButton();
        QCOMPARE(stop->text(), QString("Interrompi"));
        QVERIFY(!stop->isEnabled());
        QCOMPARE(stop->focusPolicy(), Qt::NoFocus);
        QVERIFY(m_window->statusBar()->isAncestorOf(stop));
        QCOMPARE(accessibilityProblems(*m_window), QStringList());
    }

    // Boxes sent as typed take Latin-1 only, typed or pasted (a paste holding more is refused whole).
    void typing()
    {
        const QStringList sent = QString("Text11_0 Text11_1 Text11_2 Text11_3 Text11_4 Text11_5 Text3 Text4 Text5 "
                                         "Text14 Text8 txtCodeAddr").split(' ');
        for (QLineEdit* box : m_window->findChildren<QLineEdit*>()) {
            box->clear();
            for (const char* typed : {"1", "\u00E9", "\U0001F600", "\u20AC"})
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString::fromUtf8(typed), Qt::NoModifier);
            for (const char* pasted : {"\u00B0", "a\U0001F600"})
                box->insert(QString::fromUtf8(pasted));
            const char* kept = sent.contains(box->objectName()) ? "1\u00E9\u00B0" : "1\u00E9\U0001F600\u20AC\u00B0a\U0001F600";
            QCOMPARE(box->objectName() + '=' + box->text(), box->objectName() + '=' + QString::fromUtf8(kept));
        }
    }

    // Six rates in both lists; address lists "000"-"255" (terminal also "256"), refilled silently, none selected.
    void lists()
    {
        for (const char* name : {"CmbBaudRate", "CobNewBaudRate"}) {
            auto* list = m_window->findChild<QComboBox*>(name);
            QStringList entries;
            for (int i = 0; i < list->count(); ++i)
                entries << list->itemText(i);
            QCOMPARE(entries, (QStringList{"1200", "2400", "4800", "9600", "19200", "38400"}));
            QCOMPARE(list->currentIndex(), -1);
        }
        for (const auto& [name, count] : {std::pair{"CmbTerminale", 257}, {"CmbNewAddr", 256}, {"cmbSetIndirizzo", 256}}) {
            auto* addresses = m_window->findChild<QComboBox*>(name);
            QSignalSpy selections(addresses, &QComboBox::currentIndexChanged);
            m_window->RiempiIndirizzi();
            m_window->RiempiIndirizzi();
            QCOMPARE(addresses->count(), count);
            QCOMPARE(addresses->itemText(7), QString("007"));
            QCOMPARE(addresses->itemText(count - 1), QString::number(count - 1));
            QCOMPARE(addresses->currentIndex(), -1);
            QCOMPARE(selections.count(), 0);
        }
    }

    // Nothing overlaps or sticks out of its frame once placed; every caption and button text fits.
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
        for (QLabel* label : m_window->findChildren<QLabel*>()) {  // inks as much as with room to spare
            QLabel roomy(label->text());
            roomy.setFont(label->font());
            roomy.resize(label->width() + 40, label->height() + 20);
            QVERIFY2(inked(*label) == inked(roomy), qPrintable(label->objectName()));
        }
        for (const QAbstractButton* button : m_window->findChildren<QAbstractButton*>())
            QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + 8 <= button->width(),
                     qPrintable(button->objectName()));
    }
};

const lettore::test::AddTestClass<frmSibrantTest> added;
#include "frmSibrantTest.moc"
