#include "TrafficLogWindow.h"

#include "ByteText.h"
#include "Csv.h"
#include "Frame.h"
#include "PcapngCapture.h"
#include "TrafficText.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <functional>

namespace lettore {

namespace {

using Direction = TrafficRow::Direction;
using Kind = TrafficRow::Kind;

constexpr Direction Directions[] = {Direction::Sent, Direction::Received, Direction::Discarded, Direction::Line};
constexpr Kind Kinds[] = {Kind::Command, Kind::Answer,     Kind::Reading,  Kind::Ack,       Kind::Nak,
                          Kind::Noise,   Kind::Unfinished, Kind::TimedOut, Kind::PortFailed};

// The columns a find looks in.
constexpr int Searched[] = {TrafficLogModel::Meaning, TrafficLogModel::Fields, TrafficLogModel::Hex,
                            TrafficLogModel::Text, TrafficLogModel::Result};

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

QSettings layoutSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("lettore"),
                     QStringLiteral("registro-comunicazioni"));
}

}  // namespace

TrafficLogWindow::TrafficLogWindow(TrafficLogModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model), m_filter(model), m_direction(new QComboBox),
      m_address(new QLineEdit), m_kind(new QComboBox), m_pause(new QPushButton(tr("Pausa"))), m_tabs(new QTabWidget),
      m_table(new QTableView), m_statistics(new QTableWidget), m_findBar(new QWidget), m_findText(new QLineEdit),
      m_counts(new QLabel)
{
    setWindowTitle(tr("Registro comunicazioni"));
    setObjectName(QStringLiteral("RegistroComunicazioni"));

    m_direction->addItem(tr("Tutte"));
    for (const Direction d : Directions)
        m_direction->addItem(TrafficLogModel::directionName(d));
    m_kind->addItem(tr("Tutti"));
    for (const Kind k : Kinds)
        m_kind->addItem(TrafficLogModel::kindName(k));
    m_address->setPlaceholderText(tr("tutti"));
    m_address->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 24);
    m_pause->setCheckable(true);

    auto* controls = new QHBoxLayout;
    const auto labelled = [](QHBoxLayout* row, const QString& caption, QWidget* box, const char* objectName) {
        auto* label = new QLabel(caption);
        label->setBuddy(box);
        lettore::name(box, objectName);
        box->setAccessibleName(QString(caption).remove('&'));
        row->addWidget(label);
        row->addWidget(box);
    };
    labelled(controls, tr("&Direzione"), m_direction, "cmbDirezione");
    labelled(controls, tr("&Indirizzo"), m_address, "txtIndirizzo");
    labelled(controls, tr("&Tipo"), m_kind, "cmbTipo");
    name(m_pause, "cmdPausa");
    controls->addWidget(m_pause);
    QPushButton* clear = button(tr("Cancella"), "cmdCancella", controls);
    controls->addStretch();
    // The files on a row of their own, so the window fits a narrow screen.
    auto* files = new QHBoxLayout;
    QPushButton* csv = button(tr("Salva CSV..."), "cmdSalvaCsv", files);
    QPushButton* text = button(tr("Salva testo..."), "cmdSalvaTesto", files);
    QPushButton* capture = button(tr("Salva cattura..."), "cmdSalvaCattura", files);
    QPushButton* open = button(tr("Apri cattura..."), "cmdApriCattura", files);
    files->addStretch();

    auto* findRow = new QHBoxLayout(m_findBar);
    findRow->setContentsMargins(0, 0, 0, 0);
    labelled(findRow, tr("T&rova"), m_findText, "txtTrova");
    QPushButton* next = button(tr("Successivo"), "cmdTrovaSuccessivo", findRow);
    QPushButton* previous = button(tr("Precedente"), "cmdTrovaPrecedente", findRow);
    findRow->addStretch();
    m_findBar->hide();

    m_table->setModel(&m_filter);
    m_table->setAccessibleName(tr("Righe"));
    name(m_table, "grdRighe");
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setWordWrap(false);
    // Tab moves on to the next control rather than to the next cell.
    m_table->setTabKeyNavigation(false);
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    // Fixed row heights: a million rows stay cheap to lay out.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    sizeColumns();

    m_statistics->setAccessibleName(tr("Statistiche per lettore"));
    name(m_statistics, "grdStatistiche");
    m_statistics->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_statistics->setTabKeyNavigation(false);
    m_statistics->verticalHeader()->hide();
    m_tabs->addTab(m_table, tr("Righe"));
    m_tabs->addTab(m_statistics, tr("Statistiche"));
    name(m_tabs, "tabRegistro");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(files);
    layout->addWidget(m_findBar);
    layout->addWidget(m_tabs);
    layout->addWidget(m_counts);

    connect(m_direction, &QComboBox::currentIndexChanged, this, &TrafficLogWindow::applyFilter);
    connect(m_kind, &QComboBox::currentIndexChanged, this, &TrafficLogWindow::applyFilter);
    connect(m_address, &QLineEdit::textChanged, this, &TrafficLogWindow::applyFilter);
    connect(m_pause, &QPushButton::toggled, &m_model, &TrafficLogModel::setPaused);
    connect(clear, &QPushButton::clicked, this, &TrafficLogWindow::askAndClear);
    connect(csv, &QPushButton::clicked, this,
            [this] { askAndSave(tr("Salva CSV"), tr("CSV (*.csv)"), &TrafficLogWindow::saveCsv); });
    connect(text, &QPushButton::clicked, this,
            [this] { askAndSave(tr("Salva testo"), tr("Testo (*.txt)"), &TrafficLogWindow::saveText); });
    connect(capture, &QPushButton::clicked, this, [this] {
        askAndSave(tr("Salva cattura"), tr("Cattura pcapng (*.pcapng)"), &TrafficLogWindow::saveCapture);
    });
    connect(open, &QPushButton::clicked, this, &TrafficLogWindow::askAndOpen);
    connect(next, &QPushButton::clicked, this, [this] { find(m_findText->text()); });
    connect(previous, &QPushButton::clicked, this, [this] { find(m_findText->text(), true); });
    connect(m_findText, &QLineEdit::returnPressed, this, [this] { find(m_findText->text()); });
    connect(m_table, &QWidget::customContextMenuRequested, this, &TrafficLogWindow::showMenu);
    connect(&m_model, &TrafficLogModel::countsChanged, this, &TrafficLogWindow::showCounts);
    connect(m_tabs, &QTabWidget::currentChanged, this, &TrafficLogWindow::showStatistics);
    // New rows keep the view at the bottom while the user has left it there.
    connect(&m_filter, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        QScrollBar* bar = m_table->verticalScrollBar();
        if (bar->value() == bar->maximum())
            QMetaObject::invokeMethod(m_table, &QTableView::scrollToBottom, Qt::QueuedConnection);
    });
    connect(&m_filter, &QAbstractItemModel::modelReset, this,
            [this] { QMetaObject::invokeMethod(m_table, &QTableView::scrollToBottom, Qt::QueuedConnection); });

    const auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::Find, [this] {
        m_findBar->show();
        m_findText->setFocus();
        m_findText->selectAll();
    });
    shortcut(QKeySequence::FindNext, [this] { find(m_findText->text()); });
    shortcut(QKeySequence::FindPrevious, [this] { find(m_findText->text(), true); });
    shortcut(QKeySequence::Copy, [this] { copy(false); });
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), [this] { copy(true); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_W), [this] { close(); });
    shortcut(QKeySequence(Qt::Key_Escape), [this] {
        if (m_findBar->isVisible() && m_findBar->isAncestorOf(focusWidget())) {
            m_findBar->hide();
            m_table->setFocus();
        } else {
            close();
        }
    });

    m_pause->setChecked(m_model.paused());
    restoreLayout();
    showCounts();
}

