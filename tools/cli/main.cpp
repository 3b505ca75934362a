#include "CliSession.h"
#include "CommandHelp.h"
#include "CommandLine.h"
#include "CommandNames.h"
#include "ConnectionSettings.h"
#include "DescriptorOutput.h"
#include "PortList.h"
#include "QtPort.h"
#include "StandardStreams.h"
#include "ThisProgramsFolders.h"
#include "modLettori.h"

#include <QCoreApplication>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <ostream>

using namespace lettore;

namespace {

// Standard output, with the reason a write to it failed.
DescriptorOutput outputBuffer(StandardStreams::Output);
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
    if (!StandardStreams::holdClosed()) {
        std::cerr << "lettore: standard output is closed; nothing was sent" << std::endl;
        return CliSession::ExitOutput;
    }
    QCoreApplication app(argc, argv);

    Invocation invocation;
    try {
        invocation = CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        std::cerr << "lettore: " << error.what() << std::endl;
        if (!error.usage().empty())
            std::cerr << error.usage() << std::endl;
        return CliSession::ExitUsage;
    }
    if (invocation.help) {
        output << (invocation.helpTopic ? CommandHelp::text(*invocation.helpTopic) : CommandLine::helpText());
        return outputChecked(0);
    }
    if (invocation.version) {
        output << "lettore " LETTORE_VERSION "\n";
        return outputChecked(0);
    }

    // Port numbers and the stored settings belong to the console's settings
    // folder.
    const std::filesystem::path folder = thisProgramsFolders().settings;
    const ConnectionSettings stored = ConnectionSettings::load(folder / ConnectionSettings::FileName);
    PortNaming naming(folder.string());
    if (invocation.command == &CommandNames::ports()) {
        const auto devices = PortList::devices();
        const auto links = PortList::links(folder);
        const std::string device = naming.devicePath(stored.NSeriale);
        output << (invocation.json ? PortList::json(devices, links, stored.NSeriale, device)
                                   : PortList::text(devices, links, stored.NSeriale, device));
        return outputChecked(0);
    }
    naming.pinDevice(invocation.device);

    static SteadyClock clock;
    installPlatform({[&] { return std::make_unique<QtPort>(naming); }, &clock, processQtEvents, {}});
    clsLettori& lettori = Lettori();
    return outputChecked(CliSession(lettori, invocation, stored, naming, output, std::cerr).run());
}
