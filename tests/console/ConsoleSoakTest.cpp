// The longest range from the console, the monitor shown: every code sent in order, memory and
// descriptors flat.
#include "ConsoleOnPort.h"
#include "ResourceSampler.h"

#include <QTest>

#include <cstdio>

using namespace lettore;

namespace {

constexpr int Codes = 32768;
constexpr int SampleEvery = 500;  // codes
// Sound runs grow a few pages (8 kB measured); 10 bytes leaked a code over 26000 codes exceed this.
constexpr long ResidentSlackKb = 256;

}  // namespace

class ConsoleSoakTest : public QObject {
    Q_OBJECT

private slots:
    void longestRangeSendsEveryCodeWithFlatMemory()
    {
        test::ConsoleOnPort console;
        test::SimulatedPort& port = console.port();
        const auto& ui = console.ui();
        ui.Command8->click();  // Visualizza Monitor
        QVERIFY(QTest::qWaitForWindowExposed(&MonCom::instance()));
        console.fill("TxtDa=0;TxtA=32767");
        const std::string added = test::fromReader1("0");
        int sent = 0, outOfOrder = 0;
        port.onWrite = [&](const std::string& frame) {  // an add of the next code, answered "0"
            outOfOrder += frame.substr(5, 10) != QString::asprintf("%010d", sent++).toStdString();
            port.clearRecord();  // a record of the whole run would grow with it
            port.feedAt(console.clock.nowMs() + 10, added);
        };
        std::vector<test::ResourceSample> resident;
        // TxtRisposta shows each code's line as the range goes.
        connect(ui.TxtRisposta, &QLineEdit::textChanged, this, [&] {
            if (sent % SampleEvery == 0)
                resident.push_back(*test::sampleResources());
        });
        const long descriptors = test::sampleResources()->descriptors;
        ui.Command11->click();  // Inserisci Badge
        QCOMPARE(sent, Codes);
        QCOMPARE(outOfOrder, 0);
        QCOMPARE(ui.TxtRisposta->text(), QString("0000032767 0"));
        QCOMPARE(test::sampleResources()->descriptors, descriptors);
        const test::ResidentGrowth growth = test::residentGrowth(resident);
        std::printf("console soak: %zu samples, resident %ld kB early, %ld kB late, %ld descriptors\n", resident.size(),
                    growth.earlyKb, growth.lateKb, descriptors);
        QVERIFY2(growth.grownKb() <= ResidentSlackKb,
                 qPrintable(QStringLiteral("resident memory grew from %1 kB to %2 kB").arg(growth.earlyKb).arg(growth.lateKb)));
    }
};

QTEST_MAIN(ConsoleSoakTest)
#include "ConsoleSoakTest.moc"
