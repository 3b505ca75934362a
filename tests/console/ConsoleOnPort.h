#pragma once

#include "Console.h"
#include "Dialogs.h"
#include "ManualClock.h"
#include "SimulatedPort.h"
#include "clsLettori.h"

#include <QDir>
#include <QStringList>
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

// A console on a simulated port and a manual clock of its own, started in
// a program folder of its own with the given Seriale.cfg (none when null)
// and whatever `prepare` puts in the folder, shown, the port's record
// cleared. Reader 1 on the line answers each frame 10 ms after it was
// written, with what answerWith()'s script gives for it.
class ConsoleOnPort {
public:
    static constexpr const char* Reader1 = " 1 \r\n9600\r\n 1 \r\n";  // port 1, 9600 baud, terminal 1

    explicit ConsoleOnPort(const char* settings = Reader1, const std::function<void(const QDir&)>& prepare = {});
    ~ConsoleOnPort();

    ManualClock clock;
    // Run at each turn of the event loop during a wait, after the clock moved 1 ms.
    std::function<void()> duringWait;
    RecordingDialogs dialogs;

    SimulatedPort& port() { return *m_port; }
    Console& console() { return *m_console; }
    frmSibrant& window() { return m_console->window(); }
    const Ui::frmSibrant& ui() { return m_console->window().ui(); }
    // A control of the window by name; the test fails without it.
    template <typename Widget>
    Widget* control(const QString& name)
    {
        auto* widget = window().findChild<Widget*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    // "Text3=10;CmbNewAddr=026;ChkAutoAck=0": a box gets the text; a list
    // selects the entry (none for an empty text) as a user's choice would;
    // a tick box is ticked, or not for "0".
    void fill(const QString& inputs);
    QString status();

    // An empty answer is silence.
    void answerWith(std::function<std::string(const std::string& frame)> script);
    void answerAll(const std::string& answer);
    // What was written to the line since start-up, one frame per entry, in hex.
    QStringList writtenHex();

    QString path(const char* name) const;
    // A file of the program folder; "<none>" when it cannot be read.
    QByteArray fileContents(const char* name) const;
    void closeWindow();

private:
    std::unique_ptr<Port> adopt(std::unique_ptr<SimulatedPort> port);

    QTemporaryDir m_dir;
    SimulatedPort* m_port = nullptr;
    clsLettori m_registry;
    std::unique_ptr<Console> m_console;
};

// A frame from reader 1 carrying `data`, with its check character.
std::string fromReader1(const std::string& data);

}  // namespace lettore::test
