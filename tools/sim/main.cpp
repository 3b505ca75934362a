#include "LineCommand.h"
#include "SimOptions.h"
#include "VirtualLine.h"

#include <csignal>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <thread>

using namespace lettore::sim;

namespace {

VirtualLine* runningLine = nullptr;

void onSignal(int) { runningLine->stop(); }

// Standard input feeds commands to the line. The thread is left detached:
// it may sit in a blocking read when the line stops.
void readCommands(VirtualLine& line)
{
    for (std::string text; std::getline(std::cin, text);) {
        if (text.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        try {
            line.submit(LineCommand::parse(text));
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
        return 2;
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
            return 1;
        }
        log = logFile.get();
    }

    try {
        VirtualLine line(options.readers, options.line, log);
        if (!options.linkPath.empty())
            line.linkAs(options.linkPath);
        std::cout << line.slavePath() << std::endl;

        runningLine = &line;
        struct sigaction action{};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);

        std::thread(readCommands, std::ref(line)).detach();
        line.run();
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        runningLine = nullptr;
    } catch (const std::exception& error) {
        std::cerr << "lettore-sim: " << error.what() << std::endl;
        return 1;
    }
    return 0;
}
