#include "ConsoleOnLine.h"

#include "QtPort.h"

#include <QFile>
#include <QTest>

namespace lettore::test {

ConsoleOnLine::ConsoleOnLine(const QStringList& simArguments, int baud)
    : m_turns(m_clock, processQtEvents),
      m_registry(std::make_unique<QtPort>(PortNaming(m_folder.path().toStdString())), m_clock, [this] { m_turns(); })
{
    QFile settings(m_folder.filePath("Seriale.cfg"));
    if (!settings.open(QIODevice::WriteOnly) || settings.write(QStringLiteral(" 9 \r\n%1\r\n 1 \r\n").arg(baud).toLatin1()) <= 0)
        qFatal("cannot write Seriale.cfg");
    settings.close();
    m_sim = std::make_unique<SimProcess>(m_folder.filePath("COM9"), QStringList{"--log", m_folder.filePath("sim.log")} + simArguments);
    m_console = std::make_unique<Console>(m_registry, &dialogs);
    m_console->Form_Load(m_folder.path().toStdString());
    m_console->window().show();
}

QString ConsoleOnLine::log() const
{
    QFile file(m_folder.filePath("sim.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

bool ConsoleOnLine::waitForLog(const QString& text, qsizetype from) const
{
    return QTest::qWaitFor([&] { return log().indexOf(text, from) >= 0; }, 5000);
}

}  // namespace lettore::test
