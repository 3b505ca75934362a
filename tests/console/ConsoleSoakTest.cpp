// "Inserisci Badge  Da - A" over the longest range, 0 to 32767, from the
// console with the monitor shown, on the real port against the virtual
// reader, unpaced: every code ends on the reader's list, and the console's
// resident memory and open descriptors stay flat across the run.
#include "ConsoleOnLine.h"
#include "MonCom.h"
#include "ResourceSampler.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace lettore;
using test::ConsoleOnLine;

namespace {

constexpr int Codes = 32768;
constexpr int SampleEvery = 500;  // codes
// Resident memory may end this much above where it was early in the run.
// Sound runs grow by a few pages at most (8 kB measured); a leak of 10
// bytes a code over the 26000 codes between the first and the last tenth
// of the run already exceeds it.
constexpr long ResidentSlackKb = 256;

// The codes the reader answered "0", added to its list, according to its
// log: a white-list add heard, and the answer sent right after it.
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
        ConsoleOnLine line({"--reader", "1:capacity=32768"});
        const auto& ui = line.ui();
        ui.Command8->click();  // Visualizza Monitor
        QVERIFY(QTest::qWaitForWindowExposed(&MonCom::instance()));
        ui.TxtDa->setText("0");
        ui.TxtA->setText("32767");

        // TxtRisposta shows each code's line as the range goes.
        std::vector<test::ResourceSample> resident;
        int shown = 0;
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
        std::printf("console soak: %zu samples, resident %ld kB early, %ld kB late, %ld descriptors\n",
                    resident.size(), growth.earlyKb, growth.lateKb, descriptors);
        QVERIFY2(growth.grownKb() <= ResidentSlackKb,
                 qPrintable(QStringLiteral("resident memory grew from %1 kB to %2 kB").arg(growth.earlyKb).arg(growth.lateKb)));
        QVERIFY(line.simRunning());
    }
};

QTEST_MAIN(ConsoleSoakTest)
#include "ConsoleSoakTest.moc"
