// The console program: the main window and the communications monitor on
// the real serial port.
#include "Console.h"
#include "EventLoopTurns.h"
#include "QtPort.h"
#include "QtSound.h"
#include "modLettori.h"

#include <QApplication>
#include <QIcon>

using namespace lettore;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // No application display name: the window system would append it to
    // every window's title ("Monitor Comunicazioni — ..."). The message
    // boxes take the console window's title instead.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/console/lettore.svg")));

    // Port numbers, Seriale.cfg and the sound file belong to the program's folder.
    const std::string folder = QCoreApplication::applicationDirPath().toStdString();
    SteadyClock clock;
    QtSound sound;
    EventLoopTurns turns(clock, processQtEvents);
    installPlatform({[&] { return std::make_unique<QtPort>(PortNaming(folder)); }, &clock,
                     [&] { turns(); },
                     [&](const std::string& file, bool async) { sound.play(file, async); }});

    int status = 0;
    {
        Console console;
        console.Form_Load(folder);
        console.window().show();
        console.window().activateWindow();
        status = QApplication::exec();
    }
    // The port closes with the registry, while Qt is still there.
    releaseLettori();
    return status;
}
