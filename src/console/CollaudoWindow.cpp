#include "CollaudoWindow.h"

#include "ConsoleGate.h"
#include "EventLoopPause.h"
#include "HtmlReport.h"
#include "PlanFile.h"
#include "PlanRunner.h"
#include "ReportFiles.h"
#include "WallTime.h"
#include "clsLettori.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSysInfo>
#include <QTableWidget>
#include <QVBoxLayout>

namespace lettore {

namespace {

enum Column { StepColumn, VerdictColumn, LatencyColumn, NotesColumn, ColumnCount };

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

// A labelled control: the label is its buddy, and its accessible name the
// label's words, as in the console's other windows.
template <typename Control>
Control* labelled(QFormLayout* form, const QString& caption, Control* control)
{
    auto* label = new QLabel(caption);
    label->setBuddy(control);
    control->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    form->addRow(label, control);
    return control;
}

// A labelled box with a button beside it that fills it; the button comes back.
QPushButton* withButton(QFormLayout* form, const QString& caption, QLineEdit* box, const QString& buttonText)
{
    auto* button = new QPushButton(buttonText);
    auto* row = new QHBoxLayout;
    row->addWidget(box);
    row->addWidget(button);
    auto* label = new QLabel(caption);
    label->setBuddy(box);
    box->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    form->addRow(label, row);
    return button;
}

}  // namespace

CollaudoWindow::CollaudoWindow(Context context, QWidget* parent)
    : QWidget(parent, Qt::Window), m_context(std::move(context))
{
    setWindowTitle(title());
    auto* settings = new QGroupBox(tr("Collaudo"));
    auto* form = new QFormLayout(settings);
    m_terminal = labelled(form, tr("Terminale"), new QLabel);
    m_operator = labelled(form, tr("&Operatore"), new QLineEdit(qEnvironmentVariable("USER")));
    m_plan = new QLineEdit;
    m_plan->setPlaceholderText(tr("piano predefinito"));
    auto* planButton = withButton(form, tr("&Piano"), m_plan, tr("&Scegli piano…"));
    m_folder = new QLineEdit(QDir::homePath());
    auto* folderButton = withButton(form, tr("&Rapporti in"), m_folder, tr("S&foglia…"));
    m_alone = new QCheckBox(tr("&Lettore unico sulla linea: prova anche le velocità"));
    m_badge = new QCheckBox(tr("Prova &badge con l'operatore"));
    form->addRow(m_alone);
    form->addRow(m_badge);

    m_steps = new QTableWidget(0, ColumnCount);
    m_steps->setHorizontalHeaderLabels({tr("Passo"), tr("Esito"), tr("Latenza"), tr("Note")});
    m_steps->horizontalHeader()->setStretchLastSection(true);
    m_steps->setColumnWidth(StepColumn, 280);
    m_steps->setColumnWidth(VerdictColumn, 100);
    m_steps->setColumnWidth(LatencyColumn, 70);
    m_steps->verticalHeader()->setVisible(false);
    m_steps->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_steps->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_steps->setAccessibleName(tr("Passi"));
    m_status = new QLabel;
    m_status->setWordWrap(true);
    m_status->setAccessibleName(tr("Stato"));

    m_start = new QPushButton(tr("&Avvia"));
    m_stop = new QPushButton(tr("&Interrompi"));
    m_stop->setEnabled(false);
    m_open = new QPushButton(tr("Apri ra&pporto"));
    m_open->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    buttons->addStretch();
    buttons->addWidget(m_open);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(settings);
    layout->addWidget(m_steps, 1);
    layout->addWidget(m_status);
    layout->addLayout(buttons);
    resize(860, 600);

    connect(m_start, &QPushButton::clicked, this, &CollaudoWindow::start);
    connect(m_stop, &QPushButton::clicked, this, &CollaudoWindow::stop);
    connect(m_open, &QPushButton::clicked, this, [this] { m_context.openReport(m_report); });
    connect(planButton, &QPushButton::clicked, this, &CollaudoWindow::choosePlan);
    connect(folderButton, &QPushButton::clicked, this, &CollaudoWindow::chooseFolder);
    // Nothing else may start while a command runs, this one included.
    m_context.gate.guard(m_start);
    m_terminal->setText(QString::number(m_context.terminal()));
}

void CollaudoWindow::choosePlan()
{
    const QString file
        = QFileDialog::getOpenFileName(this, tr("Piano di collaudo"), m_plan->text(), tr("Piani (*.json)"));
    if (!file.isEmpty())
        m_plan->setText(file);
}

void CollaudoWindow::chooseFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Cartella dei rapporti"), m_folder->text());
    if (!folder.isEmpty())
        m_folder->setText(folder);
}

