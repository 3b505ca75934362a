// Range insertion of 1000 badge codes by `lettore` against the virtual
// reader: exchanges per second on an unpaced line, and on a line paced at
// the real byte time the ratio of measured time to pure wire time (each
// frame and answer at 10 bits a byte). Run by hand:
//   build/bin/lettore-bench-inserisci [CODES]

#include "Framing.h"
#include "LettoreProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

using namespace lettore;
using namespace lettore::test;

namespace {

constexpr int16_t Address = 1;

struct Measure {
    double seconds = 0;
    bool ok = false;
};

// One InserisciBadge of `codes` codes on a fresh line at `baud`.
Measure insertRange(int codes, int baud, bool paced)
{
    QTemporaryDir folder;
    const QString link = folder.filePath("COM9");
    QStringList simArguments{"--reader", QString("%1:baud=%2").arg(Address).arg(baud)};
    if (paced)
        simArguments << "--pace";
    SimProcess sim(link, simArguments);

    QElapsedTimer timer;
    timer.start();
    const ProgramRun run = runProgram(LETTORE_BIN,
                                      {"--port", link, "--baud", QString::number(baud), "--term",
                                       QString::number(Address), "InserisciBadge", "0",
                                       QString::number(codes - 1)},
                                      600000);
    const double seconds = timer.nsecsElapsed() / 1e9;
    const bool ok = run.status == 0
                    && run.out.find("accettati " + std::to_string(codes) + "\n") != std::string::npos;
    if (!ok)
        std::fprintf(stderr, "run failed (%d): %s%s\n", run.status, run.out.c_str(), run.err.c_str());
    return {seconds, ok};
}

// Bytes on the wire for one code: the CreaBadge frame and the reader's
// one-character status answer.
int bytesPerExchange()
{
    const std::string frame = Framing::sibrant2Frame(Address, "S", "41" + std::string(10, '0'));
    const std::string answer = Framing::sibrant2Frame(Address, "P", "0");
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

    const Measure unpaced = insertRange(codes, 9600, false);
    if (!unpaced.ok)
        return 1;
    std::printf("unpaced: %d codes in %.3f s, %.0f exchanges/s\n", codes, unpaced.seconds,
                codes / unpaced.seconds);

    for (int baud : {9600, 38400}) {
        const Measure paced = insertRange(codes, baud, true);
        if (!paced.ok)
            return 1;
        const double wire = codes * bytesPerExchange() * 10.0 / baud;
        std::printf("paced %5d baud: %d codes in %.3f s, wire time %.3f s, ratio %.3f (%+.1f%%)\n", baud,
                    codes, paced.seconds, wire, paced.seconds / wire, (paced.seconds / wire - 1) * 100);
    }
    return 0;
}
