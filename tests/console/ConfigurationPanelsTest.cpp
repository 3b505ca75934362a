// The configuration panels on the real window, over the simulated port:
// the bytes each button puts on the line, the result boxes and returned
// texts for each kind of answer, the base-setup checks, the settings
// password, the loop over the baud rates, and one command at a time.
#include "MonCom.h"
#include "PanelTest.h"

#include <QComboBox>
#include <QStatusBar>
#include <QTest>

using namespace lettore;
using test::ConsolePlatform;
using Reader = test::ReaderOnLine;

namespace {

test::SimulatedPort& port() { return ConsolePlatform::port(); }

const QString Untouched = QStringLiteral("x");

// The reader on the line acknowledges every frame addressed to it; nobody
// answers the broadcast address (0x60 0x60).
void readerAcknowledges()
{
    Reader::answerWith([](const std::string& frame) { return frame[1] != '\x60' ? Reader::ack() : ""; });
}

}  // namespace

class ConfigurationPanelsTest : public test::PanelTest {
    Q_OBJECT

private:
    test::RecordingDialogs& dialogs() { return m_rig->dialogs; }
    template <typename Widget>
    Widget* control(const QString& name)
    {
        auto* widget = window().findChild<Widget*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    // Presses a button as the user does; the serial-setup buttons get the
    // right password.
    void press(const QString& button)
    {
        if (button == "CmdSetSetupSeriale" || button == "Command10")
            dialogs().passwords.push_back(QStringLiteral("7391"));
        control<QPushButton>(button)->click();
    }
    // "Text3=10;CmbNewAddr=026": a box gets the text; a list selects the
    // entry (none for an empty text) as a user's choice would.
    void fill(const QString& inputs)
    {
        for (const QString& input : inputs.split(';', Qt::SkipEmptyParts)) {
            const QString name = input.section('=', 0, 0);
            const QString text = input.section('=', 1);
            if (auto* list = window().findChild<QComboBox*>(name)) {
                list->setCurrentIndex(list->findText(text));
                if (list->currentIndex() >= 0)
                    emit list->activated(list->currentIndex());
            } else {
                control<QLineEdit>(name)->setText(text);
            }
        }
    }
    void presetResultBoxes()
    {
        for (QLineEdit* box : window().TxtEsito)
            box->setText(Untouched);
    }
    QString status() { return window().statusBar()->currentMessage(); }

private slots:
    // Each button's frame, to terminal 1 (address characters 30 31 to set,
    // 30 21 to ask), and the reader's acknowledgement shown as 0.
    void framesOnTheLine_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<int>("resultBox");

        QTest::newRow("GetSetupBase") << "Command6" << "" << "02 30 21 31 03 21" << 4;
        QTest::newRow("Set: address 26 at 19200") << "CmdSetSetupSeriale" << "CmbNewAddr=026;CobNewBaudRate=19200"
                                                  << "02 30 31 32 31 3A 34 03 0D" << 0;
        QTest::newRow("Set Indirizzo 12") << "cmdSetIndirizzo" << "cmbSetIndirizzo=012;txtCodeAddr=0000012345"
                                          << "02 60 60 35 30 3C 30 30 30 30 30 31 32 33 34 35 03 39" << 9;
        QTest::newRow("Set Indirizzo 12, terminal 256") << "cmdSetIndirizzo"
                                                        << "CmbTerminale=256;cmbSetIndirizzo=012;txtCodeAddr=0000012345"
                                                        << "02 60 60 35 30 3C 30 30 30 30 30 31 32 33 34 35 03 39" << 9;
        QTest::newRow("Set Indirizzo 7, no code") << "cmdSetIndirizzo" << "cmbSetIndirizzo=007"
                                                  << "02 60 60 35 30 37 03 33" << 9;
        QTest::newRow("Output 10 5 0") << "Command1" << "Text3=10;Text4=5;Text5=0"
                                       << "02 30 31 33 30 31 30 30 30 35 30 30 30 03 07" << 2;
        QTest::newRow("Output empty") << "Command1" << "Text3=;Text4=;Text5="
                                      << "02 30 31 33 30 30 30 30 30 30 30 30 30 03 03" << 2;
        QTest::newRow("Versione Firmware") << "CmdGetFirmwareVersion" << "" << "02 30 21 32 03 22" << 7;
    }

