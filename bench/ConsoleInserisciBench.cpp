// "Inserisci Badge" from the console, with the communications monitor
// shown, against `lettore InserisciBadge` on the same virtual reader in the
// same run, beside the floor of the line (raw termios and poll): on an
// unpaced line (the command line's time over the floor's, the console's over
// the command line's) and on lines paced at 9600 and 38400 baud (each over
// the floor's). The console runs in this process on the real serial port,
// with the program's own yield hook, so the run also tells where its time
// goes: the relay of the link's events into the monitor, the event loop's
// turns during the waits, and the monitor's pieces one by one. Run by hand:
//   build/bin/lettore-bench-console [CODES] [--unpaced-only]
// Offscreen unless QT_QPA_PLATFORM says otherwise; under
// tests/support/with-desktop.sh the windows are drawn on a virtual X display.

#include "Console.h"
#include "Dialogs.h"
#include "EventLoopTurns.h"
#include "LettoreProcess.h"
#include "LinkEvents.h"
#include "MonCom.h"
#include "PortOpening.h"
#include "QtPort.h"
#include "modLettori.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

using namespace lettore;
using namespace lettore::test;

namespace {

constexpr int PortNumber = 9;
constexpr int UnpacedBaud = 9600;
constexpr int PacedBauds[] = {9600, 38400};
constexpr int UnpacedRounds = 5;
constexpr int PacedRounds = 3;

// Time spent between two points, summed over many passes.
struct Tally {
    qint64 ns = 0;
    long count = 0;

    double microsEach() const { return count ? ns / 1e3 / count : 0; }
    void add(qint64 elapsed)
    {
        ns += elapsed;
        ++count;
    }
};

// Two listeners around the console's own on the link: the first starts a
// clock at each transmission, reception and time-out, the second, called
// after the console's relay, stops it. Also the time from each answer to
// the next command, which the line does not cover.
class RelayClock {
public:
    Tally tally;
    Tally answerToCommand;

    LinkEvents& before() { return m_before; }
    LinkEvents& after() { return m_after; }

private:
    struct Edge : LinkEvents {
        explicit Edge(std::function<void(bool transmission)> mark) : mark(std::move(mark)) { }
        std::function<void(bool)> mark;
        void ComTX(const std::string&) override { mark(true); }
        void ComRX(const std::string&) override { mark(false); }
        void ComTO() override { mark(false); }
    };

    QElapsedTimer m_timer;
    QElapsedTimer m_sinceAnswer;
    Edge m_before{[this](bool transmission) {
        if (transmission && m_sinceAnswer.isValid())
            answerToCommand.add(m_sinceAnswer.nsecsElapsed());
        m_timer.start();
    }};
    Edge m_after{[this](bool transmission) {
        tally.add(m_timer.nsecsElapsed());
        if (transmission)
            m_sinceAnswer.invalidate();
        else
            m_sinceAnswer.start();
    }};
};

Tally g_turns;

void timedTurn()
{
    QElapsedTimer timer;
    timer.start();
    processQtEvents();
    g_turns.add(timer.nsecsElapsed());
}

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// CPU time of the child processes waited for so far.
double childrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double loadAverage()
{
    double load = 0;
    if (FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1)
            load = 0;
        std::fclose(file);
    }
    return load;
}

// Nothing asks the user anything in a run; if something does, it is said.
class PrintedDialogs : public Dialogs {
public:
    void message(const QString& text, Icon) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
    std::optional<QString> askPassword(const QString&, const QString&) override { return std::nullopt; }
};

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;
    Tally relay;
    Tally answerToCommand;
    Tally turns;
    bool ok = false;
};

QString lastCode(int codes) { return QStringLiteral("%1").arg(codes - 1, 10, 10, QChar('0')); }

// The console started in `folder` (Seriale.cfg: port 9, `baud`, terminal
// 1) with its monitor shown; "Inserisci Badge" from 0 to codes-1.
Run consoleRange(const QString& folder, int codes, int baud)
{
    {
        QFile settings(QDir(folder).filePath("Seriale.cfg"));
        if (!settings.open(QIODevice::WriteOnly))
            return {};
        settings.write(QStringLiteral(" %1 \r\n%2\r\n 1 \r\n").arg(PortNumber).arg(baud).toLatin1());
    }
    RelayClock clock;
    clsComunicazioni& link = Lettori().Comunicazione();
    link.subscribe(&clock.before());
    PrintedDialogs dialogs;
    Run run;
    {
        Console console(Lettori(), &dialogs);
        link.subscribe(&clock.after());
        console.Form_Load(folder.toStdString());
        console.window().show();
        const auto& ui = console.window().ui();
        // A click starts its command from the event loop: run the loop until it is over.
        const auto clickThrough = [&console](QAbstractButton* button) {
            button->click();
            while (!console.gate().idle())
                QApplication::processEvents(QEventLoop::AllEvents, 1);
        };
        clickThrough(ui.Command8);
        for (int i = 0; i < 10; ++i)
            QApplication::processEvents();
        ui.TxtDa->setText("0");
        ui.TxtA->setText(QString::number(codes - 1));

        g_turns = {};
        const double cpu = processCpuSeconds();
        QElapsedTimer timer;
        timer.start();
        clickThrough(ui.Command11);
        run.seconds = timer.nsecsElapsed() / 1e9;
        run.cpuSeconds = processCpuSeconds() - cpu;
        run.relay = clock.tally;
        run.answerToCommand = clock.answerToCommand;
        run.turns = g_turns;
        run.ok = ui.TxtRisposta->text().startsWith(lastCode(codes) + " ");
        if (!run.ok)
            std::fprintf(stderr, "console run failed: TxtRisposta %s\n", qPrintable(ui.TxtRisposta->text()));
        link.setAttivo(false);
    }
    link.unsubscribe(&clock.after());
    link.unsubscribe(&clock.before());
    return run;
}

