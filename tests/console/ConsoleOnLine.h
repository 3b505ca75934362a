#pragma once

#include "Console.h"
#include "ConsoleOnPort.h"
#include "EventLoopTurns.h"
#include "LettoreProcess.h"
#include "clsLettori.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace lettore::test {

// The console as its program runs it (the real serial port, a steady clock,
// the program's own yield hook) on a pseudo-terminal that lettore-sim
// serves as COM9 of the console's folder, its traffic logged to a file
// there.
class ConsoleOnLine {
public:
    // simArguments: the virtual reader's options (--link and --log are
    // added); baud: the console's rate, written into its Seriale.cfg with
    // port 9 and terminal 1. The console is started, shown, and its port
    // open; the monitor is not shown yet.
    explicit ConsoleOnLine(const QStringList& simArguments, int baud = 9600);
    // Closes the console, then the port.
    ~ConsoleOnLine();

    Console& console() { return *m_console; }
    const Ui::frmSibrant& ui() { return m_console->window().ui(); }
    RecordingDialogs dialogs;

    // A line on the simulator's standard input, e.g. "fault 1 garble".
    void simCommand(const std::string& line) { m_sim->command(line); }
    bool simRunning() const { return m_sim->running(); }

    // The simulator's log as written so far, one entry a line.
    QString log() const;
    // Whether a log line past the first `from` characters holds `text`.
    bool logHas(const QString& text, qsizetype from = 0) const;

private:
    QTemporaryDir m_folder;
    SteadyClock m_clock;
    EventLoopTurns m_turns;
    std::unique_ptr<SimProcess> m_sim;
    clsLettori m_registry;
    std::unique_ptr<Console> m_console;
};

}  // namespace lettore::test
