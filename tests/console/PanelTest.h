#pragma once

#include "ReaderOnLine.h"
#include "modLettori.h"

#include <QObject>
#include <QPushButton>

#include <memory>

namespace lettore::test {

// The fixture of a panel's test program: a console started afresh for
// each test function on the line of ReaderOnLine, terminal 1 selected.
class PanelTest : public QObject {
    Q_OBJECT

protected:
    std::unique_ptr<ConsoleRig> m_rig;

    const Ui::frmSibrant& ui() { return m_rig->ui(); }
    frmSibrant& window() { return m_rig->window(); }
    QPushButton* button(const QString& name) { return window().findChild<QPushButton*>(name); }
    // A console afresh, the previous one gone first: the registry is process-wide.
    void start(const char* settings = ReaderOnLine::Settings)
    {
        m_rig.reset();
        m_rig = std::make_unique<ConsoleRig>(settings);
    }

private slots:
    void initTestCase() { ConsolePlatform::install(); }
    void init() { start(); }
    void cleanup()
    {
        m_rig.reset();
        ConsolePlatform::port().onWrite = {};
    }
    void cleanupTestCase() { releaseLettori(); }
};

}  // namespace lettore::test
