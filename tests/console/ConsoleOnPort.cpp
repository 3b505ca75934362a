#include "ConsoleOnPort.h"

#include "Framing.h"
#include "MonCom.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QStatusBar>

namespace lettore::test {

void RecordingDialogs::message(const QString& text, Icon icon)
{
    messages.push_back(text);
    icons.push_back(icon);
}

std::optional<QString> RecordingDialogs::askPassword(const QString& prompt, const QString& title)
{
    passwordPrompts.emplace_back(prompt, title);
    if (passwords.empty())
        return std::nullopt;
    auto answer = passwords.front();
    passwords.pop_front();
    return answer;
}

ConsoleOnPort::ConsoleOnPort(const char* settings, const std::function<void(const QDir&)>& prepare)
    : m_registry([this] {
          auto port = std::make_unique<SimulatedPort>(clock);
          m_port = port.get();
          return port;
      }(), clock, [this] {
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

ConsoleOnPort::~ConsoleOnPort()
{
    duringWait = {};
    m_console.reset();
    MonCom::unload();
}

void ConsoleOnPort::fill(const QString& inputs)
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

QString ConsoleOnPort::status() { return window().statusBar()->currentMessage(); }

void ConsoleOnPort::answerAll(const std::string& answer)
{
    m_port->onWrite = [this, answer](const std::string&) {
        if (!answer.empty())
            m_port->feedAt(clock.nowMs() + 10, answer);
    };
}

QStringList ConsoleOnPort::writtenHex()
{
    QStringList out;
    for (const std::string& bytes : m_port->writes())
        out << QString::fromStdString(hex(bytes));
    return out;
}

QByteArray ConsoleOnPort::fileContents(const char* name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

std::string fromReader1(const std::string& data)
{
    const std::string frame = "\x02" "0!" + data + "\x03";
    return frame + Framing::CalcolaBCC(frame);
}

}  // namespace lettore::test
