#include "CliSession.h"
#include "CommandLine.h"
#include "ConnectionSettings.h"
#include "DescriptorOutput.h"
#include "QtPort.h"
#include "modLettori.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <ostream>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

using namespace lettore;

namespace {

// A standard descriptor left closed by the caller would be handed to the
// next file opened, the serial port among them, and text meant for the
// user would go down the line. Each closed one is held by /dev/null.
// Returns whether standard output was open.
bool holdStandardDescriptors()
{
    bool outputOpen = true;
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        outputOpen = outputOpen && fd != STDOUT_FILENO;
        ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    }
    return outputOpen;
}

// Standard output, with the reason a write to it failed.
DescriptorOutput outputBuffer(STDOUT_FILENO);
std::ostream output(&outputBuffer);

// A result that never reached standard output is a failure, whatever the
// command gave: a script would otherwise take silence for success.
int outputChecked(int status)
{
    output.flush();
    if (outputBuffer.error() == 0)
        return status;
    std::cerr << "lettore: cannot write to standard output: " << std::strerror(outputBuffer.error())
              << std::endl;
    return CliSession::ExitOutput;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (!holdStandardDescriptors()) {
        std::cerr << "lettore: standard output is closed; nothing was sent" << std::endl;
        return CliSession::ExitOutput;
    }
    QCoreApplication app(argc, argv);

    Invocation invocation;
    try {
        invocation = CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        std::cerr << "lettore: " << error.what() << std::endl;
        return CliSession::ExitUsage;
    }
    if (invocation.help) {
        output << CommandLine::helpText();
        return outputChecked(0);
    }

    // Port numbers and the stored settings belong to the program's folder,
    // as for the console.
    const std::string folder = QCoreApplication::applicationDirPath().toStdString();
    const ConnectionSettings stored = ConnectionSettings::load(folder + "/" + ConnectionSettings::FileName);
    PortNaming naming(folder);
    naming.pinDevice(invocation.device);

    static SteadyClock clock;
    installPlatform({[&] { return std::make_unique<QtPort>(naming); }, &clock, processQtEvents, {}});
    clsLettori& lettori = Lettori();
    return outputChecked(CliSession(lettori, invocation, stored, output, std::cerr).run());
}
