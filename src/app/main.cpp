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
    // The title of the console's message boxes.
    QApplication::setApplicationDisplayName(QStringLiteral("Test lettore Sibrant"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/console/lettore.svg")));

    // Port numbers, Seriale.cfg and the sound file belong to the program's folder.
    const std::string folder = QCoreApplication::applicationDirPath().toStdString();
    SteadyClock clock;
    QtSound sound;
    EventLoopTurns turns(clock, processQtEvents);
    installPlatform({[&] { return std::make_unique<QtPort>(PortNaming(folder)); }, &clock,
                     [&] { turns(); },
                     [&](const std::string& file, bool async) { sound.play(file, async); }});
    // After a command times out, the next one waits for a quiet line, so a
    // reader's late answer is never credited to it.
    Lettori().Comunicazione().setQuietGapAfterTimeOut(clsComunicazioni::UsualQuietGapMs);

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
