#pragma once

#include <QObject>

// A message box is as wide as its text, and a short text ("Password
// errata!") leaves the window manager too little room for the title, which
// it then cuts ("Tes… ant"). Installed on the application, this widens every
// message box, as it is shown, to hold its title in the title bar's font
// with room for the title bar's buttons.
class MessageBoxTitles : public QObject {
    Q_OBJECT

public:
    // Installs one filter on the application; later calls do nothing.
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
