// The dialogs the user sees: the console window's title, the buttons and
// the answers handed back.
#include "Dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs `answer` on the next modal dialog once it is up, as the user would.
void answerNextDialog(std::function<void(QDialog*)> answer)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            poll->stop();
            answer(dialog);
        }
    });
    poll->start(10);
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void message_data()
    {
        QTest::addColumn<Dialogs::Icon>("icon");
        QTest::addColumn<QMessageBox::Icon>("shown");
        QTest::newRow("no icon") << Dialogs::Icon::None << QMessageBox::NoIcon;
        QTest::newRow("exclamation") << Dialogs::Icon::Exclamation << QMessageBox::Warning;
    }
    void message()
    {
        QFETCH(Dialogs::Icon, icon);
        QFETCH(QMessageBox::Icon, shown);
        QString title, text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon iconShown = QMessageBox::NoIcon;
        answerNextDialog([&](QDialog* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            buttons = box->standardButtons();
            iconShown = box->icon();
            box->button(QMessageBox::Ok)->click();
        });
        QWidget console;
        console.setWindowTitle("Test lettore Sibrant");
        QtDialogs(&console).message(QString::fromUtf8("Seriale gi\u00E0 utilizzata"), icon);
        QCOMPARE(title, QString("Test lettore Sibrant"));
        QCOMPARE(text, QString::fromUtf8("Seriale gi\u00E0 utilizzata"));
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(iconShown, shown);
    }

    void askPassword_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::newRow("typed") << "7391" << true << std::optional<QString>("7391");
        QTest::newRow("nothing typed") << "" << true << std::optional<QString>("");
        QTest::newRow("cancelled") << "7391" << false << std::optional<QString>();
    }
    void askPassword()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accept);
        QFETCH(std::optional<QString>, answer);
        QString title, prompt;
        QLineEdit::EchoMode echo = QLineEdit::Normal;
        answerNextDialog([&](QDialog* dialog) {
            auto* input = qobject_cast<QInputDialog*>(dialog);
            QVERIFY(input);
            title = input->windowTitle();
            prompt = input->labelText();
            echo = input->textEchoMode();
            QTest::keyClicks(input->findChild<QLineEdit*>(), typed);
            accept ? input->accept() : input->reject();
        });
        const std::optional<QString> result =
            QtDialogs().askPassword("Inserire la password.", "Password richiesta");
        QCOMPARE(title, QString("Password richiesta"));
        QCOMPARE(prompt, QString("Inserire la password."));
        QCOMPARE(echo, QLineEdit::Password);
        QCOMPARE(result, answer);
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
