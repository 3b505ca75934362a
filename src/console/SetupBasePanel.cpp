#include "SetupBasePanel.h"

#include "Dialogs.h"
#include "frmSibrant.h"

#include <array>

namespace lettore {

namespace {

// A base-setup field: its width, its largest value (the smallest is 0),
// the message that names it when it is bad, the argument of SetupBase it
// is and the field of GetSetupBase that gives it back.
struct Field {
    int width;
    int largest;
    const char* message;
    const char* input;
    const char* output;
};

// Text11(0) to Text11(5), in the order they are examined; their outputs,
// Text11(6) to Text11(11), are in the mirror order.
constexpr std::array<Field, 6> Fields{{
    {4, 5999, "errore dati TProto", "TProto", "outTPROTO"},
    {3, 998, "errore dati Rele", "RELE", "outRELE"},
    {3, 999, "errore dati TMCode", "TMCODE", "outTMCODE"},
    {3, 999, "errore dati TBuzz", "TBuzz", "outTBUZZ"},
    {1, 7, "errore dati TMac", "TMAC", "outTMAC"},
    {1, 2, "errore dati LedV", "LED_V", "outLED_V"},
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

SetupBasePanel::SetupBasePanel(Context context, QObject* parent) : CommandPanel(std::move(context), parent)
{
    onClick(ui().Command4, QStringLiteral("Setup base"), [this] { Command4_Click(); });
    onClick(ui().Command6, QStringLiteral("GetSetupBase"), [this] { Command6_Click(); });
}

void SetupBasePanel::Command4_Click()
{
    ReaderCommand::Arguments typed;
    for (size_t i = 0; i < Fields.size(); ++i) {
        const QString box = window().Text11[i]->text();
        if (!isGood(box, Fields[i])) {
            dialogs().message(QString::fromLatin1(Fields[i].message));
            return;
        }
        typed[Fields[i].input] = bytes(box);
    }
    window().TxtEsito[1]->setText(esitoText(run("SetupBase", typed).esito));
}

void SetupBasePanel::Command6_Click()
{
    const ReaderCommand::Result result = run("GetSetupBase");
    window().TxtEsito[4]->setText(esitoText(result.esito));
    for (size_t i = 0; i < Fields.size(); ++i)
        window().Text11[11 - i]->setText(text(result.value(Fields[i].output)));
}

}  // namespace lettore
