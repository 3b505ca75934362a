#pragma once

#include "ui_frmSibrant.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

// The console's main window as the technician sees it: the settings row,
// one panel per reader command, the range insertion at the bottom right, and
// below them the status line with the button that stops a long command.
// The form places every control at the design's fixed position, put at the
// screen's logical DPI by Twips, with a 9-point font, so the captions fit
// with larger text too; resizing the window moves nothing. Beyond filling
// its address lists the window has no behaviour of its own: the console's
// handlers reach the controls through ui() and the control arrays.
class frmSibrant : public QMainWindow {
    Q_OBJECT

public:
    explicit frmSibrant(QWidget* parent = nullptr);
    ~frmSibrant() override;

    // Every control by its own name: ui().TxtNumCom, ui().Command8, ...
    const Ui::frmSibrant& ui() const { return *m_ui; }

    // Fills the three address lists afresh: "000" to "255" in CmbTerminale,
    // CmbNewAddr and cmbSetIndirizzo, then "256" in CmbTerminale only, so an
    // entry's index is its address. The lists are left without a selection
    // and emit no signal while being filled.
    void RiempiIndirizzi();

    // The address selected in one of the address lists (an entry's index
    // is its address); nothing while the list has no selection.
    static std::optional<int16_t> address(const QComboBox& list);

    // "Interrompi", beside the status line: off until a command runs.
    QPushButton* stopButton() const { return m_stop; }

private:
    // Declared before the arrays, which are filled from it.
    std::unique_ptr<Ui::frmSibrant> m_ui;
    QPushButton* m_stop = nullptr;

public:
    // The control arrays, indexed as the window numbers them: TxtEsito[3] is
    // the result box of "Esistenza matricola", Text11[6] to Text11[11] the
    // GetSetupBase fields from Led_v back to Tproto.
    const std::array<QLineEdit*, 10> TxtEsito;
    const std::array<QLineEdit*, 12> Text11;
    const std::array<QLineEdit*, 10> TxtBadge;
    const std::array<QPushButton*, 3> Command3;
    const std::array<QRadioButton*, 2> optMultiMaster;
};
