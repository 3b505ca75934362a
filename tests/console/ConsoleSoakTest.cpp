// "Inserisci Badge  Da - A" over the longest range, 0 to 32767, from the
// console with the monitor shown, on the real port against the virtual
// reader, unpaced: every code ends on the reader's list, and the console's
// resident memory and open descriptors stay flat across the run.
#include "ConsoleOnLine.h"
#include "MonCom.h"

#include <QDir>
#include <QFile>
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

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    return 0;
}

qsizetype openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::System).size();
}

long largest(std::vector<long>::const_iterator begin, std::vector<long>::const_iterator end)
{
    return *std::max_element(begin, end);
}

// The codes the reader answered "0", added to its list, according to its
// log: a white-list add heard, and the answer sent right after it.
QSet<int> codesAdded(const QString& log)
{
    static const QRegularExpression heard(QStringLiteral(" RX \\d+ \\[[^]]*\\] reader 1 S: white list add (\\d{10})$"));
    QSet<int> added;
    const QStringList lines = log.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QRegularExpressionMatch match = heard.match(lines[i]);
        if (match.hasMatch() && lines[i + 1].endsWith(QLatin1String("] answer \"0\"")))
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
        std::vector<long> resident;
        int shown = 0;
        connect(ui.TxtRisposta, &QLineEdit::textChanged, this, [&] {
            if (++shown % SampleEvery == 0)
                resident.push_back(residentKb());
        });
        const qsizetype descriptors = openDescriptors();
        ui.Command11->click();  // Inserisci Badge
        QCOMPARE(shown, Codes);
        QCOMPARE(ui.TxtRisposta->text(), QString("0000032767 0"));
        QCOMPARE(openDescriptors(), descriptors);

        const QSet<int> added = codesAdded(line.log());
        QCOMPARE(added.size(), Codes);
        QVERIFY(std::all_of(added.begin(), added.end(), [](int code) { return code >= 0 && code < Codes; }));

        // The first tenth of the run against the last tenth.
        const auto tenth = static_cast<std::ptrdiff_t>(resident.size() / 10);
        const long early = largest(resident.cbegin(), resident.cbegin() + tenth);
        const long late = largest(resident.cend() - tenth, resident.cend());
        std::printf("console soak: %zu samples, resident %ld kB early, %ld kB late, %lld descriptors\n",
                    resident.size(), early, late, static_cast<long long>(descriptors));
        QVERIFY2(late - early <= ResidentSlackKb,
                 qPrintable(QStringLiteral("resident memory grew from %1 kB to %2 kB").arg(early).arg(late)));
        QVERIFY(line.simRunning());
    }
};

QTEST_MAIN(ConsoleSoakTest)
#include "ConsoleSoakTest.moc"
