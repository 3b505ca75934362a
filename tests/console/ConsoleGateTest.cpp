#include "ConsoleGate.h"
#include "TestClasses.h"

#include <QPushButton>
#include <QTest>

#include <vector>

using lettore::ConsoleGate;

class ConsoleGateTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_status.clear();
        m_gate = std::make_unique<ConsoleGate>([this](const QString& s) { m_status.push_back(s); });
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

    // A reader's reception leaves the controls on; what is asked for
    // meanwhile runs after it, in order, a command asked for twice once.
    void deferredWorkRunsOnceWhenIdle()
    {
        std::vector<QString> ran;
        m_gate->connectButton(m_button.get(), "Output", [&] { ran.push_back("Output"); });
        m_gate->setLinkBusy(true);
        QVERIFY(m_button->isEnabled());
        m_gate->runWhenIdle("Seriale", [&] { ran.push_back("3"); });
        m_button->click();
        m_gate->runWhenIdle("Seriale", [&] { ran.push_back("4"); });
        QCoreApplication::processEvents();
        QVERIFY(ran.empty());

        m_gate->setLinkBusy(false);
        QVERIFY(ran.empty());  // not from inside the code that ended the busy spell
        QTRY_COMPARE(ran, (std::vector<QString>{"4", "Output"}));
        QCoreApplication::processEvents();
        QCOMPARE(ran.size(), size_t(2));

        m_gate->runWhenIdle("Seriale 5", [&] { ran.push_back("5"); });
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
            stopSeen.push_back(m_gate->betweenExchanges());
            m_gate->setProgress("codice 2 di 101");
            statusInside = m_status.back();
            m_gate->requestStop();
            stopSeen.push_back(m_gate->betweenExchanges());
        });
        QCOMPARE(stopSeen, (std::vector<bool>{false, true}));
        QCOMPARE(statusInside, QString("Comando in corso: Inserisci Badge — codice 2 di 101"));
        QVERIFY(!m_gate->stopRequested());
        QCOMPARE(m_status.back(), QString());
        m_gate->run("Output", [&] { stopSeen.push_back(m_gate->stopRequested()); });
        QCOMPARE(stopSeen.back(), false);
    }

private:
    std::vector<QString> m_status;
    std::unique_ptr<ConsoleGate> m_gate;
    std::unique_ptr<QPushButton> m_button;
};

const lettore::test::AddTestClass<ConsoleGateTest> added;
#include "ConsoleGateTest.moc"