Run cliRange(const QString& link, int codes, int baud)
{
    const double cpu = childrenCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    const ProgramRun program = runProgram(LETTORE_BIN,
                                          {"--port", link, "--baud", QString::number(baud), "--term", "1",
                                           "InserisciBadge", "0", QString::number(codes - 1)},
                                          600000);
    Run run;
    run.seconds = timer.nsecsElapsed() / 1e9;
    run.cpuSeconds = childrenCpuSeconds() - cpu;
    run.ok
        = program.status == 0 && program.out.find("TxtRisposta " + lastCode(codes).toStdString()) != std::string::npos;
    if (!run.ok)
        std::fprintf(stderr, "lettore failed (%d): %s%s\n", program.status, program.out.c_str(), program.err.c_str());
    return run;
}

// The floor of the line on the same reader: raw termios and poll.
Run floorRange(const QString& link, int codes, int baud)
{
    QElapsedTimer timer;
    timer.start();
    const ProgramRun program
        = runProgram(LETTORE_FLOOR_BIN, {link, QString::number(baud), "1", "0", QString::number(codes - 1)}, 600000);
    Run run;
    run.seconds = timer.nsecsElapsed() / 1e9;
    run.ok = program.status == 0;
    if (!run.ok)
        std::fprintf(stderr, "floor failed (%d): %s%s\n", program.status, program.out.c_str(), program.err.c_str());
    return run;
}

bool fasterRun(const Run& a, const Run& b) { return a.seconds < b.seconds; }

// The run of median time among `runs`.
Run median(std::vector<Run> runs)
{
    std::sort(runs.begin(), runs.end(), fasterRun);
    return runs[runs.size() / 2];
}

void printRun(const char* who, int codes, const Run& run)
{
    std::printf("  %-8s %7.3f s, %6.0f us an exchange, %4.0f us of CPU an exchange\n", who, run.seconds,
                run.seconds * 1e6 / codes, run.cpuSeconds * 1e6 / codes);
    if (run.relay.count)
        std::printf("           relay %.1f us an event (%ld events); %ld event loop turns of %.0f us, "
                    "%.1f us an exchange; %.0f us from an answer to the next command\n",
                    run.relay.microsEach(), run.relay.count, run.turns.count, run.turns.microsEach(),
                    run.turns.ns / 1e3 / codes, run.answerToCommand.microsEach());
}

