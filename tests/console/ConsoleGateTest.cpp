#include "ConsoleGate.h"
#include "TestClasses.h"

#include <QPushButton>
#include <QTest>

using lettore::ConsoleGate;

class ConsoleGateTest : public QObject {
    Q_OBJECT

    std::vector<QString> m_status;
    std::unique_ptr<ConsoleGate> m_gate;
    std::unique_ptr<QPushButton> m_button;

private slots:
    void init()
    {
        m_status.clear();
        m_gate = std::make_unique<ConsoleGate>([this](const QString& s) { m_status.push_back(s); });
        m_button = std::make_unique<QPushButton>();
        m_gate->guard(m_button.get());
    }

    // The link going busy and idle at every exchange of a long command keeps the controls off in between.
    void exchangesInsideACommandKeepControlsOff()
    {
        std::vector<bool> enabled;
        m_gate->run("Inserisci Badge", [&] {
            for (int i = 0; i < 3; ++i) {
                m_gate->setLinkBusy(true);
                m_gate->setLinkBusy(false);
                enabled.push_back(m_button->isEnabled());
            }
        });
        QCOMPARE(enabled, (std::vector<bool>{false, false, false}));
        QVERIFY(m_button->isEnabled());
    }

    // A reader's reception leaves the controls on; what is asked meanwhile runs after it, from the event
    // loop, in order, a command asked twice once; when idle, at once.
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
        QVERIFY(ran.empty());
        QTRY_COMPARE(ran, (std::vector<QString>{"4", "Output"}));
        QCoreApplication::processEvents();
        m_gate->runWhenIdle("Seriale 5", [&] { ran.push_back("5"); });
        QCOMPARE(ran, (std::vector<QString>{"4", "Output", "5"}));
    }

    // A long command shows its progress and learns of a stop between exchanges; a stop outside a command is forgotten.
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
        m_gate->run("Output", [&] { stopSeen.push_back(m_gate->stopRequested()); });
        QCOMPARE(stopSeen, (std::vector<bool>{false, true, false}));
        QCOMPARE(statusInside, QString("Comando in corso: Inserisci Badge — codice 2 di 101"));
        QCOMPARE(m_status.back(), QString());
    }
};

const lettore::test::AddTestClass<ConsoleGateTest> added;
#include "ConsoleGateTest.moc"
