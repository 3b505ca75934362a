#pragma once

#include "Console.h"
#include "Dialogs.h"
#include "ManualClock.h"
#include "SimulatedPort.h"

#include <QDir>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lettore::test {

// Answers the console's dialogs in place of the user, and keeps what they said.
class RecordingDialogs : public Dialogs {
public:
    std::vector<QString> messages;
    std::vector<Icon> icons;
    std::vector<std::pair<QString, QString>> passwordPrompts;  // prompt, title
    // The answers given to the password box, in order; Cancel once they run out.
    std::deque<std::optional<QString>> passwords;

    void message(const QString& text, Icon icon) override;
    std::optional<QString> askPassword(const QString& prompt, const QString& title) override;
};

// The process-wide platform of a console test program: the simulated port
// (made once, with the registry), the manual clock, a hook run at each turn
// of the event loop during a wait (after the clock moved 1 ms), and the
// sounds asked for. Install it once, in initTestCase.
struct ConsolePlatform {
    static void install();
    static SimulatedPort& port();
    static ManualClock& clock();
    static std::function<void()> duringWait;
    static std::vector<std::pair<std::string, bool>> played;
};

// A console started in a program folder of its own, with the given
// Seriale.cfg (none when null) and whatever `prepare` puts in the folder,
// shown, and the port's record cleared.
class ConsoleRig {
public:
    explicit ConsoleRig(const char* settings = nullptr, const std::function<void(const QDir&)>& prepare = {});
    ~ConsoleRig();

    Console& console() { return *m_console; }
    frmSibrant& window() { return m_console->window(); }
    const Ui::frmSibrant& ui() { return m_console->window().ui(); }
    RecordingDialogs dialogs;

    QString path(const char* name) const;
    // A file of the program folder; "<none>" when it cannot be read.
    QByteArray fileContents(const char* name) const;
    void closeWindow();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Console> m_console;
};

}  // namespace lettore::test
