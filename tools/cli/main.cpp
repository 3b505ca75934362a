#include "CliSession.h"
#include "CommandLine.h"
#include "ConnectionSettings.h"
#include "QtPort.h"
#include "modLettori.h"

#include <QCoreApplication>

#include <iostream>

using namespace lettore;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);

    Invocation invocation;
    try {
        invocation = CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        std::cerr << "lettore: " << error.what() << std::endl;
        return CliSession::ExitUsage;
    }
    if (invocation.help) {
        std::cout << CommandLine::helpText();
        return 0;
    }

    // Port numbers and the stored settings belong to the program's folder,
    // as for the console.
    const std::string folder = QCoreApplication::applicationDirPath().toStdString();
    const ConnectionSettings stored = ConnectionSettings::load(folder + "/" + ConnectionSettings::FileName);
    PortNaming naming(folder);
    naming.pinDevice(invocation.device);

    static SteadyClock clock;
    installPlatform({[&] { return std::make_unique<QtPort>(naming); }, &clock, processQtEvents});
    return CliSession(Lettori(), invocation, stored, std::cout, std::cerr).run();
}
