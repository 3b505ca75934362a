#include "CliSession.h"
#include "CommandHelp.h"
#include "CommandLine.h"
#include "CommandNames.h"
#include "ConnectionSettings.h"
#include "DescriptorOutput.h"
#include "EndRequests.h"
#include "PcapngCapture.h"
#include "PortList.h"
#include "PortOpening.h"
#include "PortTable.h"
#include "PortTap.h"
#include "QtPort.h"
#include "ReaderStatistics.h"
#include "StandardStreams.h"
#include "ThisProgramsFolders.h"
#include "TraceFile.h"
#include "TrafficCapture.h"
#include "TrafficFeed.h"
#include "TrafficText.h"
#include "modLettori.h"

#include <QCoreApplication>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
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
    std::cerr << "lettore: cannot write to standard output: " << std::strerror(outputBuffer.error()) << std::endl;
    return CliSession::ExitOutput;
}

int usageFailure(const UsageError& error)
{
    std::cerr << "lettore: " << error.what() << std::endl;
    if (!error.usage().empty())
        std::cerr << error.usage() << std::endl;
    return CliSession::ExitUsage;
}

// The settings folder, told on standard error when the usual one cannot be
// had: "" when none can, and then nothing is read from any folder.
std::filesystem::path settingsFolder()
{
    const ProgramFolders folders = thisProgramsFolders();
    if (!folders.unusable.empty())
        std::cerr << "lettore: cannot use the settings folder " << folders.unusable.string() << " ("
                  << folders.unusableReason << "); "
                  << (folders.settings.empty() ? "Seriale.cfg and COM<N> links are not used"
                                               : "using " + folders.settings.string())
                  << std::endl;
    return folders.settings;
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
        return usageFailure(error);
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
    const std::filesystem::path folder = settingsFolder();
    const ConnectionSettings stored
        = folder.empty() ? ConnectionSettings{} : ConnectionSettings::load(folder / ConnectionSettings::FileName);
    try {
        CommandLine::checkTerminal(invocation, stored.Terminale);
    } catch (const UsageError& error) {
        return usageFailure(error);
    }
    PortNaming naming(folder.string());
    // Network ports by number: the port table beside Seriale.cfg.
    const PortTable table = folder.empty() ? PortTable() : PortTable::load(folder / PortTable::FileName);
    if (invocation.command == &CommandNames::ports()) {
        const auto devices = PortList::devices();
        auto links = PortList::links(folder);
        const auto network = PortList::networkPorts(table);
        links.insert(links.end(), network.begin(), network.end());
        const auto tableAddress = table.address(stored.NSeriale);
        const std::string device = tableAddress ? tableAddress->text() : naming.devicePath(stored.NSeriale);
        output << (invocation.json ? PortList::json(devices, links, stored.NSeriale, device)
                                   : PortList::text(devices, links, stored.NSeriale, device));
        return outputChecked(0);
    }
    for (const std::string& problem : table.problems())
        std::cerr << "lettore: " << PortTable::FileName << " " << problem << std::endl;
    // A port number in the table is its address, named as such in failures.
    std::optional<NetworkAddress> address = NetworkAddress::parse(invocation.device);
    if (invocation.device.empty())
        if ((address = table.address(invocation.portNumber.value_or(stored.NSeriale))))
            invocation.device = address->text();
    if (!address)
        naming.pinDevice(invocation.device);

    // The trace: the port tapped, its bytes decoded into rows as they come.
    TraceFile traceFile;
    if (!invocation.traceFile.empty()) {
        if (const std::string refusal = traceFile.open(invocation.traceFile); !refusal.empty()) {
            std::cerr << "lettore: cannot write the trace to " << invocation.traceFile << ": " << refusal << std::endl;
            return CliSession::ExitOutput;
        }
        // A reader of the file that stops reading holds no request to end.
        traceFile.giveUpWhen([] { return EndRequests::signal() != 0; });
    }
    // The capture: the same rows as pcapng packets.
    TraceFile captureFile;
    if (!invocation.captureFile.empty()) {
        if (const std::string refusal = captureFile.open(invocation.captureFile); !refusal.empty()) {
            std::cerr << "lettore: cannot write the capture to " << invocation.captureFile << ": " << refusal
                      << std::endl;
            return CliSession::ExitOutput;
        }
        captureFile.giveUpWhen([] { return EndRequests::signal() != 0; });
        captureFile.write(PcapngCapture::header());
    }
    TrafficAnalyser analyser;
    ReaderStatistics statistics;
    // collaudo keeps the rows of its exchanges for its reports.
    TrafficCapture capture;
    const bool collaudo = invocation.command == &CommandNames::collaudo();
    std::optional<TrafficFeed> trace;
    if (invocation.trace || traceFile.isOpen() || captureFile.isOpen() || invocation.stats || collaudo)
        trace.emplace([&](std::vector<TrafficRow>&& rows) {
            capture.offer(rows);
            for (const TrafficRow& row : rows) {
                if (invocation.stats)
                    statistics.add(row, analyser.next(row));
                if (captureFile.isOpen())
                    captureFile.write(PcapngCapture::packet(row));
                if (!invocation.trace && !traceFile.isOpen())
                    continue;
                const std::string line = TrafficText::line(row) + '\n';
                if (invocation.trace)
                    std::cerr << line;
                traceFile.write(line);
            }
            std::cerr.flush();
            traceFile.flush();
            captureFile.flush();
        });
    // An address given with --port is reached whatever number the link asks for, as a device is.
    PortOpener openPort
        = portOpener(naming, table, [](const std::string& notice) { std::cerr << "lettore: " << notice << std::endl; });
    if (address)
        openPort = [opener = std::move(openPort), text = address->text()](const std::string&) { return opener(text); };
    if (trace)
        openPort = PortTap::tapping(std::move(openPort), &*trace);

    static SteadyClock clock;
    installPlatform({std::move(openPort), &clock, processQtEvents, {}});
    clsLettori& lettori = Lettori();
    int status
        = CliSession(
              lettori, clock, invocation, stored, naming, output, std::cerr, trace ? &*trace : nullptr,
              [&traceFile, &captureFile] { return traceFile.error() != 0 || captureFile.error() != 0; }, &capture)
              .run();
    // The port's last bytes are told while the trace still lives.
    releaseLettori();
    if (trace)
        trace->flush();
    // A trace that could not be written fails the run, as standard output does.
    if (traceFile.error() != 0) {
        std::cerr << "lettore: cannot write the trace to " << invocation.traceFile << ": "
                  << std::strerror(traceFile.error()) << std::endl;
        status = CliSession::ExitOutput;
    }
    if (captureFile.error() != 0) {
        std::cerr << "lettore: cannot write the capture to " << invocation.captureFile << ": "
                  << std::strerror(captureFile.error()) << std::endl;
        status = CliSession::ExitOutput;
    }
    if (invocation.stats)
        std::cerr << statistics.text() << std::flush;
    return outputChecked(status);
}
