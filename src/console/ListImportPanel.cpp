#include "ListImportPanel.h"

#include "BadgeCode.h"
#include "ByteText.h"
#include "Esito.h"
#include "FileJobWindow.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace lettore {

namespace {

using Outcome = Enrolment::Outcome;

QString shown(const std::string& bytes)
{
    return QStringLiteral("\"%1\"").arg(QString::fromStdString(ByteText::escape(bytes)));
}

QString outcomeText(const Outcome& check)
{
    return check.esito != 0 ? QStringLiteral("esito %1").arg(check.esito)
                            : QStringLiteral("risposta %1").arg(shown(check.status));
}

}  // namespace

ListImportPanel::ListImportPanel(Context context, QObject* parent)
    : FileJobPanel(std::move(context), QStringLiteral("Importa lista"), QStringLiteral("File lista"), parent)
{
    m_compare = addJob(QStringLiteral("Confronta"), QStringLiteral("Confronta lista"), [this] { compare(); });
    m_write = addJob(QStringLiteral("Scrivi"), QStringLiteral("Scrivi lista"), [this] { write(); });
    connect(jobWindow().file(), &QLineEdit::editingFinished, this, [this] { loadList(); });
    connect(jobWindow().file(), &QLineEdit::textChanged, this, [this] { updateButtons(); });
    connect(jobWindow().browse(), &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getOpenFileName(
            &jobWindow(), QStringLiteral("Lista dei codici badge"), jobWindow().file()->text(),
            QStringLiteral("Liste (*.csv *.tsv *.txt);;Tutti i file (*)"));
        if (chosen.isEmpty())
            return;
        jobWindow().file()->setText(chosen);
        loadList();
    });
    loadList();
}

QString ListImportPanel::problemText(const CodeList::Issue& issue)
{
    switch (issue.problem) {
    case CodeList::Problem::Malformed:
        return issue.text.empty()
                   ? QStringLiteral("nessun codice")
                   : QStringLiteral("non è un codice badge (da 1 a 10 cifre): %1").arg(shown(issue.text));
    case CodeList::Problem::Overlong: return QStringLiteral("codice di più di 10 cifre: %1").arg(shown(issue.text));
    case CodeList::Problem::Duplicate:
        return QStringLiteral("il codice %1 (%2) è già alla riga %3")
            .arg(QString::fromStdString(BadgeCode::padded(issue.text)), shown(issue.text))
            .arg(issue.firstLine);
    }
    return {};
}

void ListImportPanel::loadList()
{
    m_list.reset();
    m_missing.reset();
    jobWindow().details()->clear();
    const QString path = jobWindow().file()->text();
    if (path.isEmpty()) {
        setSummary(QStringLiteral("Scegliere il file della lista: CSV, TSV o un codice per riga."));
    } else {
        std::string error;
        std::optional<CodeList> list = CodeList::load(path.toStdString(), error);
        QStringList lines;
        if (!list) {
            setSummary(QStringLiteral("Impossibile leggere il file: %1").arg(QString::fromStdString(error)));
        } else if (!list->issues.empty()) {
            for (const CodeList::Issue& issue : list->issues)
                lines << QStringLiteral("riga %1: %2").arg(issue.line).arg(problemText(issue));
            setSummary(
                QStringLiteral("%1 righe da correggere: nulla sarà inviato finché restano.").arg(list->issues.size()));
        } else if (list->entries.empty()) {
            setSummary(QStringLiteral("Il file non contiene codici."));
        } else {
            setSummary(QStringLiteral("%1 codici%2. Confronta li cerca sul lettore.")
                           .arg(list->entries.size())
                           .arg(list->headerLine ? QStringLiteral(" (riga %1 intestazione)").arg(list->headerLine)
                                                 : QString()));
            m_list = std::move(list);
        }
        jobWindow().details()->setPlainText(lines.join('\n'));
    }
    updateButtons();
}

void ListImportPanel::updateButtons()
{
    m_compare->setEnabled(idle() && !jobWindow().file()->text().isEmpty());
    m_write->setEnabled(idle() && m_missing.has_value());
}

