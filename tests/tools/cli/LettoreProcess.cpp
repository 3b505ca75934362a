#include "LettoreProcess.h"

#include <stdexcept>

namespace lettore::test {

int exitOf(QProcess& process, int limitMs)
{
    if (process.state() == QProcess::NotRunning || process.waitForFinished(limitMs))
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    process.kill();
    process.waitForFinished();
    return -1;
}

ProgramRun runProgram(const QString& program, const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForStarted() && process.waitForFinished(timeoutMs);
    const int status = exitOf(process, 0);  // -1 when it had to be killed
    return {status, process.readAllStandardOutput().toStdString(),
            finished ? process.readAllStandardError().toStdString() : "did not finish"};
}

std::string outcomeOf(const QString& program, const QStringList& arguments)
{
    const ProgramRun run = runProgram(program, arguments);
    return run.out + "| " + run.err + " => " + std::to_string(run.status);
}

SimProcess::SimProcess(const QString& linkPath, const QStringList& arguments)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(LETTORE_SIM_BIN, QStringList{"--link", linkPath} + arguments);
    // The first line of output, the device path, says the line is up.
    while (!m_process.canReadLine())
        if (!m_process.waitForReadyRead(10000))
            throw std::runtime_error("the virtual reader did not open its line");
    m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
}

int SimProcess::stop()
{
    m_process.terminate();
    return exitOf(m_process);
}

std::string SimProcess::state(int address)
{
    command("state " + std::to_string(address));
    std::string text;
    // Five lines: model and settings, firmware and setup, white list, transactions, serial numbers.
    for (int line = 0; line < 5; ++line) {
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(5000))
                return text + "(no more)";
        text += m_process.readLine().toStdString();
    }
    return text;
}

void SimProcess::command(const std::string& line)
{
    m_process.write((line + "\n").c_str());
    m_process.waitForBytesWritten();
}

}  // namespace lettore::test
