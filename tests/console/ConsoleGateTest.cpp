#include "ConsoleGate.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <vector>

using lettore::ConsoleGate;

class ConsoleGateTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_status.clear();
        m_turns = 0;
        m_gate = std::make_unique<ConsoleGate>([this](const QString& s) { m_status.push_back(s); },
                                               [this] { ++m_turns; });
        m_button = std::make_unique<QPushButton>();
        m_gate->guard(m_button.get());
    }

    // The link going busy and idle at every exchange of a long command
    // does not switch the controls on in between.
    void exchangesInsideACommandKeepControlsOff()
    {
        std::vector<bool> enabledAfterEachExchange;
        m_gate->run("Inserisci Badge", [&] {
            for (int i = 0; i < 3; ++i) {
                m_gate->setLinkBusy(true);
                m_gate->setLinkBusy(false);
                enabledAfterEachExchange.push_back(m_button->isEnabled());
            }
        });
        QCOMPARE(enabledAfterEachExchange, (std::vector<bool>{false, false, false}));
        QVERIFY(m_button->isEnabled());
    }

    // A reader's reception leaves the controls on (the focus stays in the
    // box being typed in) and says so; what is asked for meanwhile runs
    // once it ends, in order, a command asked for twice once.
    void requestsDuringAReceptionWaitForIt()
    {
        std::vector<QString> ran;
        m_gate->connectButton(m_button.get(), "Output", [&] { ran.push_back("Output"); });
        m_gate->setLinkBusy(true);
        QVERIFY(m_button->isEnabled());
        QCOMPARE(m_status.back(), QString("Ricezione dal lettore in corso"));
        m_gate->runWhenIdle("Seriale n.", [&] { ran.push_back("3"); });
        m_button->click();
        m_gate->runWhenIdle("Seriale n.", [&] { ran.push_back("4"); });
        QCoreApplication::processEvents();
        QVERIFY(ran.empty());

        m_gate->setLinkBusy(false);
        QVERIFY(ran.empty());  // not from inside the code that ended the busy spell
        QTRY_COMPARE(ran, (std::vector<QString>{"4", "Output"}));
        QCoreApplication::processEvents();
        QCOMPARE(ran.size(), size_t(2));

        m_gate->runWhenIdle("Seriale n.", [&] { ran.push_back("5"); });
        QCOMPARE(ran.back(), QString("5"));  // idle: at once
    }

    // A long command shows its progress and learns of a stop between two
    // exchanges; a stop asked for outside a command is forgotten.
    void progressAndStop()
    {
        m_gate->requestStop();
        std::vector<bool> stopSeen;
        QString statusInside;
        m_gate->run("Inserisci Badge", [&] {
            stopSeen.push_back(m_gate->stopRequested());
            m_gate->setProgress("codice 2 di 101");
            statusInside = m_status.back();
            m_gate->requestStop();
            stopSeen.push_back(m_gate->stopRequested());
        });
        QCOMPARE(stopSeen, (std::vector<bool>{false, true}));
        QCOMPARE(statusInside, QString("Comando in corso: Inserisci Badge — codice 2 di 101"));
        QVERIFY(!m_gate->stopRequested());
        QCOMPARE(m_status.back(), QString());
        m_gate->run("Output", [&] { stopSeen.push_back(m_gate->stopRequested()); });
        QCOMPARE(stopSeen.back(), false);
    }

    // Between two exchanges the event loop gets a turn; a stop with a
    // reason shows it until the command ends; what a command leaves to
    // say stays on the status line until the next one starts.
    void turnsStopReasonAndOutcome()
    {
        std::vector<QString> inside;
        std::vector<bool> stops;
        m_gate->run("Inserisci Badge", [&] {
            stops.push_back(m_gate->betweenExchanges());
            m_gate->requestStop("Chiusura in corso");
            m_gate->setProgress("codice 3 di 9");
            inside.push_back(m_status.back());
            stops.push_back(m_gate->betweenExchanges());
            m_gate->setOutcome("fermato al codice 3");
            inside.push_back(m_status.back());
        });
        QCOMPARE(m_turns, 2);
        QCOMPARE(stops, (std::vector<bool>{false, true}));
        QCOMPARE(inside, (std::vector<QString>{"Chiusura in corso", "Chiusura in corso"}));
        QCOMPARE(m_status.back(), QString("fermato al codice 3"));
        m_gate->setLinkBusy(true);
        m_gate->setLinkBusy(false);
        QCOMPARE(m_status.back(), QString("fermato al codice 3"));
        m_gate->run("Output", [] {});
        QCOMPARE(m_status.back(), QString());
    }

    // The control that had the focus gets it back after the command; in
    // between the window holds it, so no box takes it with its text
    // selected. Where the user puts the focus meanwhile, it stays.
    void focus_data()
    {
        QTest::addColumn<QString>("focusedBefore");
        QTest::addColumn<bool>("userMovesToBox");
        QTest::addColumn<QString>("focusedDuring");
        QTest::addColumn<QString>("focusedAfter");

        QTest::newRow("clicked button") << "button" << false << "window" << "button";
        QTest::newRow("user moves to the box meanwhile") << "button" << true << "box" << "box";
        QTest::newRow("box not guarded keeps it") << "box" << false << "box" << "box";
    }

    void focus()
    {
        QFETCH(QString, focusedBefore);
        QFETCH(bool, userMovesToBox);
        QWidget window;
        window.setObjectName("window");
        auto* layout = new QVBoxLayout(&window);
        auto* button = new QPushButton("Aggiungi");
        button->setObjectName("button");
        auto* box = new QLineEdit("0000012345");
        box->setObjectName("box");
        layout->addWidget(button);
        layout->addWidget(box);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        m_gate->guard(button);
        window.findChild<QWidget*>(focusedBefore)->setFocus(Qt::MouseFocusReason);

        QString during;
        m_gate->run("Aggiungi", [&] {
            if (userMovesToBox)
                box->setFocus(Qt::MouseFocusReason);
            during = QApplication::focusWidget()->objectName();
        });

        QTEST(during, "focusedDuring");
        QTEST(QApplication::focusWidget()->objectName(), "focusedAfter");
        QCOMPARE(box->selectedText(), QString());
    }

private:
    std::vector<QString> m_status;
    int m_turns = 0;
    std::unique_ptr<ConsoleGate> m_gate;
    std::unique_ptr<QPushButton> m_button;
};

QTEST_MAIN(ConsoleGateTest)
#include "ConsoleGateTest.moc"
