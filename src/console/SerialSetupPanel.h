#pragma once

#include "CommandPanel.h"

namespace lettore {

// The left-hand "Setup seriale" panel: gives the selected reader the new
// address of CmbNewAddr and the baud rate of CobNewBaudRate, once ("Set")
// or once at each of the six rates the console offers ("Loop BaudRate"),
// so a reader listening at an unknown rate hears it. Both ask for the
// settings password first. With no new address chosen (the list's state
// after a start-up on terminal 256) the user is asked to choose one and
// nothing is sent, rather than moving the reader, or on 256 every reader
// on the line, to address 0.
class SerialSetupPanel : public CommandPanel {
    Q_OBJECT

public:
    explicit SerialSetupPanel(Context context, QObject* parent = nullptr);

    void CmdSetSetupSeriale_Click();
    // Six passes, 1200 to 38400 baud, whatever each one gives; TxtEsito(0)
    // ends with the last pass's result. A stop ends the wait under way and
    // the loop before its next pass; the status line then says at which
    // rate it stopped. The console's baud rate is put back at the end in
    // every case.
    void Command10_Click();

    static constexpr const char* PasswordPrompt
        = "Per modificare queste impostazioni è necessario inserire la password.";
    static constexpr const char* PasswordTitle = "Password richiesta";
    static constexpr const char* WrongPassword = "Password errata!";
    static constexpr const char* ChooseNewAddress = "Selezionare il nuovo indirizzo";
    // The status line after a loop the user stopped: the rate of the last
    // pass, its place and the number of passes; or that none was made.
    static constexpr const char* StoppedByUser = "Loop BaudRate interrotto alla velocità %1 (%2 di %3)";
    static constexpr const char* StoppedBeforeFirst = "Loop BaudRate interrotto prima della prima velocità";

private:
    // Whether CmbNewAddr has an entry selected; if not, says so.
    bool newAddressChosen();
    // Asks for the password at every click; a wrong or cancelled answer is
    // told and gives false.
    bool passwordGiven();
    // Sends the serial setup as the panel's lists read now.
    void sendSetup();
};

}  // namespace lettore
