#include "LettoreProcess.h"

#include <stdexcept>

namespace lettore::test {

ProgramRun runProgram(const QString& program, const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted() || !process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {-1, process.readAllStandardOutput().toStdString(), "did not finish"};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

SimProcess::SimProcess(const QString& linkPath, const QStringList& arguments)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(LETTORE_SIM_BIN, QStringList{"--link", linkPath} + arguments);
    // The first line of output (the device path) says the line is up.
    if (!m_process.waitForStarted())
        throw std::runtime_error("the virtual reader did not start");
    while (!m_process.canReadLine())
        if (!m_process.waitForReadyRead(10000))
            throw std::runtime_error("the virtual reader did not open its line");
    m_process.readLine();
}

SimProcess::~SimProcess()
{
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

void SimProcess::command(const std::string& line)
{
    m_process.write((line + "\n").c_str());
    m_process.waitForBytesWritten();
}

}  // namespace lettore::test
