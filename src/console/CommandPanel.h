#pragma once

#include "BoxText.h"
#include "ReaderCommand.h"

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
class clsComunicazioni;
class clsLettori;
class clsSibrant;
struct ConnectionSettings;

// What every panel of the console shares: the window whose controls it
// reads and writes, the gate every command goes through, the dialogs, the
// registry (the link and the reader command set) and the console's
// connection settings (port, baud rate and terminal address as selected
// now). A panel runs a reader command by its description, through the
// console's command runner, and shows the fields it names. A panel's
// handlers keep no state between clicks.
class CommandPanel : public QObject {
    Q_OBJECT

public:
    // Runs `command` for terminal `term` (ReaderCommand::run's inputs and
    // result). The console's own runs it on the link; a test may stand in.
    using CommandRunner = std::function<ReaderCommand::Result(
        const ReaderCommand& command, int16_t term, const ReaderCommand::Arguments& arguments, bool acknowledge)>;

    struct Context {
        frmSibrant& window;
        ConsoleGate& gate;
        Dialogs& dialogs;
        clsLettori& registry;
        ConnectionSettings& settings;
        const CommandRunner& runner;
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
    clsLettori& registry() const { return m_context.registry; }
    clsComunicazioni& link() const;
    clsSibrant& Sibrant() const;
    ConnectionSettings& settings() const { return m_context.settings; }
    int16_t Terminale() const;

    // Runs the reader command named `command` (ReaderCommand) for the
    // selected terminal, through the context's runner.
    ReaderCommand::Result run(std::string_view command, const ReaderCommand::Arguments& arguments = {},
                              bool acknowledge = false) const;

    // Selects entry `index` of the baud-rate list, with the effect a user's
    // selection has: a rate other than the link's goes to the link.
    void selectBaudRate(int index);
    // The rate the baud-rate list shows, to the link unless it has it.
    void applyBaudRate();

    // A result code as a result box shows it: plain decimal text.
    static QString esitoText(int16_t esito) { return QString::number(esito); }
    // Texts and the line's bytes: one character per byte, codes 0 to 255.
    static std::string bytes(const QString& text) { return BoxText::bytes(text); }
    static QString text(const std::string& bytes) { return BoxText::text(bytes); }

private:
    Context m_context;
};

}  // namespace lettore
