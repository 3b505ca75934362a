// The longest range from the console on the real line: every code on the reader's list, memory and descriptors flat.
#include "Console.h"
#include "ConsoleOnPort.h"
#include "EventLoopTurns.h"
#include "LettoreProcess.h"
#include "MonCom.h"
#include "QtPort.h"
#include "ResourceSampler.h"

#include <QFile>
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

// The console as its program runs it (real port, steady clock, yield hook) on COM9, served by lettore-sim.
class ConsoleOnLine {
public:
    explicit ConsoleOnLine(const QStringList& simArguments)
        : m_turns(m_clock, processQtEvents),
          m_registry(std::make_unique<QtPort>(PortNaming(m_folder.path().toStdString())), m_clock, [this] { m_turns(); })
    {
        QFile settings(m_folder.filePath("Seriale.cfg"));
        if (!settings.open(QIODevice::WriteOnly) || settings.write(" 9 \r\n9600\r\n 1 \r\n") <= 0)
            qFatal("cannot write Seriale.cfg");
        settings.close();
        m_sim = std::make_unique<test::SimProcess>(m_folder.filePath("COM9"),
                                                   QStringList{"--log", m_folder.filePath("sim.log")} + simArguments);
        m_console = std::make_unique<Console>(m_registry, &m_dialogs);
        m_console->Form_Load(m_folder.path().toStdString());
        m_console->window().show();
    }
    ~ConsoleOnLine() { m_console.reset(); }  // the console before the port

    const Ui::frmSibrant& ui() { return m_console->window().ui(); }
    bool simRunning() const { return m_sim->running(); }
    QString log() const  // the simulator's log so far
    {
        QFile file(m_folder.filePath("sim.log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
    }

private:
    QTemporaryDir m_folder;
    SteadyClock m_clock;
    EventLoopTurns m_turns;
    std::unique_ptr<test::SimProcess> m_sim;
    clsLettori m_registry;
    test::RecordingDialogs m_dialogs;
    std::unique_ptr<Console> m_console;
};

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
