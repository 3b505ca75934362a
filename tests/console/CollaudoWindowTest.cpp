// "Collaudo lettore" in the real console, over a pseudo-terminal to the virtual reader: how it is opened, and
// that its buttons run the plan on the selected terminal, show each step, write and open the report, and stop.
#include "CollaudoOpener.h"
#include "Console.h"
#include "ConsoleOnPort.h"
#include "PortOpening.h"
#include "PtyLine.h"
#include "QtPort.h"
#include "TrafficCapture.h"
#include "VirtualLine.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

using namespace lettore;

class CollaudoWindowTest : public QObject {
    Q_OBJECT

private:
    // Reader 3 on a line behind COM9, and a console whose Seriale.cfg selects port 9 and terminal 3.
    struct Rig {
        Rig()
        {
            line.linkAs(folder.filePath("COM9").toStdString());
            line.start();
            QFile settings(folder.filePath("Seriale.cfg"));
            settings.open(QIODevice::WriteOnly);
            settings.write("9\r\n9600\r\n3\r\n");
            settings.close();
            console.Form_Load(folder.path().toStdString());
        }
        QPushButton* button(const QString& text) const { return test::button(opener.window(), text); }
        QString verdicts() const
        {
            QString all;
            const QTableWidget* steps = opener.window()->findChild<QTableWidget*>();
            for (int row = 0; row < steps->rowCount(); ++row)
                all += steps->item(row, 1)->text().left(2);
            return all;
        }

        QTemporaryDir folder;
        sim::VirtualLine line{{sim::ReaderSettings::parse("3")}, {}};
        SteadyClock clock;
        clsLettori registry{portOpener(PortNaming(folder.path().toStdString())), clock, processQtEvents};
        test::RecordingDialogs dialogs;
        Console console{registry, &dialogs};
        TrafficCapture traffic;
        QStringList opened;
        CollaudoOpener opener{{registry, console.gate(), traffic, [this] { return console.settings().Terminale; },
                               [this](const QString& file) { opened << file; }},
                              console.window()};
    };

private slots:
    // The main window keeps its layout: an action of its own, in its context menu and on a shortcut.
    void openedFromTheMainWindowAndRunOnTheSelectedTerminal()
    {
        Rig rig;
        QVERIFY(rig.console.window().actions().contains(rig.opener.action()));
        QCOMPARE(rig.opener.action()->text(), QString::fromUtf8("Collaudo lettore…"));
        QCOMPARE(rig.opener.action()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+C")));
        rig.opener.action()->trigger();
        QCOMPARE(rig.opener.window()->windowTitle(), QStringLiteral("Collaudo lettore"));
        for (QLineEdit* box : rig.opener.window()->findChildren<QLineEdit*>())
            if (box->accessibleName() == QStringLiteral("Rapporti in"))
                box->setText(rig.folder.filePath("rapporti"));
        rig.button("&Avvia")->click();
        QVERIFY(test::processEventsUntil([&] { return !rig.opened.isEmpty(); }, 10000));
        QCOMPARE(rig.opener.window()->lastRecord().reader.address, 3);
        QCOMPARE(rig.verdicts(), QString("su").repeated(16) + QString("sa").repeated(7));
        QVERIFY(rig.opened.front().endsWith(".html") && QFile::exists(rig.opened.front()));
        QVERIFY(rig.button("Apri ra&pporto")->isEnabled());
    }

    // Interrompi at the badge prompt stops the run; the rest is not run (the setup put back is the plan runner's).
    void stopPutsTheReaderBack()
    {
        Rig rig;
        rig.opener.open();
        for (QCheckBox* box : rig.opener.window()->findChildren<QCheckBox*>())
            box->setChecked(box->text().contains(QStringLiteral("badge")));
        QLabel* status = nullptr;
        for (QLabel* label : rig.opener.window()->findChildren<QLabel*>())
            if (label->accessibleName() == QStringLiteral("Stato"))
                status = label;
        QTimer atPrompt;
        connect(&atPrompt, &QTimer::timeout, [&] {
            if (status->text().startsWith(QStringLiteral("presentare")))
                rig.button("&Interrompi")->click();
        });
        atPrompt.start(20);
        rig.button("&Avvia")->click();
        QVERIFY(test::processEventsUntil([&] { return !rig.opened.isEmpty(); }, 20000));
        QVERIFY(rig.opener.window()->lastRecord().stopped);
        QVERIFY(rig.verdicts().endsWith(QStringLiteral("no")));
    }
};

QTEST_MAIN(CollaudoWindowTest)
#include "CollaudoWindowTest.moc"
