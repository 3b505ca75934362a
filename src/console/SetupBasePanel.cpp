#include "SetupBasePanel.h"

#include "BoxText.h"
#include "ConsoleGate.h"
#include "Dialogs.h"
#include "SettingsPanel.h"
#include "frmSibrant.h"
#include "modLettori.h"

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

SetupBasePanel::SetupBasePanel(frmSibrant& window, const SettingsPanel& settings, Dialogs& dialogs,
                               ConsoleGate& gate)
    : m_window(window), m_settings(settings), m_dialogs(dialogs)
{
    gate.connectButton(m_window.ui().Command4, QStringLiteral("Setup base"), [this] { Command4_Click(); });
    gate.connectButton(m_window.ui().Command6, QStringLiteral("GetSetupBase"), [this] { Command6_Click(); });
}

void SetupBasePanel::Command4_Click()
{
    std::array<std::string, Fields.size()> text;
    for (size_t i = 0; i < Fields.size(); ++i) {
        const QString typed = m_window.Text11[i]->text();
        if (!isGood(typed, Fields[i])) {
            m_dialogs.message(QString::fromLatin1(Fields[i].message));
            return;
        }
        text[i] = BoxText::bytes(typed);
    }
    const auto& [TProto, RELE, TMCODE, TBuzz, TMAC, LED_V] = text;
    const int16_t esito = Lettori().Sibrant().SetupBase(m_settings.Terminale(), TProto, TMAC, TBuzz, RELE,
                                                        LED_V, TMCODE);
    m_window.TxtEsito[1]->setText(QString::number(esito));
}

void SetupBasePanel::Command6_Click()
{
    std::string outTPROTO, outTMAC, outRELE, outLED_V, outTMCODE, outTBUZZ;
    const int16_t esito = Lettori().Sibrant().GetSetupBase(m_settings.Terminale(), outTPROTO, outTMAC,
                                                           outRELE, outLED_V, outTMCODE, outTBUZZ);
    m_window.TxtEsito[4]->setText(QString::number(esito));
    const std::array<const std::string*, 6> mirror{&outLED_V, &outTMAC, &outTBUZZ, &outTMCODE, &outRELE, &outTPROTO};
    for (size_t i = 0; i < mirror.size(); ++i)
        m_window.Text11[6 + i]->setText(BoxText::text(*mirror[i]));
}

}  // namespace lettore
