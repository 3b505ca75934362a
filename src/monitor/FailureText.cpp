#include "FailureText.h"

#include <QRegularExpression>

#include <array>

namespace lettore {

namespace {

struct Translation {
    QRegularExpression english;  // the whole text; its one capture, if any, goes into %1
    QString italian;
};

const std::array<Translation, 12>& translations()
{
    static const std::array<Translation, 12> table{{
        {QRegularExpression(QStringLiteral("^the line dropped or the device was removed$")),
         QStringLiteral("la linea è caduta o il dispositivo è stato scollegato")},
        {QRegularExpression(QStringLiteral("^the device is in use by another program$")),
         QStringLiteral("il dispositivo è usato da un altro programma")},
        {QRegularExpression(QStringLiteral("^Invalid procedure call or argument$")),
         QStringLiteral("Chiamata di procedura o argomento non validi")},
        {QRegularExpression(QStringLiteral("^Link busy: another exchange or reception is in progress$")),
         QStringLiteral("Collegamento occupato: è in corso un altro scambio o una ricezione")},
        {QRegularExpression(QStringLiteral("^The port number cannot change while the port is open$")),
         QStringLiteral("Il numero della porta non può cambiare mentre la porta è aperta")},
        {QRegularExpression(QStringLiteral("^Device is not open$")), QStringLiteral("Il dispositivo non è aperto")},
        {QRegularExpression(QStringLiteral("^Invalid settings (\".*\")$")),
         QStringLiteral("Impostazioni non valide %1")},
        {QRegularExpression(QStringLiteral("^No device has port number (-?\\d+)$")),
         QStringLiteral("Nessun dispositivo ha il numero di porta %1")},
        {QRegularExpression(QStringLiteral("^The device did not send its output within (\\d+) ms$")),
         QStringLiteral("Il dispositivo non ha trasmesso i dati in uscita entro %1 ms")},
        {QRegularExpression(QStringLiteral("^The device took no output for (\\d+) ms$")),
         QStringLiteral("Il dispositivo non ha accettato dati in uscita per %1 ms")},
        {QRegularExpression(QStringLiteral("^Invalid input length (-?\\d+)$")),
         QStringLiteral("Lunghezza di lettura non valida: %1")},
        {QRegularExpression(QStringLiteral("^Invalid receive threshold (-?\\d+)$")),
         QStringLiteral("Soglia di ricezione non valida: %1")},
    }};
    return table;
}

}  // namespace

QString FailureText::italian(const std::string& text)
{
    const QString english = QString::fromStdString(text);
    for (const Translation& translation : translations()) {
        const QRegularExpressionMatch match = translation.english.match(english);
        if (match.hasMatch())
            return match.lastCapturedIndex() > 0 ? translation.italian.arg(match.captured(1)) : translation.italian;
    }
    return english;
}

}  // namespace lettore
