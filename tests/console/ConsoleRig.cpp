#include "ConsoleRig.h"

#include "MonCom.h"
#include "modLettori.h"

#include <QFile>

#include <stdexcept>

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

namespace {

SimulatedPort* g_port = nullptr;

}  // namespace

std::function<void()> ConsolePlatform::duringWait;
std::vector<std::pair<std::string, bool>> ConsolePlatform::played;

ManualClock& ConsolePlatform::clock()
{
    static ManualClock clock;
    return clock;
}

SimulatedPort& ConsolePlatform::port()
{
    if (!g_port)
        throw std::logic_error("no console yet: the port is made with the registry");
    return *g_port;
}

void ConsolePlatform::install()
{
    const bool installed = installPlatform(
        {[] {
             auto port = std::make_unique<SimulatedPort>(clock());
             g_port = port.get();
             return port;
         },
         &clock(),
         [] {
             clock().advance(1);
             if (duringWait)
                 duringWait();
         },
         [](const std::string& file, bool async) { played.emplace_back(file, async); }});
    if (!installed)
        throw std::logic_error("the console platform is installed once per test program");
}

ConsoleRig::ConsoleRig(const char* settings, const std::function<void(const QDir&)>& prepare)
{
    if (settings) {
        QFile file(path("Seriale.cfg"));
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write Seriale.cfg");
        file.write(settings);
    }
    if (prepare)
        prepare(QDir(m_dir.path()));
    ConsolePlatform::played.clear();
    ConsolePlatform::duringWait = {};
    m_console = std::make_unique<Console>(&dialogs);
    m_console->Form_Load(m_dir.path().toStdString());
    m_console->window().show();
    ConsolePlatform::port().clearRecord();
}

ConsoleRig::~ConsoleRig()
{
    ConsolePlatform::duringWait = {};
    m_console.reset();
}

QString ConsoleRig::path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

QByteArray ConsoleRig::fileContents(const char* name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

void ConsoleRig::closeWindow() { m_console->window().close(); }

}  // namespace lettore::test
