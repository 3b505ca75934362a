// The longest range from the console on the real line: every code on the reader's list, memory and descriptors flat.
#include "ConsoleOnLine.h"
#include "MonCom.h"
#include "ResourceSampler.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <cstdio>

using namespace lettore;

namespace {

constexpr int Codes = 32768;
constexpr int SampleEvery = 500;  // codes
// Sound runs grow a few pages (8 kB measured); 10 bytes leaked a code over 26000 codes exceed this.
constexpr long ResidentSlackKb = 256;

// The codes the reader's log shows added: a white-list add heard, answered "0" right after.
QSet<int> codesAdded(const QString& log)
{
    static const QRegularExpression heard(QStringLiteral(" RX \\d+ \\[[^]]*\\] .*; reader 1 S: white list add (\\d{10})$"));
    QSet<int> added;
    const QStringList lines = log.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QRegularExpressionMatch match = heard.match(lines[i]);
        if (match.hasMatch() && lines[i + 1].endsWith(QLatin1String("; answer \"0\"")))
            added.insert(match.captured(1).toInt());
    }
    return added;
}

}  // namespace

class ConsoleSoakTest : public QObject {
    Q_OBJECT

private slots:
    void longestRangeLeavesEveryCodeOnTheListWithFlatMemory()
    {
        test::ConsoleOnLine line({"--reader", "1:capacity=32768"});
        const auto& ui = line.ui();
        ui.Command8->click();  // Visualizza Monitor
        QVERIFY(QTest::qWaitForWindowExposed(&MonCom::instance()));
        ui.TxtDa->setText("0");
        ui.TxtA->setText("32767");
        std::vector<test::ResourceSample> resident;
        int shown = 0;  // TxtRisposta shows each code's line as the range goes
        connect(ui.TxtRisposta, &QLineEdit::textChanged, this, [&] {
            if (++shown % SampleEvery == 0)
                resident.push_back(*test::sampleResources());
        });
        const long descriptors = test::sampleResources()->descriptors;
        ui.Command11->click();  // Inserisci Badge
        QCOMPARE(shown, Codes);
        QCOMPARE(ui.TxtRisposta->text(), QString("0000032767 0"));
        QCOMPARE(test::sampleResources()->descriptors, descriptors);
        const QSet<int> added = codesAdded(line.log());
        QCOMPARE(added.size(), Codes);
        QVERIFY(std::all_of(added.begin(), added.end(), [](int code) { return code >= 0 && code < Codes; }));
        const test::ResidentGrowth growth = test::residentGrowth(resident);
        std::printf("console soak: %zu samples, resident %ld kB early, %ld kB late, %ld descriptors\n", resident.size(),
                    growth.earlyKb, growth.lateKb, descriptors);
        QVERIFY2(growth.grownKb() <= ResidentSlackKb,
                 qPrintable(QStringLiteral("resident memory grew from %1 kB to %2 kB").arg(growth.earlyKb).arg(growth.lateKb)));
        QVERIFY(line.simRunning());
    }
};

QTEST_MAIN(ConsoleSoakTest)
#include "ConsoleSoakTest.moc"
