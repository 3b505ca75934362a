// The "GetTransazione" panel on the real window, with reader 1 answering
// on the simulated line.
#include "PanelTest.h"

#include <QTest>

using namespace lettore;
using test::ConsolePlatform;
using Reader = test::ReaderOnLine;

namespace {

const char* const Query = "02 30 21 33 03 23";
const char* const Ack = "02 30 21 06 03 16";

// `count` distinct ten-character codes, joined.
QString codes(int count)
{
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("C%1").arg(i, 9, 10, QChar('0'));
    return text;
}

// Ten boxes: `filled` in order, the rest empty.
QStringList boxes(const QStringList& filled)
{
    QStringList all = filled;
    while (all.size() < 10)
        all << QString();
    return all;
}

// The first `count` codes of codes(), one a box.
QStringList firstCodes(int count)
{
    const QString text = codes(count);
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << text.mid(i * 10, 10);
    return list;
}

}  // namespace

class TransactionPanelTest : public test::PanelTest {
    Q_OBJECT

private:
    QStringList badgeBoxes()
    {
        QStringList texts;
        for (QLineEdit* box : window().TxtBadge)
            texts << box->text();
        return texts;
    }

private slots:
    // "GET" asks once; with "Ack automatico" ticked (only ticked, not grey)
    // a transaction that came is acknowledged at once.
    void frames_data()
    {
        QTest::addColumn<int>("autoAck");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QStringList>("frames");

        const QByteArray transaction = QByteArray::fromStdString(Reader::frame("1" "0000000042"));
        QTest::newRow("ticked") << int(Qt::Checked) << transaction << QStringList{Query, Ack};
        QTest::newRow("unticked") << int(Qt::Unchecked) << transaction << QStringList{Query};
        QTest::newRow("grey") << int(Qt::PartiallyChecked) << transaction << QStringList{Query};
        QTest::newRow("ticked, refused") << int(Qt::Checked) << QByteArray::fromStdString(Reader::nak()) << QStringList{Query};
    }

    void frames()
    {
        QFETCH(int, autoAck);
        QFETCH(QByteArray, answer);
        QFETCH(QStringList, frames);
        Reader::answerWith([answer](const std::string& frame) { return frame[3] == '3' ? answer.toStdString() : ""; });
        ui().ChkAutoAck->setCheckState(Qt::CheckState(autoAck));

        ui().Command7->click();

        QCOMPARE(Reader::writtenHex(), frames);
    }

    // The transaction's text cut into ten-character codes over the ten
    // boxes: as many boxes as the length over ten, less one, rounded half
    // to even, plus one; every other box emptied; at most ten boxes.
    void spreading_data()
    {
        QTest::addColumn<QByteArray>("answer");  // "" for silence
        QTest::addColumn<QString>("esito");
        QTest::addColumn<QStringList>("shown");

        const auto transaction = [](const QString& text) {
            return QByteArray::fromStdString(Reader::frame("1" + text.toStdString()));
        };
        const QString c30 = codes(3);
        QTest::newRow("one code") << transaction(codes(1)) << "0" << boxes(firstCodes(1));
        QTest::newRow("30 characters fill three boxes") << transaction(c30) << "0" << boxes(firstCodes(3));
        QTest::newRow("15 characters: a tie, one box") << transaction(c30.left(15)) << "0" << boxes({c30.left(10)});
        QTest::newRow("16 characters: two boxes") << transaction(c30.left(16)) << "0" << boxes({c30.left(10), c30.mid(10, 6)});
        QTest::newRow("24 characters: two boxes") << transaction(c30.left(24)) << "0" << boxes({c30.left(10), c30.mid(10, 10)});
        QTest::newRow("25 characters: a tie, three boxes") << transaction(c30.left(25)) << "0" << boxes({c30.left(10), c30.mid(10, 10), c30.mid(20, 5)});
        QTest::newRow("ten codes") << transaction(codes(10)) << "0" << firstCodes(10);
        QTest::newRow("105 characters: ten boxes") << transaction(codes(11).left(105)) << "0" << firstCodes(10);
        QTest::newRow("fifteen codes: ten shown") << transaction(codes(15)) << "0" << firstCodes(10);
        QTest::newRow("no transaction (N)") << QByteArray::fromStdString(Reader::nak()) << "0" << boxes({});
        QTest::newRow("too short (N)") << QByteArray::fromStdString(Reader::frame("1" "000000004")) << "0" << boxes({});
        QTest::newRow("timed out") << QByteArray() << "1" << boxes({});
        QTest::newRow("rejected") << QByteArray::fromStdString(Reader::badFrame("1" "0000000042")) << "2" << boxes({});
    }

    void spreading()
    {
        QFETCH(QByteArray, answer);
        Reader::answerWith([answer](const std::string& frame) { return frame[3] == '3' ? answer.toStdString() : ""; });
        for (QLineEdit* box : window().TxtBadge)
            box->setText("old");

        ui().Command7->click();

        QTEST(window().TxtEsito[8]->text(), "esito");
        QTEST(badgeBoxes(), "shown");
    }

    // "Ack" sends the acknowledgement alone and changes nothing in the
    // window, whatever its boxes show.
    void ackChangesNothing()
    {
        for (QLineEdit* box : window().findChildren<QLineEdit*>())
            box->setText(box->objectName());
        const auto before = Reader::boxTexts(window());

        ui().CmdAck->click();

        QCOMPARE(Reader::writtenHex(), QStringList{Ack});
        QCOMPARE(Reader::boxTexts(window()), before);
    }
};

QTEST_MAIN(TransactionPanelTest)
#include "TransactionPanelTest.moc"
