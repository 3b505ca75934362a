#pragma once

#include "NextTurnUpdate.h"
#include "TrafficView.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Ui {
class MonCom;
}

// The communications monitor: the last command sent and the last answer
// received, each as text and in hexadecimal, a copy of the last non-empty
// answer, and the transmit, receive and time-out lamps. It only shows what
// it is given; nothing in it acts on the line.
//
// One window per process, reached through instance(), which loads it unseen
// on first use. Closing it by its close box unloads it; the next use loads
// it again, compact and empty. Everything runs on the GUI thread.
//
// Keys: Esc and Ctrl+W close it (as its close box does), Ctrl+L switches
// the layout as a double click does, the menu key and Shift+F10 ask for the
// window's context menu, Ctrl+Shift+R opens the traffic log.
//
// The form places its controls at the design's fixed positions, put at the
// screen's logical DPI by Twips, so the captions fit with larger text too.
class MonCom : public QWidget, public lettore::TrafficView {
    Q_OBJECT

public:
    // The loaded monitor, loading it (hidden, compact, empty) if there is none.
    static MonCom& instance();
    // Destroys the loaded monitor, if any. Call it before the application
    // object goes.
    static void unload();
    // What Ctrl+Shift+R does in any monitor: opens the traffic log.
    static void setTrafficLogOpener(std::function<void()> open);

    // Shows the monitor in front of the other windows, never minimised,
    // leaving the keyboard focus where it is.
    void showInFront();

    // Light a lamp and draw it before returning. The transmit and receive
    // lamps go out 150 ms after the latest call; a reception also puts out
    // the time-out lamp, which otherwise stays lit.
    void AttivaLed_TX() override;
    void AttivaLed_RX() override;
    void AttivaLed_TO() override;

    // The command sent and the answer received, as the line carried them:
    // each byte becomes one character of the text box. The boxes show them
    // at the next turn of the event loop, so the next command goes out
    // first; a burst of them is shown once, as it ends, exactly as if each
    // had been shown in turn.
    void setTextComando(const std::string& bytes) override;
    void setRisposta(const std::string& bytes) override;

    // A failure the link reported (a port operation or a refused call),
    // shown beside the lamps until the next command or answer shows that
    // the line carries traffic again.
    void MostraErrore(int16_t codice, const std::string& descrizione) override;

protected:
    // A double click anywhere but in a text box switches between the
    // compact layout (three rows) and the extended one (six rows).
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    MonCom();
    ~MonCom() override;

    void Form_DblClick();
    void TextComando_Change();
    void Risposta_Change();
    void Timer_tx_Timer();
    void Timer_rx_Timer();
    void clearErrore();
    void addKeys();
    void showPendingViews();

    struct Placement {
        QWidget* widget;
        int compactTop;
        int extendedTop;
    };

    static MonCom* s_loaded;
    static std::function<void()> s_openTrafficLog;

    std::unique_ptr<Ui::MonCom> m_ui;
    std::vector<Placement> m_placements;
    std::vector<QWidget*> m_extendedOnly;
    QTimer Timer_tx;
    QTimer Timer_rx;
    // What the boxes are to show at the next turn: the latest command and
    // answer, and the latest non-empty answer, for the last answer's box.
    std::optional<std::string> m_pendingCommand;
    std::optional<std::string> m_pendingAnswer;
    std::optional<std::string> m_pendingLastAnswer;
    NextTurnUpdate m_views{[this] { showPendingViews(); }, this};
};