TrafficLogWindow::~TrafficLogWindow()
{
    if (isVisible())
        saveLayout();
}

void TrafficLogWindow::sizeColumns()
{
    // Widths from the font, so the time keeps its milliseconds at any DPI.
    const QFontMetrics metrics = m_table->fontMetrics();
    const auto width = [&](const QString& sample) { return metrics.horizontalAdvance(sample) + 16; };
    const std::pair<int, QString> samples[] = {
        {TrafficLogModel::Time, QStringLiteral("2026-12-06T23:16:45.670Z")},
        {TrafficLogModel::Since, QStringLiteral("000000")},
        {TrafficLogModel::Direction, tr("scartati")},
        {TrafficLogModel::Kind, tr("errore porta")},
        {TrafficLogModel::Meaning, QStringLiteral("risposta a GetSetupBase TPROTO=0000 TMAC=0")},
        {TrafficLogModel::Result, tr("errore porta")},
        {TrafficLogModel::Latency, tr("Latenza")},
        {TrafficLogModel::Fields, QStringLiteral("Sibrant2 indirizzo 255 S dati \"0000000000\" controllo corretto")},
        {TrafficLogModel::Hex, QStringLiteral("02 30 21 34 31 30 30 30 30")},
    };
    for (const auto& [column, sample] : samples)
        m_table->setColumnWidth(column, width(sample));
}

