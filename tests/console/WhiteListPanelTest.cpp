// The "White List" and "Esistenza matricola" panels on the real window,
// with reader 1 answering on the simulated line.
#include "MonCom.h"
#include "PanelTest.h"

#include <QTest>

using namespace lettore;
using test::ConsolePlatform;
using Reader = test::ReaderOnLine;

namespace {

PortError deviceGone() { return PortError(PortFailure::Other, 5, "device gone"); }

}  // namespace

class WhiteListPanelTest : public test::PanelTest {
    Q_OBJECT

private slots:
    // Each button puts one frame on the line; the codes go as typed.
    void frames_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("text8");
        QTest::addColumn<QString>("text14");
        QTest::addColumn<QString>("frame");

        QTest::newRow("Clear Globale, whatever Text8 holds") << "Command3_0" << "0000000042" << "" << "02 30 31 34 33 30 30 30 30 30 30 30 30 30 30 03 07";
        QTest::newRow("Aggiungi 0000000042") << "Command3_1" << "0000000042" << "" << "02 30 31 34 31 30 30 30 30 30 30 30 30 34 32 03 03";
        QTest::newRow("Aggiungi AB-12 as typed") << "Command3_1" << "AB-12" << "" << "02 30 31 34 31 41 42 2D 31 32 03 28";
        QTest::newRow("Elimina 0000000042") << "Command3_2" << "0000000042" << "" << "02 30 31 34 32 30 30 30 30 30 30 30 30 34 32 03 00";
        QTest::newRow("Elimina empty") << "Command3_2" << "" << "" << "02 30 31 34 32 03 06";
        QTest::newRow("? 0000000042") << "Command5" << "" << "0000000042" << "02 30 21 37 30 30 30 30 30 30 30 30 34 32 03 21";
        QTest::newRow("? one blank") << "Command5" << "" << " " << "02 30 21 37 20 03 07";
    }

    void frames()
    {
        QFETCH(QString, button);
        QFETCH(QString, text8);
        QFETCH(QString, text14);
        QFETCH(QString, frame);
        Reader::answerAll(Reader::frame("1"));
        ui().Text8->setText(text8);
        ui().Text14->setText(text14);

        this->button(button)->click();

        QCOMPARE(Reader::writtenHex(), QStringList{frame});
        QVERIFY(m_rig->dialogs.messages.empty());
    }

    // The result box, and the returned text of "?", for each kind of answer.
    void results_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("answer");  // "" for silence
        QTest::addColumn<int>("esitoBox");
        QTest::addColumn<QString>("esito");
        QTest::addColumn<QString>("text15");

        const QByteArray status1 = QByteArray::fromStdString(Reader::frame("1"));
        const QByteArray bad = QByteArray::fromStdString(Reader::badFrame("1"));
        const QByteArray nak = QByteArray::fromStdString(Reader::nak());
        QTest::newRow("Aggiungi accepted: the status") << "Command3_1" << status1 << 5 << "1" << "";
        QTest::newRow("Aggiungi full list: the status") << "Command3_1" << QByteArray::fromStdString(Reader::frame("2")) << 5 << "2" << "";
        QTest::newRow("Aggiungi refused: no status") << "Command3_1" << nak << 5 << "" << "";
        QTest::newRow("Aggiungi timed out") << "Command3_1" << QByteArray() << 5 << "1" << "";
        QTest::newRow("Aggiungi rejected") << "Command3_1" << bad << 5 << "2" << "";
        QTest::newRow("Clear Globale accepted") << "Command3_0" << status1 << 5 << "0" << "";
        QTest::newRow("Clear Globale timed out") << "Command3_0" << QByteArray() << 5 << "1" << "";
        QTest::newRow("Elimina refused") << "Command3_2" << nak << 5 << "0" << "";
        QTest::newRow("Elimina rejected") << "Command3_2" << bad << 5 << "2" << "";
        QTest::newRow("? on the list") << "Command5" << status1 << 3 << "0" << "1";
        QTest::newRow("? long answer: first character") << "Command5" << QByteArray::fromStdString(Reader::frame("0xyz")) << 3 << "0" << "0";
        QTest::newRow("? refused: nothing") << "Command5" << nak << 3 << "0" << "";
        QTest::newRow("? timed out") << "Command5" << QByteArray() << 3 << "1" << "E";
        QTest::newRow("? rejected") << "Command5" << bad << 3 << "2" << "E";
    }

    void results()
    {
        QFETCH(QString, button);
        QFETCH(QByteArray, answer);
        QFETCH(int, esitoBox);
        Reader::answerAll(answer.toStdString());
        ui().Text8->setText("0000000042");
        ui().Text14->setText("0000000042");
        window().TxtEsito[esitoBox]->setText("x");
        ui().Text15->setText("x");

        this->button(button)->click();

        QTEST(window().TxtEsito[esitoBox]->text(), "esito");
        if (button == "Command5")
            QTEST(ui().Text15->text(), "text15");
        else
            QCOMPARE(ui().Text15->text(), QString("x"));
    }

    // "?" with nothing to look for says so and sends nothing.
    void emptyText14IsRefused()
    {
        ui().Text14->setText("");
        window().TxtEsito[3]->setText("7");
        ui().Text15->setText("1");

        ui().Command5->click();

        QCOMPARE(m_rig->dialogs.messages, std::vector<QString>{"Inserire Badge"});
        QCOMPARE(m_rig->dialogs.icons, std::vector<Dialogs::Icon>{Dialogs::Icon::None});
        QVERIFY(ConsolePlatform::port().writes().empty());
        QCOMPARE(window().TxtEsito[3]->text(), QString("7"));
        QCOMPARE(ui().Text15->text(), QString("1"));
    }

    // A port that fails under a command: code 3 in the result box, the
    // command sent in the monitor, and the next command works.
    void portFailure_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("monitor");

        QTest::newRow("while waiting for the answer") << "wait" << " 2 30 31 34 31 30 30 30 30 30 30 30 30 34 32 3 3";
        QTest::newRow("writing") << "write" << "";
    }

    void portFailure()
    {
        QFETCH(QString, failing);
        Reader::answerAll(Reader::frame("1"));
        ui().Text8->setText("0000000042");
        ConsolePlatform::port().failNext(failing.toStdString(), deviceGone());

        window().Command3[1]->click();

        QCOMPARE(window().TxtEsito[5]->text(), QString("3"));
        QTEST(MonCom::instance().findChild<QLineEdit*>("TextComandoHex")->text(), "monitor");
        QVERIFY(ui().Command3_1->isEnabled());
        window().Command3[2]->click();
        QCOMPARE(window().TxtEsito[5]->text(), QString("0"));
    }
};

QTEST_MAIN(WhiteListPanelTest)
#include "WhiteListPanelTest.moc"
