#include "FailureText.h"

#include <QRegularExpression>

#include <array>

namespace lettore {

namespace {

struct Translation {
    QRegularExpression english;  // the whole text; capture N, itself translated, goes into %N
    QString italian;
};

const std::array<Translation, 37>& translations()
{
    static const std::array<Translation, 37> table{{
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
        {QRegularExpression(QStringLiteral("^The port is already open$")), QStringLiteral("La porta è già aperta")},
        // A device server's connection, and what its server answered.
        {QRegularExpression(QStringLiteral("^the device server at (.+) refused the connection$")),
         QStringLiteral("il server seriale a %1 ha rifiutato la connessione")},
        {QRegularExpression(QStringLiteral("^no host is named (.+)$")), QStringLiteral("nessun host si chiama %1")},
        {QRegularExpression(QStringLiteral("^no device server answered at (.+) within (\\d+) s$")),
         QStringLiteral("nessun server seriale ha risposto a %1 entro %2 s")},
        {QRegularExpression(QStringLiteral("^the device server at (.+) closed the connection$")),
         QStringLiteral("il server seriale a %1 ha chiuso la connessione")},
        {QRegularExpression(
             QStringLiteral("^the device server at (.+) did not answer the line settings (.+) within (\\d+) s$")),
         QStringLiteral("il server seriale a %1 non ha risposto alle impostazioni di linea %2 entro %3 s")},
        {QRegularExpression(QStringLiteral("^The device server took no output for (\\d+) ms$")),
         QStringLiteral("Il server seriale non ha accettato dati in uscita per %1 ms")},
        {QRegularExpression(QStringLiteral("^The wait for the device server was abandoned$")),
         QStringLiteral("L'attesa del server seriale è stata abbandonata")},
        {QRegularExpression(
             QStringLiteral("^the device server refuses to control the serial port \\(RFC 2217\\) \\(([^()]+)\\)$")),
         QStringLiteral("il server seriale rifiuta di controllare la porta seriale (RFC 2217) (%1)")},
        {QRegularExpression(QStringLiteral("^the device server set (.+) when asked for (.+) \\(([^()]+)\\)$")),
         QStringLiteral("il server seriale ha impostato %1 invece di %2 (%3)")},
        {QRegularExpression(QStringLiteral("^(\".*\") is not (tcp|rfc2217)://HOST:PORT$")),
         QStringLiteral("%1 non è %2://HOST:PORT")},
        // What a raw TCP port says once, and the port table's problems.
        {QRegularExpression(QStringLiteral("^(\\S+) carries bytes only: the line settings (\\S+) and DTR stay on this "
                                           "side, the device server keeps its own$")),
         QStringLiteral("%1 trasporta solo i byte: le impostazioni di linea %2 e il DTR restano da questa parte, il "
                        "server seriale tiene le sue")},
        {QRegularExpression(QStringLiteral("^line (\\d+): not NUMBER = tcp://HOST:PORT or rfc2217://HOST:PORT$")),
         QStringLiteral("riga %1: non è NUMERO = tcp://HOST:PORT o rfc2217://HOST:PORT")},
        {QRegularExpression(QStringLiteral("^line (\\d+): port (\\S+) is given twice; the first address stays$")),
         QStringLiteral("riga %1: la porta %2 compare due volte; resta il primo indirizzo")},
        {QRegularExpression(QStringLiteral("^cannot be read$")), QStringLiteral("non si può leggere")},
        // The line's values in a device server's answer.
        {QRegularExpression(QStringLiteral("^rate (\\d+)$")), QStringLiteral("velocità %1")},
        {QRegularExpression(QStringLiteral("^(\\d+) data bits$")), QStringLiteral("%1 bit di dati")},
        {QRegularExpression(QStringLiteral("^parity (.)$")), QStringLiteral("parità %1")},
        {QRegularExpression(QStringLiteral("^(.+) stop bits$")), QStringLiteral("%1 bit di stop")},
        {QRegularExpression(QStringLiteral("^DTR on$")), QStringLiteral("DTR attivo")},
        {QRegularExpression(QStringLiteral("^DTR off$")), QStringLiteral("DTR disattivo")},
        {QRegularExpression(QStringLiteral("^control (\\d+)$")), QStringLiteral("controllo %1")},
        {QRegularExpression(QStringLiteral("^value (\\d+)$")), QStringLiteral("valore %1")},
    }};
    return table;
}

}  // namespace

// Each %N of the translation becomes capture N, in one pass, so that a
// capture holding a % sign is never taken for another place to fill.
QString FailureText::italian(const std::string& text)
{
    const QString english = QString::fromStdString(text);
    for (const Translation& translation : translations()) {
        const QRegularExpressionMatch match = translation.english.match(english);
        if (!match.hasMatch())
            continue;
        QString out;
        const QString& pattern = translation.italian;
        for (qsizetype i = 0; i < pattern.size(); ++i) {
            const int index = i + 1 < pattern.size() ? pattern[i + 1].digitValue() : -1;
            if (pattern[i] == u'%' && index >= 1 && index <= match.lastCapturedIndex()) {
                out += italian(match.captured(index).toStdString());
                ++i;
            } else {
                out += pattern[i];
            }
        }
        return out;
    }
    return english;
}

}  // namespace lettore
