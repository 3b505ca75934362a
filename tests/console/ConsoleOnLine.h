#pragma once

#include "Console.h"
#include "ConsoleOnPort.h"
#include "EventLoopTurns.h"
#include "LettoreProcess.h"
#include "clsLettori.h"

#include <QTemporaryDir>

namespace lettore::test {

// The console as its program runs it (real port, steady clock, yield hook) on COM9, served by lettore-sim.
class ConsoleOnLine {
public:
    explicit ConsoleOnLine(const QStringList& simArguments, int baud = 9600);
    ~ConsoleOnLine() { m_console.reset(); }  // the console before the port

    Console& console() { return *m_console; }
    const Ui::frmSibrant& ui() { return m_console->window().ui(); }
    RecordingDialogs dialogs;
    void simCommand(const std::string& line) { m_sim->command(line); }  // e.g. "fault 1 garble"
    bool simRunning() const { return m_sim->running(); }
    QString log() const;  // the simulator's log so far
    // Whether the simulator logs `text` past the first `from` characters within 5 s.
    bool waitForLog(const QString& text, qsizetype from = 0) const;

private:
    QTemporaryDir m_folder;
    SteadyClock m_clock;
    EventLoopTurns m_turns;
    std::unique_ptr<SimProcess> m_sim;
    clsLettori m_registry;
    std::unique_ptr<Console> m_console;
};

}  // namespace lettore::test