void TrafficLogWindow::restoreLayout()
{
    QSettings settings = layoutSettings();
    const QByteArray geometry = settings.value(QStringLiteral("geometry")).toByteArray();
    m_placed = !geometry.isEmpty() && restoreGeometry(geometry);
    const QByteArray columns = settings.value(QStringLiteral("columns")).toByteArray();
    if (!columns.isEmpty())
        m_table->horizontalHeader()->restoreState(columns);
}

void TrafficLogWindow::saveLayout() const
{
    QSettings settings = layoutSettings();
    settings.setValue(QStringLiteral("geometry"), saveGeometry());
    settings.setValue(QStringLiteral("columns"), m_table->horizontalHeader()->saveState());
}

void TrafficLogWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    QScreen* screen = this->screen();
    if (!m_placed && screen) {
        // As wide as the columns want, within the screen it opens on.
        const QRect room = screen->availableGeometry();
        resize(std::min(m_table->horizontalHeader()->length() + 40, room.width() * 9 / 10),
               std::min(fontMetrics().height() * 30, room.height() * 8 / 10));
        m_placed = true;
    } else if (screen) {
        // A place remembered on another screen, or a larger one, is brought back within this one.
        const QRect room = screen->availableGeometry();
        QRect frame = geometry();
        frame.setSize(frame.size().boundedTo(room.size()));
        frame.moveLeft(std::clamp(frame.left(), room.left(), room.left() + room.width() - frame.width()));
        frame.moveTop(std::clamp(frame.top(), room.top(), room.top() + room.height() - frame.height()));
        setGeometry(frame);
    }
    m_table->scrollToBottom();
}

void TrafficLogWindow::closeEvent(QCloseEvent* event)
{
    saveLayout();
    QWidget::closeEvent(event);
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
    m_filter.setAddress(m_address->text().trimmed().isEmpty() ? std::nullopt : std::optional(ok ? address : -2));
}

void TrafficLogWindow::showCounts()
{
    m_counts->setText(tr("%1 righe, %2 più vecchie scartate").arg(m_model.rowCount()).arg(m_model.dropped()));
    if (m_tabs->currentWidget() == m_statistics)
        showStatistics();
}

void TrafficLogWindow::showStatistics()
{
    const ReaderStatistics& statistics = m_model.statistics();
    const QStringList headers{tr("Lettore"),   tr("Richieste"), tr("Risposte"), tr("Time-out"),
                              tr("Rifiutate"), tr("NAK"),       tr("Letture"),  tr("Latenza min ms"),
                              tr("media ms"),  tr("p95 ms"),    tr("max ms")};
    m_statistics->setColumnCount(int(headers.size()));
    m_statistics->setHorizontalHeaderLabels(headers);
    m_statistics->setRowCount(int(statistics.readers().size()) + 1);
    int row = 0;
    const auto set = [this](int row, int column, const QString& text) {
        auto* item = new QTableWidgetItem(text);
        if (column > 0)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_statistics->setItem(row, column, item);
    };
    for (const auto& [address, reader] : statistics.readers()) {
        set(row, 0, address == Frame::Broadcast ? tr("tutti") : QString::number(address));
        const long long counts[]
            = {reader.requests, reader.answers, reader.timeOuts, reader.rejected, reader.naks, reader.readings};
        for (int i = 0; i < 6; ++i)
            set(row, i + 1, QString::number(counts[i]));
        if (const auto latency = reader.latency()) {
            set(row, 7, QString::number(latency->min));
            set(row, 8, QString::number(latency->average, 'f', 1));
            set(row, 9, QString::number(latency->p95));
            set(row, 10, QString::number(latency->max));
        }
        ++row;
    }
    set(row, 0,
        tr("linea: %1 righe di rumore (%2 byte), %3 errori della porta")
            .arg(statistics.noiseRows())
            .arg(statistics.noiseBytes())
            .arg(statistics.portFailures()));
    m_statistics->setSpan(row, 0, 1, int(headers.size()));
    m_statistics->resizeColumnsToContents();
}

bool TrafficLogWindow::saveCsv(const QString& path) const
{
    return writeRows(path, m_filter, Csv::trafficHeader(), Csv::trafficRecord);
}

bool TrafficLogWindow::saveText(const QString& path) const
{
    return writeRows(path, m_filter, {}, [](const TrafficRow& row) { return TrafficText::line(row) + "\n"; });
}

