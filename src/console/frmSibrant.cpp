#include "frmSibrant.h"

#include "FieldCodec.h"
#include "SingleByteValidator.h"
#include "Twips.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QSignalBlocker>
#include <QStatusBar>

namespace {

// Qt names a drop-down list on Linux by its entry ("9600"), so a screen
// reader announces the value where the caption belongs. A list given an
// accessible name (the caption above it) is told by that name instead; the
// entry is its value, and its drop-down is its one child, as Qt has them.
class NamedComboAccessible : public QAccessibleWidget {
public:
    explicit NamedComboAccessible(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) { }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return list()->currentText();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(list()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == list()->view() ? 0 : -1;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = list()->view()->isVisible();
        state.collapsed = !state.expanded;
        return state;
    }
    QStringList actionNames() const override
    {
        return QStringList(showMenuAction()) << QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override
    {
        if (action == showMenuAction() || action == pressAction())
            list()->view()->isVisible() ? list()->hidePopup() : list()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox* list() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* namedComboAccessible(const QString& className, QObject* object)
{
    auto* list = className == QLatin1String("QComboBox") ? qobject_cast<QComboBox*>(object) : nullptr;
    if (!list || list->isEditable() || list->accessibleName().isEmpty())
        return nullptr;
    return new NamedComboAccessible(list);
}

std::unique_ptr<Ui::frmSibrant> loadForm(QMainWindow* window)
{
    static const bool installed = (QAccessible::installFactory(namedComboAccessible), true);
    (void)installed;
    auto ui = std::make_unique<Ui::frmSibrant>();
    ui->setupUi(window);
    Twips(window->logicalDpiX()).placeForm(*window);
    return ui;
}

}  // namespace

frmSibrant::frmSibrant(QWidget* parent)
    : QMainWindow(parent),
      m_ui(loadForm(this)), TxtEsito{m_ui->TxtEsito_0, m_ui->TxtEsito_1, m_ui->TxtEsito_2, m_ui->TxtEsito_3,
                                     m_ui->TxtEsito_4, m_ui->TxtEsito_5, m_ui->TxtEsito_6, m_ui->TxtEsito_7,
                                     m_ui->TxtEsito_8, m_ui->TxtEsito_9},
      Text11{m_ui->Text11_0, m_ui->Text11_1, m_ui->Text11_2, m_ui->Text11_3, m_ui->Text11_4,  m_ui->Text11_5,
             m_ui->Text11_6, m_ui->Text11_7, m_ui->Text11_8, m_ui->Text11_9, m_ui->Text11_10, m_ui->Text11_11},
      TxtBadge{m_ui->TxtBadge_0, m_ui->TxtBadge_1, m_ui->TxtBadge_2, m_ui->TxtBadge_3, m_ui->TxtBadge_4,
               m_ui->TxtBadge_5, m_ui->TxtBadge_6, m_ui->TxtBadge_7, m_ui->TxtBadge_8, m_ui->TxtBadge_9},
      Command3{m_ui->Command3_0, m_ui->Command3_1, m_ui->Command3_2}, optMultiMaster{m_ui->optMultiMaster_0,
                                                                                     m_ui->optMultiMaster_1}
{
    // The boxes whose text the commands send as typed.
    for (QLineEdit* box : {Text11[0], Text11[1], Text11[2], Text11[3], Text11[4], Text11[5], m_ui->Text3, m_ui->Text4,
                           m_ui->Text5, m_ui->Text14, m_ui->Text8, m_ui->txtCodeAddr})
        new lettore::SingleByteValidator(*box);
    // A caption stands on the box below it, in a label as tall as its line
    // at 96 DPI. At a higher DPI the line can outgrow the placed label by a
    // pixel: its empty top is then given up, not the descenders ("Led_v").
    for (QLabel* caption : findChildren<QLabel*>())
        caption->setAlignment(Qt::AlignLeft | Qt::AlignBottom);

    // The rates a reader can be given, in both lists, none selected.
    for (QComboBox* list : {m_ui->CmbBaudRate, m_ui->CobNewBaudRate}) {
        for (const std::string& rate : lettore::FieldCodec::baudRates())
            list->addItem(QString::fromStdString(rate));
        list->setCurrentIndex(-1);
    }

    // The status line goes below the form's client area, never over it.
    const QSize client = size();
    centralWidget()->setMinimumSize(client);
    m_stop = new QPushButton(QStringLiteral("Interrompi"), statusBar());
    m_stop->setObjectName(QStringLiteral("CmdStop"));
    m_stop->setAccessibleDescription(
        QStringLiteral("Ferma il comando in corso al termine dello scambio attuale [CmdStop]"));
    m_stop->setToolTip(QStringLiteral("Interrompe il comando in corso (Esc)"));
    m_stop->setEnabled(false);
    // A click leaves the focus where the command left it, so that the
    // command's end gives it back to the control that started it.
    m_stop->setFocusPolicy(Qt::NoFocus);
    statusBar()->addPermanentWidget(m_stop);
    resize(client.width(), client.height() + statusBar()->sizeHint().height());
}

frmSibrant::~frmSibrant() = default;

std::optional<int16_t> frmSibrant::address(const QComboBox& list)
{
    if (list.currentIndex() < 0)
        return std::nullopt;
    return static_cast<int16_t>(list.currentIndex());
}

void frmSibrant::RiempiIndirizzi()
{
    QStringList addresses;
    for (int address = 0; address <= 255; ++address)
        addresses << QStringLiteral("%1").arg(address, 3, 10, QLatin1Char('0'));

    for (QComboBox* list : {m_ui->CmbTerminale, m_ui->CmbNewAddr, m_ui->cmbSetIndirizzo}) {
        const QSignalBlocker blocker(list);
        list->clear();
        list->addItems(addresses);
        if (list == m_ui->CmbTerminale)
            list->addItem(QStringLiteral("256"));  // every reader at once
        list->setCurrentIndex(-1);
    }
}
