#include "LineCommand.h"
#include "PseudoTerminal.h"
#include "SimOptions.h"
#include "VirtualLine.h"

#include <atomic>
#include <csignal>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

using namespace lettore::sim;

namespace {

// The exit statuses of lettore: a wrong command line, a failed line or file.
constexpr int ExitUsage = 64;
constexpr int ExitIo = 74;

// The line being served. Signal handlers only read it; the command reader
// takes the mutex, so the line cannot go away under a submit.
std::atomic<VirtualLine*> runningLine = nullptr;
std::mutex runningLineMutex;

void onSignal(int)
{
    if (VirtualLine* line = runningLine)
        line->stop();
}

void setRunningLine(VirtualLine* line)
{
    std::lock_guard lock(runningLineMutex);
    runningLine = line;
}

void handleSignals(void (*handler)(int))
{
    struct sigaction action{};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// While it lives, signals and standard input reach `line`; it goes before
// the line does, however the program leaves.
class ServedLine {
public:
    explicit ServedLine(VirtualLine& line)
    {
        setRunningLine(&line);
        handleSignals(onSignal);
    }
    ~ServedLine()
    {
        handleSignals(SIG_DFL);
        setRunningLine(nullptr);
    }
    ServedLine(const ServedLine&) = delete;
    ServedLine& operator=(const ServedLine&) = delete;
};

// Standard input feeds commands to the line. The thread is left detached:
// it may sit in a blocking read when the line stops.
void readCommands()
{
    for (std::string text; std::getline(std::cin, text);) {
        if (text.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        try {
            const auto command = LineCommand::parse(text);
            std::lock_guard lock(runningLineMutex);
            if (VirtualLine* line = runningLine)
                line->submit(command);
        } catch (const std::invalid_argument& error) {
            std::cerr << "lettore-sim: " << error.what() << std::endl;
        }
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    SimOptions options;
    try {
        options = SimOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& error) {
        std::cerr << "lettore-sim: " << error.what() << std::endl;
        return ExitUsage;
    }
    if (options.help) {
        std::cout << SimOptions::helpText();
        return 0;
    }

    std::unique_ptr<std::ofstream> logFile;
    std::ostream* log = nullptr;
    if (options.logPath == "-") {
        log = &std::cerr;
    } else if (!options.logPath.empty()) {
        logFile = std::make_unique<std::ofstream>(options.logPath, std::ios::app);
        if (!*logFile) {
            std::cerr << "lettore-sim: cannot write " << options.logPath << std::endl;
            return ExitIo;
        }
        log = logFile.get();
    }

    // A link that leads to a line still served is another simulator's: the
    // host would lose that line without a word.
    if (const std::string device = lettore::PseudoTerminal::liveDeviceBehind(options.linkPath); !device.empty()) {
        std::cerr << "lettore-sim: " << options.linkPath << " leads to " << device
                  << ", a line still in use: stop the program that serves it or choose another --link"
                  << std::endl;
        return ExitIo;
    }
    try {
        VirtualLine line(options.readers, options.line, log);
        line.reportTo(&std::cout);
        // From here a signal stops the line and the link is removed.
        const ServedLine served(line);
        if (!options.linkPath.empty())
            line.linkAs(options.linkPath);
        std::cout << line.slavePath() << std::endl;

        std::thread(readCommands).detach();
        line.run();
    } catch (const std::exception& error) {
        std::cerr << "lettore-sim: " << error.what() << std::endl;
        return ExitIo;
    }
    return 0;
}
