#include "TrafficLogWindow.h"

#include "Csv.h"
#include "TrafficText.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <functional>

namespace lettore {

namespace {

using Direction = TrafficRow::Direction;
using Kind = TrafficRow::Kind;

constexpr Direction Directions[] = {Direction::Sent, Direction::Received, Direction::Discarded, Direction::Line};
constexpr Kind Kinds[] = {Kind::Command, Kind::Answer, Kind::Reading, Kind::Ack, Kind::Nak,
                          Kind::Noise, Kind::Unfinished, Kind::TimedOut, Kind::PortFailed};

// Writes `header` and a line per shown row through QSaveFile, so a failed
// write leaves the old file.
bool writeRows(const QString& path, const TrafficLogFilter& rows, const std::string& header,
               const std::function<std::string(const TrafficRow&)>& line)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    std::string text = header;
    for (int i = 0; i < rows.rowCount(); ++i) {
        text += line(rows.shownRow(i));
        if (text.size() > 65536) {
            file.write(text.data(), qint64(text.size()));
            text.clear();
        }
    }
    file.write(text.data(), qint64(text.size()));
    return file.commit();
}

// Controls are found by their name, also as their accessible description,
// as in the console's windows.
void name(QWidget* control, const char* objectName)
{
    control->setObjectName(QLatin1String(objectName));
    control->setAccessibleDescription(QLatin1String(objectName));
}

QPushButton* button(const QString& caption, const char* objectName, QHBoxLayout* row)
{
    auto* b = new QPushButton(caption);
    name(b, objectName);
    row->addWidget(b);
    return b;
}

}  // namespace

TrafficLogWindow::TrafficLogWindow(TrafficLogModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_model(model),
      m_filter(model),
      m_direction(new QComboBox),
      m_address(new QLineEdit),
      m_kind(new QComboBox),
      m_pause(new QPushButton(tr("Pausa"))),
      m_table(new QTableView),
      m_counts(new QLabel)
{
    setWindowTitle(tr("Registro comunicazioni"));
    setObjectName(QStringLiteral("RegistroComunicazioni"));
    resize(1100, 480);

    m_direction->addItem(tr("Tutte"));
    for (const Direction d : Directions)
        m_direction->addItem(QString::fromLatin1(TrafficRow::name(d)));
    m_kind->addItem(tr("Tutti"));
    for (const Kind k : Kinds)
        m_kind->addItem(QString::fromLatin1(TrafficRow::name(k)));
    m_address->setPlaceholderText(tr("tutti"));
    m_address->setMaximumWidth(60);
    m_pause->setCheckable(true);

    auto* controls = new QHBoxLayout;
    const auto labelled = [&](const QString& caption, QWidget* box, const char* objectName) {
        auto* label = new QLabel(caption);
        label->setBuddy(box);
        lettore::name(box, objectName);
        box->setAccessibleName(QString(caption).remove('&'));
        controls->addWidget(label);
        controls->addWidget(box);
    };
    labelled(tr("&Direzione"), m_direction, "cmbDirezione");
    labelled(tr("&Indirizzo"), m_address, "txtIndirizzo");
    labelled(tr("&Tipo"), m_kind, "cmbTipo");
    name(m_pause, "cmdPausa");
    controls->addWidget(m_pause);
    QPushButton* clear = button(tr("Cancella"), "cmdCancella", controls);
    QPushButton* csv = button(tr("Salva CSV..."), "cmdSalvaCsv", controls);
    QPushButton* text = button(tr("Salva testo..."), "cmdSalvaTesto", controls);
    controls->addStretch();

    m_table->setModel(&m_filter);
    m_table->setAccessibleName(tr("Righe"));
    name(m_table, "grdRighe");
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    // Fixed row heights and column widths: 100,000 rows stay cheap to lay out.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {190, 70, 80, 330, 220};
    for (int column = 0; column < int(std::size(widths)); ++column)
        m_table->setColumnWidth(column, widths[column]);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_table);
    layout->addWidget(m_counts);

    connect(m_direction, &QComboBox::currentIndexChanged, this, &TrafficLogWindow::applyFilter);
    connect(m_kind, &QComboBox::currentIndexChanged, this, &TrafficLogWindow::applyFilter);
    connect(m_address, &QLineEdit::textChanged, this, &TrafficLogWindow::applyFilter);
    connect(m_pause, &QPushButton::toggled, &m_model, &TrafficLogModel::setPaused);
    connect(clear, &QPushButton::clicked, &m_model, &TrafficLogModel::clear);
    connect(csv, &QPushButton::clicked, this, [this] { askAndSave(tr("Salva CSV"), tr("CSV (*.csv)"), true); });
    connect(text, &QPushButton::clicked, this, [this] { askAndSave(tr("Salva testo"), tr("Testo (*.txt)"), false); });
    connect(&m_model, &TrafficLogModel::countsChanged, this, &TrafficLogWindow::showCounts);
    // New rows keep the view at the bottom while the user has left it there.
    connect(&m_filter, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        QScrollBar* bar = m_table->verticalScrollBar();
        if (bar->value() == bar->maximum())
            QMetaObject::invokeMethod(m_table, &QTableView::scrollToBottom, Qt::QueuedConnection);
    });
    m_pause->setChecked(m_model.paused());
    showCounts();
}

void TrafficLogWindow::applyFilter()
{
    const int direction = m_direction->currentIndex();
    m_filter.setDirection(direction > 0 ? std::optional(Directions[direction - 1]) : std::nullopt);
    const int kind = m_kind->currentIndex();
    m_filter.setKind(kind > 0 ? std::optional(Kinds[kind - 1]) : std::nullopt);
    bool ok = false;
    const int address = m_address->text().trimmed().toInt(&ok);
    // A text that is no address matches nothing, rather than everything.
    m_filter.setAddress(m_address->text().trimmed().isEmpty() ? std::nullopt
                                                               : std::optional(ok ? address : -1));
}

void TrafficLogWindow::showCounts()
{
    m_counts->setText(tr("%1 righe, %2 più vecchie scartate").arg(m_model.rowCount()).arg(m_model.dropped()));
}

bool TrafficLogWindow::saveCsv(const QString& path) const
{
    return writeRows(path, m_filter, Csv::trafficHeader(), Csv::trafficRecord);
}

bool TrafficLogWindow::saveText(const QString& path) const
{
    return writeRows(path, m_filter, {}, [](const TrafficRow& row) { return TrafficText::line(row) + "\n"; });
}

void TrafficLogWindow::askAndSave(const QString& caption, const QString& filter, bool csv)
{
    const QString path = QFileDialog::getSaveFileName(this, caption, {}, filter, nullptr,
                                                      QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    if (!(csv ? saveCsv(path) : saveText(path)))
        QMessageBox::warning(this, windowTitle(), tr("Impossibile scrivere %1").arg(path));
}

}  // namespace lettore
