// The console's file windows on the simulated port: how they open, a badge list compared then
// written, transactions appended to a file, a job stopped or its window closed.
#include "ConsoleGate.h"
#include "ConsoleOnPort.h"
#include "FileJobWindow.h"
#include "TransactionFile.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <set>

using namespace lettore;
using test::button;
using test::ConsoleOnPort;

class FileWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ConsoleOnPort> m_console;
    std::set<std::string> m_list;  // reader 1's white list
    std::vector<std::string> m_records;  // its stored transactions
    FileWindowsOpener& opener() { return m_console->console().fileWindows(); }
    FileJobWindow& importWindow() { return opener().listImport().jobWindow(); }
    FileJobWindow& downloadWindow() { return opener().transactionDownload().jobWindow(); }
    void choose(FileJobWindow& window, const QString& file)
    {
        window.file()->setText(file);
        emit window.file()->editingFinished();
    }
    QString file(const char* name, const std::string& content)
    {
        const QString path = m_console->path(name);
        std::ofstream(path.toStdString(), std::ios::binary) << content;
        return path;
    }

private slots:
    // Reader 1 behind the port: adds, checks and transactions as a reader answers them.
    void init()
    {
        m_console = std::make_unique<ConsoleOnPort>();
        m_list.clear();
        m_records.clear();
        m_console->port().onWrite = [this](const std::string& frame) {
            const std::string data = Frame::decode(frame)->data;
            std::string answer;
            if (data.starts_with("41"))
                answer = m_list.insert(data.substr(2)).second ? "0" : "1";
            else if (data.starts_with("7"))
                answer = m_list.count(data.substr(1)) ? "1" : "0";
            else if (data == "3")
                answer = m_records.empty() ? "0" : m_records.front();
            else if (data == "\x06" && !m_records.empty())
                m_records.erase(m_records.begin());
            if (!answer.empty())
                m_console->port().feedAt(m_console->clock.nowMs() + 10, test::fromReader1(answer));
        };
    }
    void cleanup() { m_console.reset(); }

    // Both windows are actions of the main window: a shortcut, and its context menu's entries,
    // which the Menu key on a control without a menu of its own opens too.
    void openedByShortcutOrMenu()
    {
        frmSibrant& window = m_console->window();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QStringList entries;
        for (const QAction* action : window.actions())
            entries << action->text() + " " + action->shortcut().toString();
        QCOMPARE(entries, QStringList({QString::fromUtf8("Importa lista… Ctrl+Shift+I"),
                                       QString::fromUtf8("Scarica transazioni… Ctrl+Shift+T")}));
        // The Menu key on a button: its menu is the window's.
        qsizetype menu = 0;
        QTimer::singleShot(0, [&] {
            if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                menu = popup->actions().size();
                popup->close();
            }
        });
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(2, 2), QPoint(2, 2));
        QApplication::sendEvent(m_console->ui().Command7, &key);
        QCOMPARE(menu, 2);  // the actions above
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(downloadWindow().isVisible() && !importWindow().isVisible());
        QCOMPARE(downloadWindow().windowTitle(), QString("Scarica transazioni"));
    }

    // A list with a problem names it and sends nothing; once mended, "Confronta" shows what is
    // missing, and only then "Scrivi" adds it and reads every code back.
    void listComparedThenWritten()
    {
        FileJobWindow& window = importWindow();
        QPushButton* compare = button(&window, "Confronta");
        QPushButton* write = button(&window, "Scrivi");
        const QString list = file("lista.csv", "Codice;Nome\n42;Rossi\n4.2E+10;Bianchi\n");
        choose(window, list);
        QCOMPARE(window.details()->toPlainText(),
                 QString::fromUtf8("riga 3: non è un codice badge (da 1 a 10 cifre): \"4.2E+10\""));
        m_console->click(compare);
        QVERIFY(m_console->port().writes().empty() && !write->isEnabled());
        file("lista.csv", "Codice;Nome\n42;Rossi\n0043;Bianchi\n");
        choose(window, list + " ");
        choose(window, list);
        QCOMPARE(window.summary()->text(), QString("2 codici (riga 1 intestazione). Confronta li cerca sul lettore."));
        m_list = {"0000000042"};
        m_console->click(compare);
        QCOMPARE(window.details()->toPlainText(), QString("mancante 0000000043"));
        QVERIFY(write->isEnabled());
        m_console->click(write);
        QCOMPARE(window.summary()->text(), QString("Tutti i 2 codici sono sul lettore (riletti uno a uno)."));
        QVERIFY(!QFile::exists(list + ".journal") && !write->isEnabled());
    }

    // The file's records are counted before anything is sent; each one downloaded is appended,
    // then confirmed. A file of something else is not written to.
    void transactionsCountedThenAppended()
    {
        FileJobWindow& window = downloadWindow();
        QPushButton* download = button(&window, "Scarica");
        choose(window, file("altro.csv", "Codice\n42\n"));
        m_console->click(download);
        QVERIFY(m_console->port().writes().empty());
        QCOMPARE(window.summary()->text(),
                 QString::fromUtf8("Il file non è un file di transazioni: sceglierne un altro."));
        const QString csv = file("t.csv", TransactionFile::header() + "1,T,1,=\"0000000001\",\r\n");
        choose(window, csv);
        QCOMPARE(window.summary()->text(),
                 QString::fromUtf8("Il file contiene già 1 transazioni; le nuove si aggiungono in fondo."));
        m_records = {"10000000042", "00000000043"};
        m_console->click(download);
        QCOMPARE(TransactionFile::countRecords(csv.toStdString()), 3u);
        QVERIFY(m_records.empty());
        QCOMPARE(window.summary()->text(),
                 QString("Scaricate 2 transazioni (0 ripetute): il lettore non ne ha altre."));
    }

    // "Interrompi" ends a download after the record in hand; closing the window during a job
    // stops it and the window closes once it has.
    void stopOrCloseDuringAJob()
    {
        FileJobWindow& window = downloadWindow();
        opener().transactionDownload().open();
        choose(window, m_console->path("t.csv"));
        for (int i = 0; i < 20; ++i)
            m_records.push_back("1" + std::string(9, '0') + std::to_string(i % 10));
        m_console->duringWait = [&] {
            if (m_records.size() == 18 && window.stop()->isEnabled())
                window.stop()->click();
        };
        m_console->click(button(&window, "Scarica"));
        QCOMPARE(m_records.size(), size_t(17));  // the record asked for when the stop came is stored
        QVERIFY(window.summary()->text().endsWith(": interrotto; le altre restano nel lettore."));
        QVERIFY(!window.stop()->isEnabled());
        m_console->duringWait = [&] {
            if (m_records.size() == 15)
                window.close();
        };
        m_console->click(button(&window, "Scarica"));
        QCOMPARE(m_records.size(), size_t(14));
        QVERIFY(!window.isVisible());
        QVERIFY(m_console->console().gate().idle());
    }
};

QTEST_MAIN(FileWindowsTest)
#include "FileWindowsTest.moc"
