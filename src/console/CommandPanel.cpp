#include "CommandPanel.h"

#include "ConnectionSettings.h"
#include "ConsoleGate.h"
#include "SerialSettings.h"
#include "clsLettori.h"
#include "frmSibrant.h"

namespace lettore {

CommandPanel::CommandPanel(Context context, QObject* parent) : QObject(parent), m_context(context) { }

void CommandPanel::onClick(QAbstractButton* button, const QString& command, std::function<void()> handler)
{
    gate().connectButton(button, command, std::move(handler));
}

const Ui::frmSibrant& CommandPanel::ui() const { return m_context.window.ui(); }

clsComunicazioni& CommandPanel::link() const { return registry().Comunicazione(); }

clsSibrant& CommandPanel::Sibrant() const { return registry().Sibrant(); }

int16_t CommandPanel::Terminale() const { return m_context.settings.Terminale; }

ReaderCommand::Result CommandPanel::run(std::string_view command, const ReaderCommand::Arguments& arguments,
                                        bool acknowledge) const
{
    return m_context.runner(ReaderCommand::named(command), Terminale(), arguments, acknowledge);
}

void CommandPanel::selectBaudRate(int index)
{
    ui().CmbBaudRate->setCurrentIndex(index);
    applyBaudRate();
}

void CommandPanel::applyBaudRate()
{
    const std::string rate = ui().CmbBaudRate->currentText().toStdString();
    if (rate == settings().Velocita)
        return;
    settings().Velocita = rate;
    link().setCommSettings(SerialSettings::readersLine(rate));
}

}  // namespace lettore
