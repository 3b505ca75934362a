// Range insertion of 1000 badge codes against the virtual reader, printed
// side by side in one run so the machine's noise falls on all alike, each
// program timed as a whole process on a fresh line:
// - unpaced: `lettore` against the floor of the line (lettore-bench-floor:
//   raw termios and poll) and a plain pyserial loop, median of 5 rounds;
// - paced at the real byte time, 9600 and 38400 baud: `lettore` against
//   the floor, each also over pure wire time (10 bits a byte), median of 3;
// - paced, `lettore` also through Debian's ser2net over RFC 2217 (its
//   byte batching, chardelay, off) against itself on the line directly;
// - the CPU time of one 5 s time-out of `lettore`.
// Run by hand:
//   build/bin/lettore-bench-inserisci [CODES]

#include "DeviceServer.h"
#include "Frame.h"
#include "LettoreProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <vector>

using namespace lettore;
using namespace lettore::test;

namespace {

constexpr int16_t Address = 1;

struct Measure {
    double seconds = 0;
    bool ok = false;
};

// A client of the range: its program and its arguments after the line's
// device and rate.
struct Client {
    const char* name;
    QString program;
    std::function<QStringList(const QString& device, int baud, int codes)> arguments;
};

QStringList lettoreArguments(const QString& device, int baud, int codes)
{
    return {"--port",
            device,
            "--baud",
            QString::number(baud),
            "--term",
            QString::number(Address),
            "InserisciBadge",
            "0",
            QString::number(codes - 1)};
}

QStringList plainArguments(const QString& device, int baud, int codes)
{
    return {device, QString::number(baud), QString::number(Address), "0", QString::number(codes - 1)};
}

const Client Lettore{"lettore", LETTORE_BIN, lettoreArguments};
const Client Floor{"floor (termios+poll)", LETTORE_FLOOR_BIN, plainArguments};
const Client Pyserial{"pyserial loop", "/usr/bin/python3", [](const QString& d, int b, int c) {
                          return QStringList{PYSERIAL_SCRIPT} + plainArguments(d, b, c);
                      }};

// One range of `codes` codes by `client` on a fresh line at `baud`, or
// through a device server in front of it.
Measure insertRange(const Client& client, int codes, int baud, bool paced, bool throughServer = false)
{
    QTemporaryDir folder;
    const QString link = folder.filePath("COM9");
    QStringList simArguments{"--reader", QString("%1:baud=%2").arg(Address).arg(baud)};
    if (paced)
        simArguments << "--pace";
    SimProcess sim(link, simArguments);
    std::optional<DeviceServer> server;
    if (throughServer) {
        server.emplace(sim.device().toStdString(), "    chardelay: false\n");
        if (!server->start())
            return {0, false};
    }

    QElapsedTimer timer;
    timer.start();
    const ProgramRun run
        = runProgram(client.program, client.arguments(server ? server->address() : link, baud, codes), 600000);
    const double seconds = timer.nsecsElapsed() / 1e9;
    const bool ok = run.status == 0 && run.out.find("accettati " + std::to_string(codes) + "\n") != std::string::npos;
    if (!ok)
        std::fprintf(stderr, "%s failed (%d): %s%s\n", client.name, run.status, run.out.c_str(), run.err.c_str());
    return {seconds, ok};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double cpuSecondsOfChildren()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Bytes on the wire for one code: the CreaBadge frame and the reader's
// one-character status answer.
int bytesPerExchange()
{
    const std::string frame = Frame::of(Address, "S", "41" + std::string(10, '0')).encode();
    const std::string answer = Frame::of(Address, "P", "0").encode();
    return static_cast<int>(frame.size() + answer.size());
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int codes = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (codes < 1) {
        std::fprintf(stderr, "usage: %s [CODES]\n", argv[0]);
        return 64;
    }

    // Start-up and port opening of one lettore run, for reference.
    QTemporaryDir folder;
    SimProcess sim(folder.filePath("COM9"), {"--reader", "1"});
    QElapsedTimer timer;
    timer.start();
    runProgram(LETTORE_BIN, {"--port", folder.filePath("COM9"), "SendACK"});
    std::printf("start-up of one run: %.1f ms\n", timer.nsecsElapsed() / 1e6);

    // Rounds alternate between the clients; the median of each is shown.
    constexpr int Rounds = 5;
    const Client* clients[] = {&Lettore, &Floor, &Pyserial};
    std::vector<double> times[3];
    for (int round = 0; round < Rounds; ++round)
        for (int c = 0; c < 3; ++c) {
            const Measure m = insertRange(*clients[c], codes, 9600, false);
            if (!m.ok)
                return 1;
            times[c].push_back(m.seconds);
        }
    double medians[3];
    for (int c = 0; c < 3; ++c)
        medians[c] = median(times[c]);
    std::printf("unpaced, %d codes, whole process, median of %d:\n", codes, Rounds);
    for (int c = 0; c < 3; ++c)
        std::printf("  %-22s %7.3f s  %6.0f exchanges/s  %.2fx the floor\n", clients[c]->name, medians[c],
                    codes / medians[c], medians[c] / medians[1]);

    // Paced: lettore and the floor in turns on fresh lines, median of each.
    constexpr int PacedRounds = 3;
    std::printf("paced at the real byte time, %d codes, median of %d (aim: lettore 1.01x the floor at most):\n", codes,
                PacedRounds);
    for (int baud : {9600, 38400}) {
        std::vector<double> lettoreTimes, floorTimes, networkTimes;
        for (int round = 0; round < PacedRounds; ++round) {
            const Measure cli = insertRange(Lettore, codes, baud, true);
            const Measure floor = insertRange(Floor, codes, baud, true);
            const Measure network = insertRange(Lettore, codes, baud, true, true);
            if (!cli.ok || !floor.ok || !network.ok)
                return 1;
            lettoreTimes.push_back(cli.seconds);
            floorTimes.push_back(floor.seconds);
            networkTimes.push_back(network.seconds);
        }
        const double cli = median(lettoreTimes), floor = median(floorTimes), network = median(networkTimes);
        const double wire = codes * bytesPerExchange() * 10.0 / baud;
        std::printf("  %5d baud: wire %.3f s, floor %.3f s (%.3fx wire), lettore %.3f s (%.3fx wire, "
                    "%.4fx the floor, %+.0f us an exchange)\n",
                    baud, wire, floor, floor / wire, cli, cli / wire, cli / floor, (cli - floor) * 1e6 / codes);
        std::printf(
            "  %5d baud through ser2net over RFC 2217: %.3f s, %.4fx lettore on the line (aim: 1.05x at most)\n", baud,
            network, network / cli);
    }

    // Nobody answers at address 9: one full time-out, start-up included.
    const double cpuBefore = cpuSecondsOfChildren();
    timer.restart();
    const ProgramRun timeOut
        = runProgram(LETTORE_BIN, {"--port", folder.filePath("COM9"), "--term", "9", "GetVersioneFirmware"});
    const double wall = timer.nsecsElapsed() / 1e9;
    const double cpu = cpuSecondsOfChildren() - cpuBefore;
    std::printf("5 s time-out: %.2f s wall, %.3f s CPU, %.2f%% of a core (exit %d)\n", wall, cpu, cpu / wall * 100,
                timeOut.status);
    return 0;
}
