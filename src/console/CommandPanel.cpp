#include "CommandPanel.h"

#include "ConsoleGate.h"
#include "clsLettori.h"
#include "frmSibrant.h"

namespace lettore {

CommandPanel::CommandPanel(Context context, QObject* parent)
    : QObject(parent), m_context(std::move(context))
{
}

void CommandPanel::onClick(QAbstractButton* button, const QString& command, std::function<void()> handler)
{
    gate().connectButton(button, command, std::move(handler));
}

const Ui::frmSibrant& CommandPanel::ui() const { return m_context.window.ui(); }

clsSibrant& CommandPanel::Sibrant() const { return registry().Sibrant(); }

}  // namespace lettore
