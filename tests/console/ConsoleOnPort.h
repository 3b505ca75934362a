#pragma once

#include "Console.h"
#include "Dialogs.h"
#include "Frame.h"
#include "ManualClock.h"
#include "MonCom.h"
#include "ReaderCommand.h"
#include "SimulatedPort.h"
#include "clsLettori.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <optional>

namespace lettore::test {

// Answers the console's dialogs in place of the user, and keeps what they said.
class RecordingDialogs : public Dialogs {
public:
    std::vector<std::pair<QString, Icon>> messages;
    std::vector<std::pair<QString, QString>> passwordPrompts;  // prompt, title
    std::deque<std::optional<QString>> passwords;  // the answers in order; Cancel once they run out

    void message(const QString& text, Icon icon) override { messages.emplace_back(text, icon); }
    std::optional<QString> askPassword(const QString& prompt, const QString& title) override
    {
        passwordPrompts.emplace_back(prompt, title);
        if (passwords.empty())
            return std::nullopt;
        const std::optional<QString> answer = std::move(passwords.front());
        passwords.pop_front();
        return answer;
    }
};

// A console on a simulated port and manual clock in a folder of its own with the given Seriale.cfg (null: none).
class ConsoleOnPort {
public:
    static constexpr const char* Reader1 = " 1 \r\n9600\r\n 1 \r\n";  // port 1, 9600 baud, terminal 1

    explicit ConsoleOnPort(const char* settings = Reader1, const std::function<void(const QDir&)>& prepare = {})
        : m_port(std::make_unique<SimulatedPort>(clock)), m_registry(m_port->opener(), clock, [this] {
              clock.advance(1);
              if (duringWait)
                  duringWait();
          })
    {
        QFile file(path("Seriale.cfg"));
        if (settings && !(file.open(QIODevice::WriteOnly) && file.write(settings) > 0))
            qFatal("cannot write Seriale.cfg");
        file.close();
        if (prepare)
            prepare(QDir(m_dir.path()));
        m_console = std::make_unique<Console>(m_registry, &dialogs);
        m_console->Form_Load(m_dir.path().toStdString());
        m_console->window().show();
        m_port->clearRecord();
    }
    ~ConsoleOnPort()
    {
        duringWait = {};
        m_console.reset();
        MonCom::unload();
    }

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
    void fill(const QString& inputs)
    {
        for (const QString& input : inputs.split(';', Qt::SkipEmptyParts)) {
            const QString name = input.section('=', 0, 0), text = input.section('=', 1);
            if (auto* option = window().findChild<QCheckBox*>(name)) {
                option->setCheckState(text == "0" ? Qt::Unchecked : Qt::Checked);
            } else if (auto* list = window().findChild<QComboBox*>(name)) {
                list->setCurrentIndex(list->findText(text));
                if (list->currentIndex() >= 0)
                    emit list->activated(list->currentIndex());
            } else {
                control<QLineEdit>(name)->setText(text);
            }
        }
    }
    QString status() { return window().statusBar()->currentMessage(); }
    void answerAll(const std::string& answer)  // 10 ms after each write; "" is silence
    {
        m_port->onWrite = [this, answer](const std::string&) {
            if (!answer.empty())
                m_port->feedAt(clock.nowMs() + 10, answer);
        };
    }
    // Each frame written since start-up as terminal, command and what follows its code ("1 CreaBadge
    // 0000000042"); hex when it carries none.
    QStringList sent()
    {
        QStringList out;
        for (const std::string& bytes : m_port->writes()) {
            const std::optional<Frame> frame = Frame::decode(bytes);
            const ReaderCommand* command
                = frame ? ReaderCommand::carriedBy(frame->set ? "S" : "P", frame->data) : nullptr;
            out << (command ? QStringLiteral("%1 %2 %3")
                                  .arg(frame->term)
                                  .arg(command->name)
                                  .arg(QString::fromLatin1(frame->data.substr(strlen(command->code))))
                                  .trimmed()
                            : QString::fromStdString(hex(bytes)));
        }
        return out;
    }
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QByteArray fileContents(const char* name) const  // "<none>" when unreadable
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    void closeWindow() { m_console->window().close(); }
    // Clicks an idle console's button; returns once the command it started (from the event loop) is over.
    void click(QAbstractButton* button)
    {
        button->click();
        for (QDeadlineTimer end(10000); !m_console->gate().idle() && !end.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    clsComunicazioni& link() { return m_registry.Comunicazione(); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<SimulatedPort> m_port;
    clsLettori m_registry;
    std::unique_ptr<Console> m_console;
};

// The push button of `parent` with the caption given.
inline QPushButton* button(const QWidget* parent, const QString& caption)
{
    for (QPushButton* button : parent->findChildren<QPushButton*>())
        if (button->text() == caption)
            return button;
    qFatal("no button %s", qPrintable(caption));
}

// A frame from reader 1 carrying `data`, with its check character.
inline std::string fromReader1(const std::string& data)
{
    const std::string frame = "\x02"
                              "0!"
                              + data + "\x03";
    return frame + Frame::check(frame);
}

}  // namespace lettore::test