bool CollaudoWindow::loadPlan(TestPlan& plan, std::string& planText)
{
    try {
        planText = PlanFile::defaultText();
        plan = m_plan->text().isEmpty() ? PlanFile::parse(planText)
                                        : PlanFile::load(m_plan->text().toStdString(), planText);
        return true;
    } catch (const PlanError& error) {
        QMessageBox::warning(this, title(), tr("Piano non valido: %1").arg(text(error.what())));
        return false;
    }
}

void CollaudoWindow::start()
{
    if (m_running)
        return;
    if (m_context.terminal() > 255) {
        m_status->setText(tr("Scegliere un lettore nella finestra principale: il terminale %1 li raggiunge tutti "
                             "e nessuno risponde.")
                              .arg(m_context.terminal()));
        return;
    }
    TestPlan plan;
    std::string planText;
    if (!loadPlan(plan, planText))
        return;
    // Stopped, a test still puts the reader back as it was: only the wait
    // under way is cut short.
    const bool started = m_context.gate.run(
        title(), [this, plan, planText] { runPlan(plan, planText); }, ConsoleGate::StopEnds::CurrentWait);
    if (!started)
        m_status->setText(tr("Un altro comando è in corso: riprovare quando è finito."));
}

void CollaudoWindow::stop()
{
    if (!m_running)
        return;
    ++m_stopPresses;
    m_context.registry.Comunicazione().abandonWait();
    m_status->setText(m_stopPresses == 1 ? tr("Interruzione: il lettore viene rimesso com'era (Interrompi di nuovo per "
                                              "lasciarlo com'è).")
                                         : tr("Interruzione: il lettore resta com'è."));
}

void CollaudoWindow::runPlan(const TestPlan& plan, const std::string& planText)
{
    m_running = true;
    m_stopPresses = 0;
    m_report.clear();
    m_open->setEnabled(false);
    m_stop->setEnabled(true);
    const int16_t term = m_context.terminal();
    m_terminal->setText(QString::number(term));
    m_steps->setRowCount(static_cast<int>(plan.steps.size()));
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        const int row = static_cast<int>(i);
        m_steps->setItem(row, StepColumn, new QTableWidgetItem(text(plan.steps[i].title)));
        for (int column : {VerdictColumn, LatencyColumn, NotesColumn})
            m_steps->setItem(row, column, new QTableWidgetItem(column == VerdictColumn ? tr("in attesa") : QString()));
    }
    m_status->setText(tr("Collaudo del lettore %1 in corso").arg(term));

    static SteadyClock clock;
    PlanRunner::Hooks hooks{
        clock,
        pauseServingEvents,
        [this] { return m_stopPresses > 0 || m_context.gate.betweenExchanges(); },
        [this] { return m_stopPresses > 1; },
        [this](const std::string& line) { m_status->setText(text(line)); },
        [this](std::size_t index, const StepResult& step, bool running) { showStep(index, step, running); },
        [] { return isoTime(std::chrono::system_clock::now()); },
    };
    const RunInfo info{"lettore-console " LETTORE_VERSION, plan.name, PlanFile::sha256(planText),
                       m_operator->text().toStdString(), QSysInfo::machineHostName().toStdString()};
    m_record = PlanRunner(m_context.registry.Comunicazione(), m_context.traffic, hooks)
                   .run(plan, {term, m_alone->isChecked(), m_badge->isChecked()});

    std::vector<std::filesystem::path> written;
    const std::string refusal = ReportFiles(m_folder->text().toStdString()).write(info, m_record, written);
    const QString outcome = text(HtmlReport::verdict(m_record));
    m_stop->setEnabled(false);
    m_running = false;
    if (!refusal.empty()) {
        m_status->setText(tr("Collaudo %1; rapporto non scritto: %2").arg(outcome, text(refusal)));
        return;
    }
    m_report = QString::fromStdString(written.front().string());
    m_open->setEnabled(true);
    m_status->setText(tr("Collaudo %1; rapporto %2").arg(outcome, m_report));
    m_context.openReport(m_report);
}

void CollaudoWindow::showStep(std::size_t index, const StepResult& step, bool running)
{
    const int row = static_cast<int>(index);
    QString notes;
    for (const std::string& reason : step.reasons)
        notes += (notes.isEmpty() ? QString() : QStringLiteral("; ")) + text(reason);
    m_steps->item(row, VerdictColumn)->setText(running ? tr("in corso") : QString::fromUtf8(verdictText(step.verdict)));
    m_steps->item(row, LatencyColumn)->setText(step.latencyMs ? tr("%1 ms").arg(*step.latencyMs) : QString());
    m_steps->item(row, NotesColumn)->setText(notes);
    m_steps->scrollToItem(m_steps->item(row, StepColumn));
}

}  // namespace lettore