void ListImportPanel::showStep(const Enrolment::Progress& step)
{
    showProgress(int(step.index), int(step.count),
                 QStringLiteral("%1 %2 di %3").arg(Enrolment::stepName(step.step)).arg(step.index).arg(step.count));
}

void ListImportPanel::compare()
{
    // The file as it is now, whether or not its box was left since it changed.
    loadList();
    if (!m_list || !oneReader())
        return;
    const Enrolment::Report report
        = Enrolment(
              link(), Terminale(), [this](const auto& step) { showStep(step); }, [this] { return stopRequested(); })
              .compare(m_list->codes());
    std::vector<std::string> missing;
    QStringList lines;
    int present = 0;
    for (const Outcome& check : report.checked) {
        if (check.listed()) {
            ++present;
        } else if (check.notListed()) {
            missing.push_back(check.code);
            lines << QStringLiteral("mancante %1").arg(QString::fromStdString(check.code));
        } else {
            lines << QStringLiteral("ignoto %1 %2").arg(QString::fromStdString(check.code), outcomeText(check));
        }
    }
    jobWindow().details()->setPlainText(lines.join('\n'));
    const QString counts = QStringLiteral("presenti %1, mancanti %2, senza risposta %3")
                               .arg(present)
                               .arg(missing.size())
                               .arg(report.checked.size() - present - missing.size());
    if (!report.finished()) {
        setSummary(QStringLiteral("Confronto interrotto dopo %1 codici di %2: %3.")
                       .arg(report.checked.size())
                       .arg(m_list->entries.size())
                       .arg(counts)
                   + (report.esito == Esito::PortFailed ? QStringLiteral(" Errore della porta seriale.") : QString()));
        return;
    }
    setSummary(QStringLiteral("Codici %1: %2.").arg(m_list->entries.size()).arg(counts)
               + (missing.empty() ? QString() : QStringLiteral(" Scrivi aggiunge i mancanti e rilegge ogni codice.")));
    m_missing = std::move(missing);
}

void ListImportPanel::write()
{
    if (!m_list || !m_missing || !oneReader())
        return;
    const std::vector<std::string> codes = m_list->codes();
    const std::filesystem::path file = jobWindow().file()->text().toStdString();
    EnrolmentJournal journal;
    const bool kept = journal.open(EnrolmentJournal::pathFor(file), EnrolmentJournal::identity(codes, readerName()));
    const Enrolment::Report report = Enrolment(
                                         link(), Terminale(), [this](const auto& step) { showStep(step); },
                                         [this] { return stopRequested(); }, kept ? &journal : nullptr)
                                         .write(codes, {}, &*m_missing);
    const QString resumed = report.resumed
                                ? QStringLiteral(" (%1 passi ripresi da un'esecuzione precedente)").arg(report.resumed)
                                : QString();
    if (!report.finished()) {
        setSummary(QStringLiteral("Scrittura interrotta%1%2: Scrivi riprende da dove si è fermata.")
                       .arg(report.esito == Esito::PortFailed ? QStringLiteral(" da un errore della porta seriale")
                                                              : QString(),
                            resumed));
        return;
    }
    if (kept)
        journal.remove();
    QStringList lines;
    const std::vector<Enrolment::Mismatch> mismatches = report.mismatches();
    for (const Enrolment::Mismatch& mismatch : mismatches)
        lines << QStringLiteral("discordante %1 %2")
                     .arg(QString::fromStdString(mismatch.code), QString::fromStdString(mismatch.reason));
    jobWindow().details()->setPlainText(lines.join('\n'));
    const std::size_t verified = report.checked.size() - mismatches.size();
    setSummary(
        mismatches.empty()
            ? QStringLiteral("Tutti i %1 codici sono sul lettore (riletti uno a uno)%2.").arg(verified).arg(resumed)
            : QStringLiteral("Riletti sul lettore %1 codici di %2; %3 discordanti, elencati sotto%4.")
                  .arg(verified)
                  .arg(report.checked.size())
                  .arg(mismatches.size())
                  .arg(resumed));
    m_missing.reset();  // the reader has changed: compare again before another write
    updateButtons();
}

}  // namespace lettore
