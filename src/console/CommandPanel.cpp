#include "CommandPanel.h"

#include "ConsoleGate.h"
#include "clsLettori.h"
#include "frmSibrant.h"

#include <QAbstractButton>

namespace lettore {

CommandPanel::CommandPanel(Context context, QObject* parent)
    : QObject(parent), m_context(std::move(context))
{
}

void CommandPanel::onClick(QAbstractButton* button, const QString& command, std::function<void()> handler)
{
    gate().guard(button);
    connect(button, &QAbstractButton::clicked, this,
            [this, command, handler = std::move(handler)] { gate().run(command, handler); });
}

const Ui::frmSibrant& CommandPanel::ui() const { return m_context.window.ui(); }

clsSibrant& CommandPanel::Sibrant() const { return registry().Sibrant(); }

std::string CommandPanel::bytes(const QString& text) { return text.toLatin1().toStdString(); }

QString CommandPanel::text(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace lettore