    void framesOnTheLine()
    {
        QFETCH(QString, button);
        QFETCH(QString, inputs);
        QFETCH(QString, frame);
        QFETCH(int, resultBox);
        readerAcknowledges();
        fill(inputs);
        presetResultBoxes();

        press(button);

        QCOMPARE(Reader::writtenHex(), QStringList{frame});
        QCOMPARE(window().TxtEsito[resultBox]->text(), QString("0"));
        QVERIFY(dialogs().messages.empty());
    }

    // "Setup base": the fields are examined in the boxes' order and the
    // first bad one is the only one told, with no icon; nothing is sent
    // and TxtEsito(1) keeps its text. Good fields go out as typed.
    void setupBase_data()
    {
        QTest::addColumn<QStringList>("fields");  // Text11(0) to Text11(5)
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("frame");       // when all are good

        const QStringList defaults{"0010", "005", "050", "010", "2", "1"};
        auto with = [&](int index, const QString& text) {
            QStringList fields = defaults;
            fields[index] = text;
            return fields;
        };
        QTest::newRow("defaults") << defaults << ""
                                  << "02 30 31 31 30 30 31 30 30 30 35 30 35 30 30 31 30 32 31 03 02";
        QTest::newRow("largest values") << QStringList{"5999", "998", "999", "999", "7", "2"} << ""
                                        << "02 30 31 31 35 39 39 39 39 39 38 39 39 39 39 39 39 37 32 03 00";
        QTest::newRow("Tproto 10") << with(0, "10") << "errore dati TProto" << "";
        QTest::newRow("Tproto 6000") << with(0, "6000") << "errore dati TProto" << "";
        QTest::newRow("Tproto -001") << with(0, "-001") << "errore dati TProto" << "";
        QTest::newRow("Tproto 99999") << with(0, "99999") << "errore dati TProto" << "";
        QTest::newRow("Rele 999") << with(1, "999") << "errore dati Rele" << "";
        QTest::newRow("Rele 12a") << with(1, "12a") << "errore dati Rele" << "";
        QTest::newRow("Rele +12") << with(1, "+12") << "errore dati Rele" << "";
        QTest::newRow("TMcode 1.5") << with(2, "1.5") << "errore dati TMCode" << "";
        QTest::newRow("Tbuzz empty") << with(3, "") << "errore dati TBuzz" << "";
        QTest::newRow("Tbuzz ' 10'") << with(3, " 10") << "errore dati TBuzz" << "";
        QTest::newRow("Tmac 8") << with(4, "8") << "errore dati TMac" << "";
        QTest::newRow("Led_v 3") << with(5, "3") << "errore dati LedV" << "";
        QTest::newRow("Led_v 12") << with(5, "12") << "errore dati LedV" << "";
        QStringList both = with(0, "6000");
        both[5] = "3";
        QTest::newRow("Tproto and Led_v bad") << both << "errore dati TProto" << "";
    }