bool TrafficLogWindow::saveCapture(const QString& path) const
{
    return writeRows(path, m_filter, PcapngCapture::header(), PcapngCapture::packet);
}

bool TrafficLogWindow::openCapture(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = file.readAll();
    const auto packets = PcapngCapture::read(std::string_view(content.constData(), std::size_t(content.size())));
    if (!packets)
        return false;
    m_model.clear();
    m_model.append(PcapngCapture::rows(*packets));
    m_model.showWaiting();
    return true;
}

void TrafficLogWindow::askAndSave(const QString& caption, const QString& filter,
                                  bool (TrafficLogWindow::*save)(const QString&) const)
{
    const QString path
        = QFileDialog::getSaveFileName(this, caption, {}, filter, nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    if (!(this->*save)(path))
        QMessageBox::warning(this, windowTitle(), tr("Impossibile scrivere %1").arg(path));
}

void TrafficLogWindow::askAndOpen()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Apri cattura"), {}, tr("Cattura pcapng (*.pcapng)"),
                                                      nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    if (!openCapture(path))
        QMessageBox::warning(this, windowTitle(), tr("%1 non è una cattura salvata da questo registro").arg(path));
}

void TrafficLogWindow::askAndClear()
{
    const int rows = m_model.rowCount();
    if (rows == 0) {
        m_model.clear();
        return;
    }
    QMessageBox question(QMessageBox::Question, windowTitle(),
                         tr("Cancellare tutte le %1 righe del registro e le statistiche?").arg(rows),
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setDefaultButton(QMessageBox::No);
    question.setObjectName(QStringLiteral("msgCancella"));
    if (question.exec() == QMessageBox::Yes)
        m_model.clear();
}

std::vector<int> TrafficLogWindow::selectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QString TrafficLogWindow::selectedText() const
{
    QString text;
    for (const int row : selectedRows()) {
        QStringList cells;
        for (int column = 0; column < TrafficLogModel::ColumnCount; ++column)
            cells << m_filter.data(m_filter.index(row, column), Qt::DisplayRole).toString();
        text += cells.join('\t') + '\n';
    }
    return text;
}

QString TrafficLogWindow::selectedCsv() const
{
    std::string text = Csv::trafficHeader();
    for (const int row : selectedRows())
        text += Csv::trafficRecord(m_filter.shownRow(row));
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

void TrafficLogWindow::copy(bool csv) const
{
    if (!m_table->selectionModel()->hasSelection())
        return;
    QApplication::clipboard()->setText(csv ? selectedCsv() : selectedText());
}

bool TrafficLogWindow::find(const QString& text, bool backwards)
{
    const int count = m_filter.rowCount();
    if (text.isEmpty() || count == 0)
        return false;
    const int current = m_table->currentIndex().isValid() ? m_table->currentIndex().row() : (backwards ? count : -1);
    const int step = backwards ? -1 : 1;
    for (int i = 1; i <= count; ++i) {
        const int row = ((current + step * i) % count + count) % count;
        for (const int column : Searched)
            if (m_filter.data(m_filter.index(row, column), Qt::DisplayRole)
                    .toString()
                    .contains(text, Qt::CaseInsensitive)) {
                m_table->setCurrentIndex(m_filter.index(row, 0));
                m_table->selectRow(row);
                m_table->scrollTo(m_filter.index(row, 0));
                return true;
            }
    }
    return false;
}

void TrafficLogWindow::showMenu(const QPoint& at)
{
    QMenu menu(this);
    menu.addAction(tr("Copia"), QKeySequence::Copy, this, [this] { copy(false); });
    menu.addAction(tr("Copia come CSV"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), this, [this] { copy(true); });
    menu.addAction(tr("Seleziona tutto"), QKeySequence::SelectAll, m_table, &QTableView::selectAll);
    const QModelIndex index = m_table->indexAt(at);
    if (index.isValid()) {
        const int reader = m_model.store().reader(std::size_t(m_filter.sourceRow(index.row())));
        if (reader >= 0)
            menu.addAction(tr("Solo il lettore %1").arg(reader), this,
                           [this, reader] { m_address->setText(QString::number(reader)); });
    }
    if (!m_address->text().isEmpty())
        menu.addAction(tr("Tutti i lettori"), this, [this] { m_address->clear(); });
    menu.addAction(tr("Trova..."), QKeySequence::Find, this, [this] {
        m_findBar->show();
        m_findText->setFocus();
    });
    menu.exec(m_table->viewport()->mapToGlobal(at));
}

}  // namespace lettore
