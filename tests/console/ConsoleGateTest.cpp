#include "ConsoleGate.h"
#include "TestClasses.h"

#include <QPushButton>
#include <QTest>

// A reader's reception leaves the controls on; what is asked meanwhile runs after it, from the event loop
// (never inside the code that ended the reception), in order; when idle, at once.
class ConsoleGateTest : public QObject {
    Q_OBJECT

private slots:
    void deferredWorkRunsWhenIdleFromTheEventLoop()
    {
        lettore::ConsoleGate gate([](const QString&) {});
        QPushButton button;
        std::vector<QString> ran;
        gate.connectButton(&button, "Output", [&] { ran.push_back("Output"); });
        gate.setLinkBusy(true);
        QVERIFY(button.isEnabled());
        gate.runWhenIdle("Seriale", [&] { ran.push_back("3"); });
        button.click();
        gate.runWhenIdle("Seriale", [&] { ran.push_back("4"); });
        QCoreApplication::processEvents();
        QVERIFY(ran.empty());
        gate.setLinkBusy(false);
        QVERIFY(ran.empty());
        QTRY_COMPARE(ran, (std::vector<QString>{"4", "Output"}));
        gate.runWhenIdle("Seriale 5", [&] { ran.push_back("5"); });
        QCOMPARE(ran.back(), QString("5"));
    }
};

const lettore::test::AddTestClass<ConsoleGateTest> added;
#include "ConsoleGateTest.moc"
