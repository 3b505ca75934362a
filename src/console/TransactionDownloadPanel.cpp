#include "TransactionDownloadPanel.h"

#include "ByteText.h"
#include "Esito.h"
#include "FileJobWindow.h"
#include "TransactionFile.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace lettore {

TransactionDownloadPanel::TransactionDownloadPanel(Context context, QObject* parent)
    : FileJobPanel(std::move(context), QStringLiteral("Scarica transazioni"), QStringLiteral("File CSV"), parent)
{
    m_download = addJob(QStringLiteral("Scarica"), QStringLiteral("Scarica transazioni"), [this] { download(); });
    connect(jobWindow().file(), &QLineEdit::editingFinished, this, [this] { countRecords(); });
    connect(jobWindow().file(), &QLineEdit::textChanged, this, [this] { updateButtons(); });
    connect(jobWindow().browse(), &QPushButton::clicked, this, [this] {
        // Records are appended: choosing a file that exists is no overwrite.
        const QString chosen = QFileDialog::getSaveFileName(
            &jobWindow(), QStringLiteral("File delle transazioni"), jobWindow().file()->text(),
            QStringLiteral("CSV (*.csv);;Tutti i file (*)"), nullptr, QFileDialog::DontConfirmOverwrite);
        if (chosen.isEmpty())
            return;
        jobWindow().file()->setText(chosen);
        countRecords();
    });
    countRecords();
}

void TransactionDownloadPanel::countRecords()
{
    const QString path = jobWindow().file()->text();
    const std::optional<std::size_t> records = TransactionFile::countRecords(path.toStdString());
    m_fileUsable = !path.isEmpty() && (records || !QFileInfo::exists(path) || QFileInfo(path).size() == 0);
    if (path.isEmpty())
        setSummary(QStringLiteral("Scegliere il file CSV a cui aggiungere le transazioni."));
    else if (records)
        setSummary(
            QStringLiteral("Il file contiene già %1 transazioni; le nuove si aggiungono in fondo.").arg(*records));
    else if (m_fileUsable)
        setSummary(QStringLiteral("File nuovo: Scarica lo crea."));
    else
        setSummary(QStringLiteral("Il file non è un file di transazioni: sceglierne un altro."));
    updateButtons();
}

void TransactionDownloadPanel::updateButtons()
{
    m_download->setEnabled(idle() && !jobWindow().file()->text().isEmpty());
}

void TransactionDownloadPanel::download()
{
    countRecords();
    if (!m_fileUsable || !oneReader())
        return;
    const QString path = jobWindow().file()->text();
    TransactionFile file;
    if (!file.open(path.toStdString(), readerName())) {
        setSummary(QStringLiteral("Impossibile scrivere nel file: %1").arg(QString::fromStdString(file.error())));
        return;
    }
    jobWindow().details()->clear();
    int stored = 0;
    const auto progress = [this, &stored](const TransactionRecord& record) {
        jobWindow().details()->appendPlainText(QStringLiteral("%1 status %2 %3%4")
                                                   .arg(QString::fromStdString(ByteText::escape(record.code)),
                                                        QString::fromStdString(ByteText::escape(record.status)),
                                                        QString::fromStdString(record.downloaded),
                                                        record.repeated ? QStringLiteral(" ripetuta") : QString()));
        showProgress(0, 0, QStringLiteral("transazione %1").arg(++stored));
    };
    showProgress(0, 0, QString());
    const TransactionDownload::Result result
        = TransactionDownload(link(), Terminale(), file, progress, [this] { return stopRequested(); }).run();
    showProgress(0, 1, QString());
    QString totals = QStringLiteral("Scaricate %1 transazioni (%2 ripetute)").arg(result.records).arg(result.repeated);
    if (result.sinkFailed)
        totals += QStringLiteral(": impossibile scrivere nel file (%1); la transazione resta nel lettore.")
                      .arg(QString::fromStdString(file.error()));
    else if (result.esito == Esito::PortFailed)
        totals += QStringLiteral(": errore della porta seriale.");
    else if (result.esito != 0)
        totals += QStringLiteral(": il lettore non ha risposto (esito %1).").arg(result.esito);
    else if (result.stopped)
        totals += QStringLiteral(": interrotto; le altre restano nel lettore.");
    else
        totals += QStringLiteral(": il lettore non ne ha altre.");
    setSummary(totals);
}

}  // namespace lettore
