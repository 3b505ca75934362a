// Cost of the serial link on a real pseudo-terminal: exchanges per second
// and CPU time per exchange against a reader that answers at once, and the
// CPU time spent during one full answer time-out.
//
// Usage: lettore-bench-link [exchanges]   (default 2000)

#include "CpuTime.h"
#include "Frame.h"
#include "PortOpening.h"
#include "PseudoTerminal.h"
#include "QtPort.h"
#include "ScriptedPeer.h"
#include "clsComunicazioni.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

using namespace lettore;

namespace {

// CPU time of the calling thread: the link's own share, without the peer.
double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Wall time, CPU time of the process and of the link's thread over a stretch.
class Meter {
public:
    Meter()
        : m_start(std::chrono::steady_clock::now()), m_process(test::processCpuSeconds()), m_thread(threadCpuSeconds())
    { }
    double wallSeconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }
    double processSeconds() const { return test::processCpuSeconds() - m_process; }
    double threadSeconds() const { return threadCpuSeconds() - m_thread; }

private:
    std::chrono::steady_clock::time_point m_start;
    double m_process;
    double m_thread;
};

int16_t firmwareVersion(clsComunicazioni& link)
{
    int16_t esito = -1;
    std::string Risposta;
    link.Sibrant2(1, "P", "2", esito, Risposta);
    return esito;
}

bool runExchanges(clsComunicazioni& link, int count, const char* how)
{
    const Meter meter;
    for (int i = 0; i < count; ++i) {
        if (const int16_t esito = firmwareVersion(link); esito != Esito::Accepted) {
            std::printf("exchange %d ended with esito %d\n", i, esito);
            return false;
        }
    }
    const double wall = meter.wallSeconds();
    std::printf("%d exchanges, %s: %.2f s, %.0f exchanges per second, "
                "CPU %.3f ms per exchange (link thread %.3f ms)\n",
                count, how, wall, count / wall, meter.processSeconds() * 1000 / count,
                meter.threadSeconds() * 1000 / count);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: %s [exchanges]\n", argv[0]);
        return 2;
    }

    QTemporaryDir folder;
    PseudoTerminal line;
    line.linkAs(folder.path().toStdString() + "/COM1");
    test::ScriptedPeer reader(line);
    const std::string version = "\x02"
                                "01"
                                "SIB2 V1.04      "
                                "\x03";
    reader.expect(
        {.request = Frame::of(1, "P", "2").encode(), .reply = version + Frame::check(version), .repeat = true});

    SteadyClock clock;
    clsComunicazioni link(portOpener(PortNaming(folder.path().toStdString())), clock, processQtEvents);
    link.setCommPort(1);
    link.setCommSettings("9600,N,8,1");

    if (!runExchanges(link, count, "port opened and closed for each"))
        return 1;
    link.setAttivo(true);
    if (!runExchanges(link, count, "port kept open"))
        return 1;

    // A request the reader does not answer: one full time-out.
    const Meter meter;
    int16_t esito = -1;
    std::string Risposta;
    link.Sibrant2(1, "P", "9", esito, Risposta);
    const double wall = meter.wallSeconds();
    std::printf("one time-out (esito %d): %.0f ms, CPU %.1f ms (link thread %.1f ms), "
                "%.3f%% of one core\n",
                esito, wall * 1000, meter.processSeconds() * 1000, meter.threadSeconds() * 1000,
                meter.processSeconds() / wall * 100);
    return esito == Esito::TimedOut ? 0 : 1;
}