    void setupBase()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, message);
        QFETCH(QString, frame);
        readerAcknowledges();
        for (int i = 0; i < 6; ++i)
            window().Text11[i]->setText(fields[i]);
        presetResultBoxes();

        press("Command4");

        if (message.isEmpty()) {
            QVERIFY(dialogs().messages.empty());
            QCOMPARE(Reader::writtenHex(), QStringList{frame});
            QCOMPARE(window().TxtEsito[1]->text(), QString("0"));
        } else {
            QCOMPARE(dialogs().messages, std::vector<QString>{message});
            QCOMPARE(dialogs().icons, std::vector<Dialogs::Icon>{Dialogs::Icon::None});
            QVERIFY(port().writes().empty());
            QCOMPARE(window().TxtEsito[1]->text(), Untouched);
        }
    }

    // What each kind of answer gives: the result box, and the returned
    // texts written whatever the code.
    void answers_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("answer");  // hex, "" for silence
        QTest::addColumn<int>("resultBox");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("texts");

        const QStringList mirror{"Text11_6", "Text11_7", "Text11_8", "Text11_9", "Text11_10", "Text11_11"};
        const QStringList sixN{"N", "N", "N", "N", "N", "N"};
        // Tproto 1234, Rele 005, TMcode 010, Tbuzz 020, Tmac 3, Led_v 0.
        const QString setup = "02 30 21 31 32 33 34 30 30 35 30 31 30 30 32 30 33 30 03 21";
        QTest::newRow("GetSetupBase answered") << "Command6" << setup << 4 << "0" << mirror
                                               << QStringList{"0", "3", "020", "010", "005", "1234"};
        QTest::newRow("GetSetupBase refused") << "Command6" << "15" << 4 << "0" << mirror << sixN;
        QTest::newRow("GetSetupBase silent") << "Command6" << "" << 4 << "1" << mirror << sixN;
        QTest::newRow("GetSetupBase 19 characters") << "Command6" << "02 30 21 31 32 33 34 30 30 35 30 31 30 30 32 30 33 03 11"
                                                    << 4 << "0" << mirror << sixN;
        QTest::newRow("GetSetupBase bad check") << "Command6" << "02 30 21 31 32 33 34 30 30 35 30 31 30 30 32 30 33 30 03 20"
                                                << 4 << "2" << mirror << sixN;

        const QStringList version{"TxtFirmwareVersion"};
        QTest::newRow("Versione answered") << "CmdGetFirmwareVersion"
                                           << "02 30 21 53 49 4D 20 4C 45 54 54 4F 52 45 20 31 2E 30 30 03 09"
                                           << 7 << "0" << version << QStringList{"SIM LETTORE 1.00"};
        QTest::newRow("Versione refused") << "CmdGetFirmwareVersion" << "15" << 7 << "0" << version << QStringList{"N"};
        QTest::newRow("Versione silent") << "CmdGetFirmwareVersion" << "" << 7 << "1" << version << QStringList{"N"};
        QTest::newRow("Versione 20 characters") << "CmdGetFirmwareVersion" << setup << 7 << "0" << version << QStringList{"N"};
        QTest::newRow("Versione bad check") << "CmdGetFirmwareVersion"
                                            << "02 30 21 53 49 4D 20 4C 45 54 54 4F 52 45 20 31 2E 30 30 03 08"
                                            << 7 << "2" << version << QStringList{"N"};

        QTest::newRow("Setup base bad check") << "Command4" << "02 30 21 30 03 21" << 1 << "2" << QStringList() << QStringList();
        QTest::newRow("Output silent") << "Command1" << "" << 2 << "1" << QStringList() << QStringList();
    }

    void answers()
    {
        QFETCH(QString, button);
        QFETCH(QString, answer);
        QFETCH(int, resultBox);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, texts);
        Reader::answerAll(test::unhex(answer.toStdString()));
        presetResultBoxes();
        for (const QString& box : boxes)
            control<QLineEdit>(box)->setText(Untouched);

        press(button);

        QTEST(window().TxtEsito[resultBox]->text(), "result");
        for (int i = 0; i < boxes.size(); ++i)
            QCOMPARE(control<QLineEdit>(boxes[i])->text(), texts[i]);
        QCOMPARE(port().writes().size(), size_t(1));
    }

    // A port that fails under a command: the result box says 3, the
    // console stays up, and the same command works once the port is back.
    // The monitor shows the failure, and the frame when it left before the
    // failure.
    void portFailure_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("failing");  // the port operation that fails
        QTest::addColumn<int>("resultBox");
        QTest::addColumn<QString>("sent");     // the monitor's command box, hex

        QTest::newRow("Setup base, write") << "Command4" << "write" << 1 << "";
        QTest::newRow("GetSetupBase, write") << "Command6" << "write" << 4 << "";
        QTest::newRow("Set, write") << "CmdSetSetupSeriale" << "write" << 0 << "";
        QTest::newRow("Output, write") << "Command1" << "write" << 2 << "";
        QTest::newRow("Set Indirizzo, write") << "cmdSetIndirizzo" << "write" << 9 << "";
        QTest::newRow("Versione, write") << "CmdGetFirmwareVersion" << "write" << 7 << "";
        QTest::newRow("Versione, waiting") << "CmdGetFirmwareVersion" << "wait" << 7 << "02 30 21 32 03 22";
    }

    void portFailure()
    {
        QFETCH(QString, button);
        QFETCH(QString, failing);
        QFETCH(int, resultBox);
        QFETCH(QString, sent);
        fill("cmbSetIndirizzo=012");
        MonCom::unload();

        port().failNext(failing.toStdString(), PortError(PortFailure::Other, 5, "Input/output error"));
        press(button);
        readerAcknowledges();
        QCOMPARE(window().TxtEsito[resultBox]->text(), QString("3"));
        const MonCom& monitor = MonCom::instance();
        QCOMPARE(test::hex(monitor.findChild<QLineEdit*>("TextComando")->text().toLatin1().toStdString()),
                 sent.toStdString());
        QCOMPARE(monitor.findChild<QLabel*>("LblErrore")->text(), QString("Errore 5: Input/output error"));
        QVERIFY(window().isVisible());
        QVERIFY(m_rig->console().gate().idle());

        press(button);
        QCOMPARE(window().TxtEsito[resultBox]->text(), QString("0"));
        QCOMPARE(monitor.findChild<QLabel*>("LblErrore")->text(), QString());
    }

    // The settings password, asked at every click of both buttons: only
    // "7391" goes on; anything else, Cancel included, is told with the
    // exclamation icon, and nothing is sent or changed.
    void password_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("accepted");

        for (const char* button : {"CmdSetSetupSeriale", "Command10"}) {
            const QString b = button;
            QTest::addRow("%s right", button) << b << false << "7391" << true;
            QTest::addRow("%s wrong", button) << b << false << "7390" << false;
            QTest::addRow("%s trailing blank", button) << b << false << "7391 " << false;
            QTest::addRow("%s cancelled", button) << b << true << "" << false;
        }
    }

    void password()
    {
        QFETCH(QString, button);
        QFETCH(bool, cancel);
        QFETCH(QString, answer);
        QFETCH(bool, accepted);
        readerAcknowledges();
        presetResultBoxes();
        dialogs().passwords.push_back(cancel ? std::nullopt : std::optional<QString>(answer));

        control<QPushButton>(button)->click();

        using Prompt = std::pair<QString, QString>;
        QCOMPARE(dialogs().passwordPrompts,
                 std::vector<Prompt>{Prompt(QString::fromUtf8("Per modificare queste impostazioni è necessario inserire la password."),
                                            QString("Password richiesta"))});
        if (accepted) {
            QVERIFY(dialogs().messages.empty());
            QVERIFY(!port().writes().empty());
            QCOMPARE(window().TxtEsito[0]->text(), QString("0"));
        } else {
            QCOMPARE(dialogs().messages, std::vector<QString>{"Password errata!"});
            QCOMPARE(dialogs().icons, std::vector<Dialogs::Icon>{Dialogs::Icon::Exclamation});
            QVERIFY(port().controlCalls().empty());
            QCOMPARE(window().TxtEsito[0]->text(), Untouched);
        }
        // Asked again at the next click: the right answer is never remembered.
        dialogs().passwords.clear();
        control<QPushButton>(button)->click();
        QCOMPARE(dialogs().passwordPrompts.size(), size_t(2));
    }

    // "Loop BaudRate": the setup sent once at each rate, in order, whatever
    // each pass gives (here only a reader at 2400 answers), the progress in
    // the status line, then the console's rate back.
    void loopBaudRate_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QStringList>("lineCalls");

        const QString f = "write 02 30 31 32 30 35 34 03 03";  // address 5 at 19200, to terminal 1
        QTest::newRow("from 9600") << "9600"
                                   << QStringList{"settings 1200,N,8,1", f, "settings 2400,N,8,1", f,
                                                  "settings 4800,N,8,1", f, "settings 9600,N,8,1", f,
                                                  "settings 19200,N,8,1", f, "settings 38400,N,8,1", f,
                                                  "settings 9600,N,8,1"};
        // The rate in use is not applied again.
        QTest::newRow("from 1200") << "1200"
                                   << QStringList{f, "settings 2400,N,8,1", f, "settings 4800,N,8,1", f,
                                                  "settings 9600,N,8,1", f, "settings 19200,N,8,1", f,
                                                  "settings 38400,N,8,1", f, "settings 1200,N,8,1"};
    }

    void loopBaudRate()
    {
        QFETCH(QString, rate);
        QFETCH(QStringList, lineCalls);
        start(QByteArray(" 1 \r\n" + rate.toLatin1() + "\r\n 1 \r\n").constData());
        fill("CmbNewAddr=005;CobNewBaudRate=19200");
        presetResultBoxes();
        QStringList progress;
        port().onWrite = [&](const std::string&) {
            progress << status();
            if (port().settings() == "2400,N,8,1")
                port().feed(Reader::ack());
        };

        press("Command10");

        QStringList calls;
        for (const std::string& call : port().controlCalls())
            if (call.starts_with("settings") || call.starts_with("write"))
                calls << QString::fromStdString(call);
        QCOMPARE(calls, lineCalls);
        QStringList expectedProgress;
        for (int i = 1; i <= 6; ++i)
            expectedProgress << QString::fromUtf8("Comando in corso: Loop BaudRate — velocità %1 di 6").arg(i);
        QCOMPARE(progress, expectedProgress);
        // The 38400 pass was the last and nobody answered it.
        QCOMPARE(window().TxtEsito[0]->text(), QString("1"));
        QCOMPARE(ui().CmbBaudRate->currentText(), rate);
        QCOMPARE(QString::fromStdString(m_rig->console().settings().Velocita()), rate);
        QCOMPARE(QString::fromStdString(port().settings()), rate + ",N,8,1");
        QCOMPARE(status(), QString());
    }

    // Stopped during the second pass, the loop sends nothing more and
    // still puts the console's rate back.
    void loopBaudRateStopped()
    {
        fill("CmbNewAddr=005;CobNewBaudRate=19200");
        auto* stop = window().findChild<QPushButton*>("CmdStop");
        QVERIFY(stop);
        port().onWrite = [&](const std::string&) {
            if (port().writes().size() == 2)
                stop->click();
            port().feed(Reader::ack());
        };

        press("Command10");

        QCOMPARE(port().writes().size(), size_t(2));
        std::vector<std::string> settings;
        for (const std::string& call : port().controlCalls())
            if (call.starts_with("settings"))
                settings.push_back(call);
        QCOMPARE(settings, (std::vector<std::string>{"settings 1200,N,8,1", "settings 2400,N,8,1",
                                                     "settings 9600,N,8,1"}));
        QCOMPARE(ui().CmbBaudRate->currentText(), QString("9600"));
        QCOMPARE(port().settings(), std::string("9600,N,8,1"));
        QCOMPARE(window().TxtEsito[0]->text(), QString("0"));
    }

    // An address command with no address chosen, as after start-up (on
    // terminal 256 for "Setup seriale"): the user is asked to choose one,
    // before any password, and nothing is sent.
    void withoutAddress_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("resultBox");
        QTest::newRow("Set Indirizzo") << "cmdSetIndirizzo" << "txtCodeAddr=0000012345"
                                       << "Selezionare l'indirizzo da assegnare" << 9;
        QTest::newRow("Set, terminal 256") << "CmdSetSetupSeriale" << "CmbTerminale=256;CmbNewAddr="
                                           << "Selezionare il nuovo indirizzo" << 0;
        QTest::newRow("Loop BaudRate, terminal 256") << "Command10" << "CmbTerminale=256;CmbNewAddr="
                                                     << "Selezionare il nuovo indirizzo" << 0;
    }
    void withoutAddress()
    {
        QFETCH(QString, button);
        QFETCH(QString, inputs);
        QFETCH(QString, message);
        QFETCH(int, resultBox);
        fill(inputs);
        presetResultBoxes();
        QCOMPARE(ui().cmbSetIndirizzo->currentIndex(), -1);

        control<QPushButton>(button)->click();

        QCOMPARE(dialogs().messages, std::vector<QString>{message});
        QCOMPARE(dialogs().icons, std::vector<Dialogs::Icon>{Dialogs::Icon::None});
        QVERIFY(dialogs().passwordPrompts.empty());
        QVERIFY(port().writes().empty());
        QCOMPARE(window().TxtEsito[resultBox]->text(), Untouched);
    }

    // While a command waits for its answer, every button of these panels
    // is off and a click on one starts nothing; afterwards they work.
    void oneCommandAtATime()
    {
        presetResultBoxes();
        const QStringList buttons{"Command4", "Command6", "CmdSetSetupSeriale", "Command10",
                                  "cmdSetIndirizzo", "Command1", "CmdGetFirmwareVersion"};
        int turns = 0;
        ConsolePlatform::duringWait = [&] {
            if (turns++ > 0)
                return;
            QCOMPARE(status(), QString("Comando in corso: Versione Firmware"));
            for (const QString& button : buttons) {
                QVERIFY2(!control<QPushButton>(button)->isEnabled(), qPrintable(button));
                press(button);
            }
            port().feed(Reader::ack());
        };

        press("CmdGetFirmwareVersion");

        QVERIFY(turns > 0);
        QCOMPARE(port().writes().size(), size_t(1));
        QVERIFY(dialogs().passwordPrompts.empty());
        QCOMPARE(window().TxtEsito[7]->text(), QString("0"));
        QCOMPARE(window().TxtEsito[2]->text(), Untouched);
        for (const QString& button : buttons)
            QVERIFY2(control<QPushButton>(button)->isEnabled(), qPrintable(button));
    }
};

QTEST_MAIN(ConfigurationPanelsTest)
#include "ConfigurationPanelsTest.moc"
