#include "FailureText.h"

#include <QRegularExpression>

#include <array>

namespace lettore {

namespace {

struct Translation {
    QRegularExpression english;  // the whole text; its one capture, if any, goes into %1
    QString italian;
};

const std::array<Translation, 14>& translations()
{
    static const std::array<Translation, 14> table{{
        {QRegularExpression(QStringLiteral("^the line dropped or the device was removed$")),
         QStringLiteral("la linea è caduta o il dispositivo è stato scollegato")},
        {QRegularExpression(QStringLiteral("^the device is in use by another program$")),
         QStringLiteral("il dispositivo è usato da un altro programma")},
        {QRegularExpression(QStringLiteral("^Invalid procedure call or argument$")),
         QStringLiteral("Chiamata di procedura o argomento non validi")},
        {QRegularExpression(QStringLiteral("^Link busy: another exchange or reception is in progress$")),
         QStringLiteral("Collegamento occupato: è in corso un altro scambio o una ricezione")},
        {QRegularExpression(QStringLiteral("^The port cannot move while it is open$")),
         QStringLiteral("La porta non può cambiare mentre è aperta")},
        {QRegularExpression(QStringLiteral("^Device is not open$")), QStringLiteral("Il dispositivo non è aperto")},
        {QRegularExpression(QStringLiteral("^Invalid port number$")), QStringLiteral("Numero di porta non valido")},
        {QRegularExpression(QStringLiteral("^Invalid settings (\".*\")$")),
         QStringLiteral("Impostazioni non valide %1")},
        {QRegularExpression(QStringLiteral("^No device has port number (.+)$")),
         QStringLiteral("Nessun dispositivo ha il numero di porta %1")},
        {QRegularExpression(QStringLiteral("^No port has the address (\".*\")$")),
         QStringLiteral("Nessuna porta ha l'indirizzo %1")},
        {QRegularExpression(QStringLiteral("^No kind of port is reached by (\".*\") addresses$")),
         QStringLiteral("Nessun tipo di porta si raggiunge con indirizzi %1")},
        {QRegularExpression(QStringLiteral("^The wait for the device was abandoned$")),
         QStringLiteral("L'attesa del dispositivo è stata abbandonata")},
        {QRegularExpression(QStringLiteral("^The device did not send its output within (\\d+) ms$")),
         QStringLiteral("Il dispositivo non ha trasmesso i dati in uscita entro %1 ms")},
        {QRegularExpression(QStringLiteral("^The device took no output for (\\d+) ms$")),
         QStringLiteral("Il dispositivo non ha accettato dati in uscita per %1 ms")},
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
