#include "SetupBasePanel.h"

#include "Dialogs.h"
#include "clsSibrant.h"
#include "frmSibrant.h"

#include <array>

namespace lettore {

namespace {

// A base-setup field: its width, its largest value (the smallest is 0) and
// the message that names it when it is bad.
struct Field {
    int width;
    int largest;
    const char* message;
};

// Text11(0) to Text11(5), in the order they are examined.
constexpr std::array<Field, 6> Fields{{
    {4, 5999, "errore dati TProto"},
    {3, 998, "errore dati Rele"},
    {3, 999, "errore dati TMCode"},
    {3, 999, "errore dati TBuzz"},
    {1, 7, "errore dati TMac"},
    {1, 2, "errore dati LedV"},
}};

// Exactly `width` decimal digits, at most `largest`. Digits alone: a sign,
// a blank or a fraction would reach the reader as typed.
bool isGood(const QString& text, const Field& field)
{
    if (text.size() != field.width)
        return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return text.toInt() <= field.largest;
}

}  // namespace

SetupBasePanel::SetupBasePanel(Context context, QObject* parent)
    : CommandPanel(std::move(context), parent)
{
    onClick(ui().Command4, QStringLiteral("Setup base"), [this] { Command4_Click(); });
    onClick(ui().Command6, QStringLiteral("GetSetupBase"), [this] { Command6_Click(); });
}

void SetupBasePanel::Command4_Click()
{
    std::array<std::string, Fields.size()> typed;
    for (size_t i = 0; i < Fields.size(); ++i) {
        const QString box = window().Text11[i]->text();
        if (!isGood(box, Fields[i])) {
            dialogs().message(QString::fromLatin1(Fields[i].message));
            return;
        }
        typed[i] = bytes(box);
    }
    const auto& [TProto, RELE, TMCODE, TBuzz, TMAC, LED_V] = typed;
    const int16_t esito = Sibrant().SetupBase(Terminale(), TProto, TMAC, TBuzz, RELE, LED_V, TMCODE);
    window().TxtEsito[1]->setText(esitoText(esito));
}

void SetupBasePanel::Command6_Click()
{
    std::string outTPROTO, outTMAC, outRELE, outLED_V, outTMCODE, outTBUZZ;
    const int16_t esito =
        Sibrant().GetSetupBase(Terminale(), outTPROTO, outTMAC, outRELE, outLED_V, outTMCODE, outTBUZZ);
    window().TxtEsito[4]->setText(esitoText(esito));
    const std::array<const std::string*, 6> mirror{&outLED_V, &outTMAC, &outTBUZZ, &outTMCODE, &outRELE, &outTPROTO};
    for (size_t i = 0; i < mirror.size(); ++i)
        window().Text11[6 + i]->setText(text(*mirror[i]));
}

}  // namespace lettore
