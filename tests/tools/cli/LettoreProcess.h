#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace lettore::test {

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// What `lettore GetVersioneFirmware` prints for a virtual reader, and what it says when the line drops.
inline const std::string Version = "esito 0\noutVERSION SIM LETTORE 1.00\n";
inline const std::string Dropped = "lettore: the line dropped or the device was removed\n";

// Runs `program` with `arguments` to its end, at most timeoutMs.
ProgramRun runProgram(const QString& program, const QStringList& arguments, int timeoutMs = 30000);

// A run's standard output and standard error, "| " between them, then " => STATUS".
std::string outcomeOf(const QString& program, const QStringList& arguments);

// The exit status of `process` once it ends within `limitMs`; -1 if killed then, or crashed.
int exitOf(QProcess& process, int limitMs = 5000);

// The virtual reader as a child process on its own pseudo-terminal line,
// reachable through the link `linkPath`; stopped by SIGTERM at the latest when destroyed.
class SimProcess {
public:
    SimProcess(const QString& linkPath, const QStringList& arguments);
    ~SimProcess() { stop(); }
    // A line on the simulator's standard input, e.g. "present 1 0000000042".
    void command(const std::string& line);
    // What `state ADDR` prints about reader `address`.
    std::string state(int address);
    // The pseudo-terminal's device, as the program printed it.
    const QString& device() const { return m_device; }
    // Sends SIGTERM; the exit status.
    int stop();

private:
    QProcess m_process;
    QString m_device;
};

// A temporary folder where the virtual reader's line is linked as COM1.
class SimFolderTest : public ::testing::Test {
protected:
    void startSim(const QStringList& args) { sim = std::make_unique<SimProcess>(link(), args); }
    QString link() const { return folder.filePath("COM1"); }
    QStringList on(const QStringList& args) const { return QStringList{"--port", link()} + args; }

    QTemporaryDir folder;
    std::unique_ptr<SimProcess> sim;
};

}  // namespace lettore::test
