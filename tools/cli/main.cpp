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
    QtPort* port = nullptr;  // owned by the registry's link
    installPlatform({[&] {
                         auto made = std::make_unique<QtPort>(naming);
                         port = made.get();
                         return made;
                     },
                     &clock, processQtEvents});
    clsLettori& lettori = Lettori();
    return CliSession(lettori, invocation, stored, std::cout, std::cerr, [port] { return port->isOpen(); })
        .run();
}
