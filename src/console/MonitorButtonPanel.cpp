#include "MonitorButtonPanel.h"

#include "MonCom.h"
#include "frmSibrant.h"

namespace lettore {

MonitorButtonPanel::MonitorButtonPanel(Context context, QObject* parent) : CommandPanel(context, parent)
{
    connect(ui().Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
}

void MonitorButtonPanel::Command8_Click()
{
    QPushButton* button = ui().Command8;
    if (button->text() == QLatin1String("Visualizza Monitor")) {
        MonCom::instance().showInFront();
        button->setText(QStringLiteral("Nascondi Monitor"));
    } else if (MonCom::instance().isMinimized()) {
        // Minimised by the window manager, though it offers no such button:
        // the press brings it back rather than hiding what cannot be seen.
        MonCom::instance().showInFront();
    } else {
        MonCom::instance().hide();
        button->setText(QStringLiteral("Visualizza Monitor"));
    }
    ui().Text3->setFocus();
}

}  // namespace lettore
