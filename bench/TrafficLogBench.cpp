// The traffic log's cost. A range insertion from the console, in-process on
// the real port tapped as the console program taps it, against the virtual
// reader: with the log window open and with it closed, in turns in the same
// run (aim: open within 1.2 times closed). Then the memory that 100,000
// rows take, and the time to show them. Run by hand on a quiet machine:
//   build/bin/lettore-bench-traffic-log [CODES]

#include "Console.h"
#include "Dialogs.h"
#include "EventLoopTurns.h"
#include "LettoreProcess.h"
#include "PortOpening.h"
#include "QtPort.h"
#include "TrafficFeed.h"
#include "TrafficLogOpener.h"
#include "modLettori.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <unistd.h>

#include <cstdio>
#include <fstream>

using namespace lettore;
using namespace lettore::test;

namespace {

constexpr int PortNumber = 9;
constexpr int Rounds = 5;

class SilentDialogs : public Dialogs {
public:
    void message(const QString& text, Icon) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
    std::optional<QString> askPassword(const QString&, const QString&) override { return std::nullopt; }
};

// Resident memory of this process, in bytes.
long long residentBytes()
{
    long long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// Seconds the range 0 .. codes-1 takes from the console; negative when it failed.
double consoleRange(const QString& folder, int codes, TrafficLogModel& log, bool logOpen)
{
    QFile settings(QDir(folder).filePath("Seriale.cfg"));
    if (!settings.open(QIODevice::WriteOnly))
        return -1;
    settings.write(QStringLiteral(" %1 \r\n9600\r\n 1 \r\n").arg(PortNumber).toLatin1());
    settings.close();
    SilentDialogs dialogs;
    Console console(Lettori(), &dialogs);
    TrafficLogOpener opener(log, console.window());
    console.Form_Load(folder.toStdString());
    console.window().show();
    if (logOpen)
        opener.open();
    const auto& ui = console.window().ui();
    ui.TxtDa->setText("0");
    ui.TxtA->setText(QString::number(codes - 1));
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    ui.Command11->click();
    const double seconds = timer.nsecsElapsed() / 1e9;
    const bool ok = ui.TxtRisposta->text().startsWith(QStringLiteral("%1 ").arg(codes - 1, 10, 10, QChar('0')));
    Lettori().Comunicazione().setAttivo(false);
    return ok ? seconds : -1;
}

void hundredThousandRows()
{
    TrafficLogModel model;
    TrafficFeed feed([&](std::vector<TrafficRow>&& rows) { model.append(std::move(rows)); });
    const long long before = residentBytes();
    const std::string command("\x02" "01410000000001\x03\x04", 17);
    const std::string answer("\x02" "0!0\x03\x20", 6);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < TrafficLogModel::DefaultCapacity / 2 + 10; ++i) {
        feed.traffic(TrafficRow::Direction::Sent, "2026-12-06T23:16:45.669Z", command);
        feed.traffic(TrafficRow::Direction::Received, "2026-12-06T23:16:45.671Z", answer);
    }
    model.showWaiting();
    const double decoding = timer.nsecsElapsed() / 1e9;
    QWidget main;
    TrafficLogOpener opener(model, main);
    timer.start();
    opener.open();
    opener.window()->grab();
    std::printf("%d rows (%lld dropped): %.1f MB resident, %.0f bytes a row; decoded and held in %.2f s, "
                "the window shown in %.3f s\n",
                model.rowCount(), model.dropped(), (residentBytes() - before) / 1e6,
                double(residentBytes() - before) / model.rowCount(), decoding, timer.nsecsElapsed() / 1e9);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int codes = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (codes < 1 || codes > 32768) {
        std::fprintf(stderr, "usage: %s [CODES]\n", argv[0]);
        return 64;
    }
    QTemporaryDir folder;
    const QString link = folder.filePath(QStringLiteral("COM%1").arg(PortNumber));
    TrafficLogModel log;
    TrafficFeed traffic([&](std::vector<TrafficRow>&& rows) { log.append(std::move(rows)); });
    SteadyClock clock;
    EventLoopTurns turns(clock, processQtEvents);
    installPlatform({PortTap::tapping(portOpener(PortNaming(folder.path().toStdString())), &traffic), &clock, [&] { turns(); }, {}});
    Lettori().Comunicazione().subscribe(&traffic);

    int status = 0;
    {
        SimProcess sim(link, {"--reader", "1"});
        double open = 1e9, closed = 1e9;
        for (int round = 0; round < Rounds; ++round) {
            const double closedRun = consoleRange(folder.path(), codes, log, false);
            const double openRun = consoleRange(folder.path(), codes, log, true);
            if (closedRun < 0 || openRun < 0)
                return 1;
            closed = std::min(closed, closedRun);
            open = std::min(open, openRun);
        }
        std::printf("range of %d codes from the console, fastest of %d runs each, taken in turns:\n"
                    "  log closed %.3f s, log open %.3f s, open / closed %.2f (aim: 1.2 at most)\n",
                    codes, Rounds, closed, open, open / closed);
        if (open / closed > 1.2)
            status = 2;
    }
    Lettori().Comunicazione().unsubscribe(&traffic);
    releaseLettori();
    hundredThousandRows();
    return status;
}