// The monitor's pieces as one exchange uses them, each timed over `passes`
// exchanges, with the monitor shown: the command and answer views asked for
// (their boxes are written at the next turn), the lamps lit again while lit
// (as at full speed) and switched (as after a pause), and a turn of the
// event loop that writes the boxes and paints.
void monitorPieces(int passes)
{
    MonCom& monitor = MonCom::instance();
    monitor.show();
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();
    const std::string frames[2] = {std::string("\x02"
                                               "01410000000001\x03\x04",
                                               17),
                                   std::string("\x02"
                                               "01410000000002\x03\x07",
                                               17)};
    const std::string answers[2] = {std::string("\x02"
                                                "0!0\x03\x20",
                                                6),
                                    std::string("\x02"
                                                "0!1\x03\x21",
                                                6)};
    const auto time = [passes](const char* what, const std::function<void(int)>& step) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < passes; ++i)
            step(i);
        std::printf("  %-48s %7.1f us\n", what, timer.nsecsElapsed() / 1e3 / passes);
    };
    std::printf("monitor pieces, each call:\n");
    time("command view asked for", [&](int i) { monitor.setTextComando(frames[i % 2]); });
    time("answer view asked for, another answer", [&](int i) { monitor.setRisposta(answers[i % 2]); });
    time("answer view asked for, the same answer again", [&](int) { monitor.setRisposta(answers[0]); });
    time("transmit and receive lamps lit while lit", [&](int) {
        monitor.AttivaLed_TX();
        monitor.AttivaLed_RX();
    });
    time("time-out lamp lit, then put out by a reception", [&](int) {
        monitor.AttivaLed_TO();
        monitor.AttivaLed_RX();
    });
    time("command view and a turn that writes and paints it", [&](int i) {
        monitor.setTextComando(frames[i % 2]);
        QApplication::processEvents();
    });
    MonCom::unload();
}

}  // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);
    const bool paced = !arguments.contains("--unpaced-only");
    const int codes = arguments.isEmpty() || arguments[0].startsWith("--") ? 1000 : arguments[0].toInt();
    if (codes < 1 || codes > 32768) {
        std::fprintf(stderr, "usage: %s [CODES] [--unpaced-only]\n", argv[0]);
        return 64;
    }
    QTemporaryDir folder;
    const QString link = folder.filePath(QStringLiteral("COM%1").arg(PortNumber));
    // The console program's own yield hook, each turn timed.
    SteadyClock clock;
    EventLoopTurns turns(clock, timedTurn);
    installPlatform({portOpener(PortNaming(folder.path().toStdString())), &clock, [&] { turns(); }, {}});
    std::printf("platform %s, %d codes, load average %.2f on %d cores\n", qPrintable(QApplication::platformName()),
                codes, loadAverage(), QThread::idealThreadCount());

    int status = 0;
    {
        std::printf("unpaced line, the fastest of %d runs each, taken in turns:\n", UnpacedRounds);
        SimProcess sim(link, {"--reader", "1"});
        Run floor, cli, console;
        floor.seconds = cli.seconds = console.seconds = 1e9;
        for (int round = 0; round < UnpacedRounds; ++round) {
            const Run floorRun = floorRange(link, codes, UnpacedBaud);
            const Run cliRun = cliRange(link, codes, UnpacedBaud);
            const Run consoleRun = consoleRange(folder.path(), codes, UnpacedBaud);
            if (!floorRun.ok || !cliRun.ok || !consoleRun.ok)
                return 1;
            floor = std::min(floor, floorRun, fasterRun);
            cli = std::min(cli, cliRun, fasterRun);
            console = std::min(console, consoleRun, fasterRun);
        }
        std::printf("  %-8s %7.3f s, %6.0f us an exchange\n", "floor", floor.seconds, floor.seconds * 1e6 / codes);
        printRun("lettore", codes, cli);
        printRun("console", codes, console);
        const double overFloor = cli.seconds / floor.seconds;
        const double ratio = console.seconds / cli.seconds;
        std::printf("  lettore / floor: %.2f (aim: 1.3 at most); console / lettore: %.2f (aim: 1.5 at most)\n",
                    overFloor, ratio);
        if (overFloor > 1.3 || ratio > 1.5)
            status = 2;
    }
    if (paced) {
        struct Paced {
            int baud;
            double wire;
            Run floor, cli, console;
        };
        std::vector<Paced> table;
        for (const int baud : PacedBauds) {
            std::printf("line paced at %d baud, median of %d runs each, taken in turns:\n", baud, PacedRounds);
            SimProcess sim(link, {"--reader", QStringLiteral("1:baud=%1").arg(baud), "--pace"});
            std::vector<Run> floors, clis, consoles;
            for (int round = 0; round < PacedRounds; ++round) {
                floors.push_back(floorRange(link, codes, baud));
                clis.push_back(cliRange(link, codes, baud));
                consoles.push_back(consoleRange(folder.path(), codes, baud));
                if (!floors.back().ok || !clis.back().ok || !consoles.back().ok)
                    return 1;
            }
            // Each code: the 17-byte CreaBadge frame and the 6-byte status
            // answer, 10 bits a byte.
            const Paced row{baud, codes * (17 + 6) * 10.0 / baud, median(floors), median(clis), median(consoles)};
            printRun("lettore", codes, row.cli);
            printRun("console", codes, row.console);
            table.push_back(row);
        }
        std::printf("%d CreaBadge exchanges, time over the floor's (aim: lettore 1.01, console 1.02 at most):\n",
                    codes);
        std::printf("  %6s %10s %10s %10s %7s %10s %7s\n", "baud", "wire", "floor", "lettore", "", "console", "");
        for (const Paced& row : table) {
            const double floor = row.floor.seconds;
            std::printf("  %6d %8.3f s %8.3f s %8.3f s %6.3fx %8.3f s %6.3fx\n", row.baud, row.wire, floor,
                        row.cli.seconds, row.cli.seconds / floor, row.console.seconds, row.console.seconds / floor);
            if (row.cli.seconds / floor > 1.01 || row.console.seconds / floor > 1.02)
                status = 2;
        }
    }
    monitorPieces(codes);
    releaseLettori();
    return status;
}
