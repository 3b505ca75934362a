#include "CommandInput.h"
#include "EndSignals.h"
#include "LineCommand.h"
#include "LineServer.h"
#include "PseudoTerminal.h"
#include "SimOptions.h"
#include "VirtualLine.h"

#include <cerrno>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <unistd.h>

using namespace lettore::sim;

namespace {

// The exit statuses of lettore: a wrong command line, a failed line or file.
constexpr int ExitUsage = 64;
constexpr int ExitIo = 74;

// The line standard input feeds. The command reader takes the mutex, so the
// line cannot go away under a submit.
VirtualLine* runningLine = nullptr;
std::mutex runningLineMutex;

void tell(const std::string& text) { std::cerr << "lettore-sim: " << text << std::endl; }

// While it lives, standard input reaches `line`; it goes before the line
// does, however the program leaves.
class ServedLine {
public:
    explicit ServedLine(VirtualLine& line)
    {
        std::lock_guard lock(runningLineMutex);
        runningLine = &line;
    }
    ~ServedLine()
    {
        std::lock_guard lock(runningLineMutex);
        runningLine = nullptr;
    }
    ServedLine(const ServedLine&) = delete;
    ServedLine& operator=(const ServedLine&) = delete;
};

void submit(const std::string& text)
{
    if (text.find_first_not_of(" \t") == std::string::npos)
        return;
    try {
        const auto command = LineCommand::parse(text);
        std::lock_guard lock(runningLineMutex);
        if (runningLine)
            runningLine->submit(command);
    } catch (const std::invalid_argument& error) {
        tell(error.what());
    }
}

// Standard input feeds commands to the line, a line at a time and within
// CommandInput's bounds. The thread is left detached: it may sit in a
// blocking read when the line stops.
void readCommands()
{
    CommandInput input;
    std::vector<char> buffer(CommandInput::MaxLineBytes);
    while (!input.givenUp()) {
        const ssize_t got = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (const auto last = input.finish())
                submit(last->text);
            return;
        }
        for (const CommandInput::Line& line : input.feed(std::string_view(buffer.data(), static_cast<size_t>(got)))) {
            if (line.kind == CommandInput::Line::Kind::Command)
                submit(line.text);
            else if (line.kind == CommandInput::Line::Kind::TooLong)
                tell("a command line longer than " + std::to_string(CommandInput::MaxLineBytes) + " bytes is refused");
            else
                tell("standard input sent " + std::to_string(CommandInput::MaxDroppedBytes)
                     + " bytes without a line end: it is read no more");
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
        tell(error.what());
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
                  << ", a line still in use: stop the program that serves it or choose another --link" << std::endl;
        return ExitIo;
    }
    try {
        VirtualLine line(options.readers, options.line, log);
        line.reportTo(&std::cout);
        line.tellProblemsTo(tell);
        // From here a request to end stops the line and the link is removed.
        const lettore::EndSignals endRequests;
        line.stopWhenReadable(endRequests.fd());
        const ServedLine served(line);
        if (!options.linkPath.empty())
            line.linkAs(options.linkPath);
        if (!options.listen.empty()) {
            // It serves until the program ends; its thread may be in accept() then.
            const std::string device = options.linkPath.empty() ? line.slavePath() : options.linkPath;
            auto* server = new LineServer(*lettore::NetworkAddress::parse(options.listen), [device] { return device; });
            server->start();
        }
        std::cout << line.slavePath() << std::endl;

        std::thread(readCommands).detach();
        line.run();
    } catch (const std::exception& error) {
        tell(error.what());
        return ExitIo;
    }
    return 0;
}
