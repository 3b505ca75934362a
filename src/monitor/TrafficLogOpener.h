#pragma once

#include "TrafficLogWindow.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace lettore {

// Opens the traffic log window, made on first use as a window of
// `mainWindow`'s (it closes with it): from the shortcut Shortcut in the
// main window and from the context menu of the communications monitor's
// background. Neither window changes otherwise.
class TrafficLogOpener : public QObject {
    Q_OBJECT

public:
    static constexpr const char* Shortcut = "Ctrl+Shift+R";
    static constexpr const char* MenuText = "Registro comunicazioni";

    TrafficLogOpener(TrafficLogModel& model, QWidget& mainWindow);
    ~TrafficLogOpener() override;

    // Shows the window and brings it to the front.
    void open();
    TrafficLogWindow* window() const { return m_window; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TrafficLogModel& m_model;
    QWidget& m_mainWindow;
    QPointer<TrafficLogWindow> m_window;
};

}  // namespace lettore
