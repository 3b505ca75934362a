// The console program: the main window and the communications monitor on
// the real serial port.
#include "CloseOnSignal.h"
#include "CollaudoOpener.h"
#include "Console.h"
#include "EventLoopTurns.h"
#include "MessageBoxTitles.h"
#include "MonCom.h"
#include "PortOpening.h"
#include "PortTap.h"
#include "QtPort.h"
#include "QtSound.h"
#include "ScopedSubscription.h"
#include "SerialSettings.h"
#include "ThisProgramsFolders.h"
#include "TrafficCapture.h"
#include "TrafficFeed.h"
#include "TrafficLogModel.h"
#include "TrafficLogOpener.h"
#include "WindowAccessible.h"
#include "modLettori.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>
#include <QUrl>

using namespace lettore;

namespace {

// Qt's own words (the buttons of message boxes and file dialogs, the
// editing menus) in Italian, like the rest of the program, whatever the
// desktop's language. They come from Qt's translations as installed on the
// system, or from a "translations" folder beside the program; without
// either, Qt's own words stay English and nothing else changes.
void loadQtItalian(QApplication& app, QTranslator& translator)
{
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    for (const QString& folder :
         {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
          QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"))}) {
        if (translator.load(italian, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            app.installTranslator(&translator);
            return;
        }
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // No application display name: the window system would append it to
    // every window's title ("Monitor Comunicazioni — ..."). The message
    // boxes take the console window's title instead.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/console/lettore.svg")));
    QTranslator qtItalian;
    loadQtItalian(app, qtItalian);
    WindowAccessible::install();
    MessageBoxTitles::install();

    // Port numbers and Seriale.cfg belong to the settings folder, the sound
    // file to the data folder; both are the program's folder in a build.
    const ProgramFolders folders = thisProgramsFolders();
    const std::string settingsFolder = folders.settings.string();
    SteadyClock clock;
    QtSound sound;
    EventLoopTurns turns(clock, processQtEvents);
    // Every byte on the port goes to the traffic log, open or not.
    TrafficLogModel trafficLog;
    TrafficCapture collaudoTraffic;
    const clsComunicazioni* link = nullptr;  // while the registry holds it
    TrafficFeed traffic([&](std::vector<TrafficRow>&& rows) {
        collaudoTraffic.offer(rows);
        // A pause inside a frame is told in character times of the line's rate.
        if (link)
            if (const auto line = SerialSettings::parse(link->CommSettings()))
                trafficLog.setBaudRate(line->baudRate);
        trafficLog.append(std::move(rows));
    });
    // A number in the port table beside Seriale.cfg reaches a device server;
    // what such a port says once goes to the console's status line.
    const PortTable table
        = settingsFolder.empty() ? PortTable() : PortTable::load(folders.settings / PortTable::FileName);
    Console* noticesTo = nullptr;
    const NetworkPort::NoticeHook notice = [&noticesTo](const std::string& text) {
        if (noticesTo)
            noticesTo->tellPortNotice(text);
    };
    installPlatform({PortTap::tapping(portOpener(PortNaming(settingsFolder), table, notice), &traffic), &clock,
                     [&] { turns(); },
                     [&](const std::string& file, bool async) { sound.play((folders.data / file).string(), async); }});
    // After a command times out, the next one waits for a quiet line, so a
    // reader's late answer is never credited to it.
    Lettori().Comunicazione().setQuietGapAfterTimeOut(clsComunicazioni::UsualQuietGapMs);
    link = &Lettori().Comunicazione();

    int status = 0;
    {
        ScopedSubscription timeOuts(Lettori().Comunicazione(), traffic);
        Console console(Lettori());
        TrafficLogOpener trafficLogOpener(trafficLog, console.window());
        MonCom::setTrafficLogOpener([&trafficLogOpener] { trafficLogOpener.open(); });
        CollaudoOpener collaudo({Lettori(), console.gate(), collaudoTraffic,
                                 [&console] { return console.settings().Terminale; },
                                 [](const QString& file) { QDesktopServices::openUrl(QUrl::fromLocalFile(file)); }},
                                console.window());
        closeOnEndRequest(console.window());
        noticesTo = &console;
        console.tellSettingsFolder(folders);
        console.tellPortTableProblems(table.problems());
        console.Form_Load(folders.settings);
        console.window().show();
        console.window().activateWindow();
        status = QApplication::exec();
        noticesTo = nullptr;
    }
    MonCom::setTrafficLogOpener({});
    // The port closes with the registry, while Qt is still there.
    link = nullptr;
    releaseLettori();
    return status;
}
