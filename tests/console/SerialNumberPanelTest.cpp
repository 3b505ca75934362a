// The "Get matricola" panel on the real window, with reader 1 answering on
// the simulated line.
#include "PanelTest.h"

#include <QTest>

using namespace lettore;
using test::ConsolePlatform;
using Reader = test::ReaderOnLine;

class SerialNumberPanelTest : public test::PanelTest {
    Q_OBJECT

private slots:
    // Each button asks once; a serial number that came (15 characters) is
    // acknowledged at once, anything else shows "N".
    void buttons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("answer");  // "" for silence
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QString>("esito");
        QTest::addColumn<QString>("risposta");

        const QByteArray serial = QByteArray::fromStdString(Reader::frame("SN00000001"));
        const QString ack = "02 30 21 06 03 16";
        const QString prima = "02 30 21 34 03 24";
        const QString corrente = "02 30 21 35 03 25";
        const QString prossima = "02 30 21 36 03 26";
        QTest::newRow("Prima") << "CmdGetPrima" << serial << QStringList{prima, ack} << "0" << "SN00000001";
        QTest::newRow("Corrente") << "CmdGetCorrente" << serial << QStringList{corrente, ack} << "0" << "SN00000001";
        QTest::newRow("Prossima") << "CmdGetProssima" << serial << QStringList{prossima, ack} << "0" << "SN00000001";
        QTest::newRow("Prossima, 16 characters") << "CmdGetProssima" << QByteArray::fromStdString(Reader::frame("SN000000012")) << QStringList{prossima} << "0" << "N";
        QTest::newRow("Prima refused") << "CmdGetPrima" << QByteArray::fromStdString(Reader::nak()) << QStringList{prima} << "0" << "N";
        QTest::newRow("Corrente timed out") << "CmdGetCorrente" << QByteArray() << QStringList{corrente} << "1" << "N";
        QTest::newRow("Prossima rejected") << "CmdGetProssima" << QByteArray::fromStdString(Reader::badFrame("SN00000001")) << QStringList{prossima} << "2" << "N";
    }

    void buttons()
    {
        QFETCH(QString, button);
        QFETCH(QByteArray, answer);
        QFETCH(QStringList, frames);
        Reader::answerWith([answer](const std::string& frame) { return frame[3] == '\x06' ? "" : answer.toStdString(); });
        ui().TxtEsitoGetMatricola->setText("x");
        ui().TxtRispGetMatricola->setText("x");

        this->button(button)->click();

        QCOMPARE(Reader::writtenHex(), frames);
        QTEST(ui().TxtEsitoGetMatricola->text(), "esito");
        QTEST(ui().TxtRispGetMatricola->text(), "risposta");
    }
};

QTEST_MAIN(SerialNumberPanelTest)
#include "SerialNumberPanelTest.moc"
