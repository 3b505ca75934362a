#pragma once

#include "BoxText.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>

class Dialogs;
class QAbstractButton;
class frmSibrant;

namespace Ui {
class frmSibrant;
}

namespace lettore {

class ConsoleGate;
class clsLettori;
class clsSibrant;

// What the console's command panels share: the window whose controls they
// read and write, the gate every command goes through, the dialogs, the
// reader command set and the terminal address selected on the console.
// A panel's handlers keep no state between clicks.
class CommandPanel : public QObject {
    Q_OBJECT

public:
    struct Context {
        frmSibrant& window;
        ConsoleGate& gate;
        Dialogs& dialogs;
        std::function<clsLettori&()> registry;  // fetched afresh at each use
        std::function<int16_t()> terminale;     // the address selected now
    };

    explicit CommandPanel(Context context, QObject* parent = nullptr);

protected:
    // Guards `button` and, when it is clicked, runs `handler` through the
    // gate as the command `command` (refused while another one runs).
    void onClick(QAbstractButton* button, const QString& command, std::function<void()> handler);

    frmSibrant& window() const { return m_context.window; }
    const Ui::frmSibrant& ui() const;
    ConsoleGate& gate() const { return m_context.gate; }
    Dialogs& dialogs() const { return m_context.dialogs; }
    clsLettori& registry() const { return m_context.registry(); }
    clsSibrant& Sibrant() const;
    int16_t Terminale() const { return m_context.terminale(); }

    // A result code as a result box shows it: plain decimal text.
    static QString esitoText(int16_t esito) { return QString::number(esito); }
    // Texts and the line's bytes: one character per byte, codes 0 to 255.
    static std::string bytes(const QString& text) { return BoxText::bytes(text); }
    static QString text(const std::string& bytes) { return BoxText::text(bytes); }

private:
    Context m_context;
};

}  // namespace lettore
