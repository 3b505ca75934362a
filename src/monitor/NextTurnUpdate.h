#pragma once

#include <QObject>

#include <functional>

// An update of a window's views that waits for the next turn of the event
// loop: however many times it is asked for meanwhile, it runs once, with
// what is current then. A command of many exchanges asks for it at every
// exchange without drawing anything between an answer and the next
// command; the window is drawn at the turn anyway. Destroyed with the update
// still pending, it never runs.
class NextTurnUpdate : public QObject {
    Q_OBJECT

public:
    explicit NextTurnUpdate(std::function<void()> update, QObject* parent = nullptr);

    // Runs the update at the next turn, unless it is pending already.
    void request();
    // Runs a pending update now, for a caller that must see the views up
    // to date before the turn comes (the end of a command).
    void flush();

private:
    std::function<void()> m_update;
    bool m_pending = false;
};
