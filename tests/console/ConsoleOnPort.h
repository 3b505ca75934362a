#pragma once

#include "Console.h"
#include "Dialogs.h"
#include "ManualClock.h"
#include "SimulatedPort.h"
#include "clsLettori.h"

#include <QDir>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <optional>

namespace lettore::test {

// Answers the console's dialogs in place of the user, and keeps what they said.
class RecordingDialogs : public Dialogs {
public:
    std::vector<QString> messages;
    std::vector<Icon> icons;
    std::vector<std::pair<QString, QString>> passwordPrompts;  // prompt, title
    std::deque<std::optional<QString>> passwords;  // the answers in order; Cancel once they run out

    void message(const QString& text, Icon icon) override;
    std::optional<QString> askPassword(const QString& prompt, const QString& title) override;
};

// A console on a simulated port and manual clock in a folder of its own with the given Seriale.cfg (null: none).
class ConsoleOnPort {
public:
    static constexpr const char* Reader1 = " 1 \r\n9600\r\n 1 \r\n";  // port 1, 9600 baud, terminal 1

    explicit ConsoleOnPort(const char* settings = Reader1, const std::function<void(const QDir&)>& prepare = {});
    ~ConsoleOnPort();

    ManualClock clock;
    std::function<void()> duringWait;  // run at each turn of the event loop in a wait, the clock 1 ms on
    RecordingDialogs dialogs;

    SimulatedPort& port() { return *m_port; }
    Console& console() { return *m_console; }
    frmSibrant& window() { return m_console->window(); }
    const Ui::frmSibrant& ui() { return m_console->window().ui(); }
    template <typename Widget>
    Widget* control(const QString& name)
    {
        auto* widget = window().findChild<Widget*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    // "Text3=10;CmbNewAddr=026;ChkAutoAck=0": box text, list entry chosen as a user would, tick unless "0".
    void fill(const QString& inputs);
    QString status();
    void answerAll(const std::string& answer);  // 10 ms after each write; "" is silence
    QStringList writtenHex();  // one frame per entry since start-up
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QByteArray fileContents(const char* name) const;  // "<none>" when unreadable
    void closeWindow() { m_console->window().close(); }

private:
    QTemporaryDir m_dir;
    SimulatedPort* m_port = nullptr;
    clsLettori m_registry;
    std::unique_ptr<Console> m_console;
};

// A frame from reader 1 carrying `data`, with its check character.
std::string fromReader1(const std::string& data);

}  // namespace lettore::test
