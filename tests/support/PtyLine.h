#pragma once

#include "PortNaming.h"
#include "PseudoTerminal.h"

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <string>

namespace lettore::test {

// A pseudo-terminal named COM<number> in a program folder of its own, as a user numbers a port.
class PtyLine {
public:
    explicit PtyLine(int16_t number = 3) : m_number(number) { m_pty.linkAs(comLink(number)); }

    int16_t number() const { return m_number; }
    PseudoTerminal& pty() { return m_pty; }
    std::string folder() const { return m_folder.path().toStdString(); }
    std::string comLink(int16_t number) const { return folder() + "/COM" + std::to_string(number); }
    PortNaming naming() const { return PortNaming(folder()); }

private:
    QTemporaryDir m_folder;
    PseudoTerminal m_pty;
    int16_t m_number;
};

// Runs the Qt event loop (asleep between events) until `done` holds or `limitMs` passed.
inline bool processEventsUntil(const std::function<bool()>& done, int limitMs = 2000)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(5);
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

}  // namespace lettore::test
