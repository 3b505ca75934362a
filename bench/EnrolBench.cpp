// Enrolment of a badge list against the virtual reader at the real byte
// time (lettore-sim --pace), 9600 and 38400 baud: `lettore enrol` (every
// code added with CreaBadge, then every code read back with VerificaBadge)
// against the paced floor of the same exchanges (lettore-bench-floor with
// "verify": raw termios and poll), each timed as a whole process on a
// fresh line, median of the rounds; per code, and each over pure wire time
// (10 bits a byte). Aim: lettore within 5 % of the floor.
//   build/bin/lettore-bench-enrol [CODES] [ROUNDS]

#include "Frame.h"
#include "LettoreProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

using namespace lettore;
using namespace lettore::test;

namespace {

constexpr int16_t Address = 1;

// Seconds of one whole run of `program` on a fresh paced line at `baud`;
// negative when it failed. The list holds codes 0..codes-1, padded as a
// spreadsheet-safe export writes them.
double enrol(const QString& program, int codes, int baud)
{
    QTemporaryDir folder;
    const QString link = folder.filePath("COM9"), list = folder.filePath("lista.csv");
    std::ofstream out(list.toStdString());
    out << "Codice\n";
    for (int n = 0; n < codes; ++n)
        out << "=\"" << std::string(10 - std::to_string(n).size(), '0') << n << "\"\n";
    out.close();
    SimProcess sim(link, {"--reader", QString("%1:baud=%2").arg(Address).arg(baud), "--pace"});
    const QString rate = QString::number(baud), term = QString::number(Address);
    const bool lettore = program == LETTORE_BIN;
    const QStringList arguments = lettore ? QStringList{"--port", link, "--baud", rate, "--term", term, "enrol", list}
                                          : QStringList{link, rate, term, "0", QString::number(codes - 1), "verify"};
    QElapsedTimer timer;
    timer.start();
    const ProgramRun run = runProgram(program, arguments, 3600000);
    const double seconds = timer.nsecsElapsed() / 1e9;
    const std::string done = lettore ? "verificati " + std::to_string(codes) + "\ndiscordanti 0\n"
                                     : "accettati " + std::to_string(2 * codes) + "\n";
    if (run.status == 0 && run.out.find(done) != std::string::npos)
        return seconds;
    std::fprintf(stderr, "%s failed (%d): %s%s\n", qPrintable(program), run.status, run.out.c_str(), run.err.c_str());
    return -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Bytes on the wire for one code: CreaBadge and its one-character status
// answer, VerificaBadge and its answer.
int bytesPerCode()
{
    const std::string code(10, '0'), status = Frame::of(Address, "P", "0").encode();
    return static_cast<int>(Frame::of(Address, "S", "41" + code).encode().size()
                            + Frame::of(Address, "P", "7" + code).encode().size() + 2 * status.size());
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int codes = argc > 1 ? std::atoi(argv[1]) : 300;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    if (codes < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: %s [CODES] [ROUNDS]\n", argv[0]);
        return 64;
    }
    std::printf("enrolment of %d codes, paced, whole process, median of %d (aim: lettore 1.05x the floor at most):\n",
                codes, rounds);
    for (const int baud : {9600, 38400}) {
        std::vector<double> lettoreTimes, floorTimes;
        for (int round = 0; round < rounds; ++round) {
            lettoreTimes.push_back(enrol(LETTORE_BIN, codes, baud));
            floorTimes.push_back(enrol(LETTORE_FLOOR_BIN, codes, baud));
            if (lettoreTimes.back() < 0 || floorTimes.back() < 0)
                return 1;
        }
        const double cli = median(lettoreTimes), floor = median(floorTimes);
        const double wire = codes * bytesPerCode() * 10.0 / baud;
        std::printf("  %5d baud: a code %.2f ms on the wire, floor %.2f ms (%.3fx wire), lettore %.2f ms "
                    "(%.3fx wire, %.4fx the floor)\n",
                    baud, wire * 1e3 / codes, floor * 1e3 / codes, floor / wire, cli * 1e3 / codes, cli / wire,
                    cli / floor);
    }
    return 0;
}
