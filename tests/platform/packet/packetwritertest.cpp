#include "packetwriter.h"
#include "packetcodec.h"

#include <QTest>

#include <bit>
#include <cmath>

using namespace packet;

namespace {

const QVector<FieldSpec> textAndNumber = {{"NMFANVEN", FieldKind::Text, 50}, {"VRCOMISSAO", FieldKind::Float, 0}};

// The packet of one row: the UTF-8 text, then 1.5.
Packet writtenFromUtf8(const QByteArray &utf8, qsizetype *length = nullptr)
{
    std::string out;
    PacketWriter writer(textAndNumber, out);
    const qsizetype written = writer.addText(std::string_view(utf8.constData(), size_t(utf8.size())));
    if (length)
        *length = written;
    writer.addNumber(1.5);
    writer.endRow();
    writer.finish();
    return decode(QByteArray::fromStdString(out));
}

}  // namespace

class PacketWriterTest : public QObject {
    Q_OBJECT
private slots:
    // Text straight from a database reads back as QString::fromUtf8 reads
    // it, its length counted as QString counts it; a byte that starts no
    // valid sequence is one U+FFFD and never breaks the JSON.
    void shouldWriteUtf8AsQStringReadsIt_data()
    {
        const QString replacement(QChar::ReplacementCharacter);
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("plain") << QByteArray("Ana Souza") << QString("Ana Souza");
        QTest::newRow("accents") << QByteArray("Conceição") << QString("Conceição");
        QTest::newRow("quotes, backslash, controls")
            << QByteArray("a\"b\\c\td\x01") << QString("a\"b\\c\td") + QChar(1);
        QTest::newRow("nul inside") << QByteArray("a\0b", 3) << QString("a") + QChar(0) + "b";
        QTest::newRow("three and four bytes")
            << QByteArray("€ \xf0\x9f\x8e\x89!") << QString::fromUtf8("€ \xf0\x9f\x8e\x89!");
        QTest::newRow("Latin-1 byte") << QByteArray("S\xe3o") << "S" + replacement + "o";
        QTest::newRow("lone continuation") << QByteArray("a\x80") << "a" + replacement;
        QTest::newRow("cut at the end") << QByteArray("a\xe2\x82") << "a" + replacement + replacement;
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << replacement + replacement;
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << replacement + replacement + replacement;
        QTest::newRow("past U+10FFFF") << QByteArray("\xf4\x90\x80\x80x")
                                       << replacement + replacement + replacement + replacement + "x";
    }
    void shouldWriteUtf8AsQStringReadsIt()
    {
        QFETCH(QByteArray, utf8);
        QFETCH(QString, expected);
        QCOMPARE(expected, QString::fromUtf8(utf8));
        qsizetype length = -1;
        const Packet packet = writtenFromUtf8(utf8, &length);
        QCOMPARE(packet.rows.size(), 1);
        QCOMPARE(packet.rows[0][0].toString(), expected);
        QCOMPARE(packet.rows[0][1].toDouble(), 1.5);
        QCOMPARE(length, expected.size());
    }

    // Every number reads back as the very same double; whole numbers are
    // written in full, the others as the shortest text that reads back.
    void shouldWriteNumbersThatReadBackExactly_data()
    {
        QTest::addColumn<double>("number");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("zero") << 0.0 << QByteArray("0");
        QTest::newRow("code") << 42.0 << QByteArray("42");
        QTest::newRow("round amount") << 100000.0 << QByteArray("100000");
        QTest::newRow("negative whole") << -1250.0 << QByteArray("-1250");
        QTest::newRow("day count") << 46000.0 << QByteArray("46000");
        QTest::newRow("last exact integer") << 9007199254740991.0 << QByteArray("9007199254740991");
        QTest::newRow("past exact integers") << 9007199254740992.0 << QByteArray("9007199254740992");
        QTest::newRow("huge") << 1e300 << QByteArray("1e+300");
        QTest::newRow("cents") << 1234.56 << QByteArray("1234.56");
        QTest::newRow("negative cents") << -0.01 << QByteArray("-0.01");
        QTest::newRow("negative amount") << -1234.05 << QByteArray("-1234.05");
        QTest::newRow("tenth") << 0.1 << QByteArray("0.1");
        QTest::newRow("ninety cents") << 19.9 << QByteArray("19.9");
        QTest::newRow("cents of a trillion") << 1e12 + 0.01 << QByteArray("1000000000000.01");
        QTest::newRow("last exact cents") << 9999999999999.99 << QByteArray("9999999999999.99");
        QTest::newRow("past exact cents") << 12345678901234.56 << QByteArray("12345678901234.56");
        QTest::newRow("thousandths") << 0.125 << QByteArray("0.125");
        QTest::newRow("third") << 1.0 / 3 << QByteArray("0.3333333333333333");
        QTest::newRow("percent") << 2.75 << QByteArray("2.75");
        QTest::newRow("tiny") << 5e-324 << QByteArray("5e-324");
    }

    void shouldWriteNumbersThatReadBackExactly()
    {
        QFETCH(double, number);
        QFETCH(QByteArray, text);
        const QVector<FieldSpec> oneNumber = {{"VRCOMISSAO", FieldKind::Float, 0}};
        std::string out;
        PacketWriter writer(oneNumber, out);
        writer.addNumber(number);
        writer.endRow();
        writer.finish();
        QVERIFY2(out.find("[[" + text.toStdString() + "]]") != std::string::npos, out.c_str());
        const double read = decode(QByteArray::fromStdString(out)).rows[0][0].toDouble();
        QCOMPARE(std::bit_cast<quint64>(read), std::bit_cast<quint64>(number));
    }

    // The writer grows the buffer ahead of what it writes: text that needs
    // the most room (an escape for every character) across many rows, after
    // what the buffer already held, comes out whole and nothing more.
    void shouldAppendWholeRowsAfterWhatTheBufferHolds()
    {
        const QString controls = QString(QChar(0x01)).repeated(50);
        const std::string before = "prefix:";
        std::string out = before;
        {
            PacketWriter writer(textAndNumber, out);
            for (int row = 0; row < 500; ++row) {
                writer.addText(controls);
                writer.addNumber(row);
                writer.endRow();
            }
            writer.finish();
        }
        QVERIFY(out.starts_with(before));
        const Packet packet = decode(QByteArray::fromStdString(out.substr(before.size())));
        QCOMPARE(packet.rows.size(), 500);
        QCOMPARE(packet.rows[499][0].toString(), controls);
        QCOMPARE(packet.rows[499][1].toDouble(), 499.0);
    }

    // A writer left by an error leaves only what it wrote in the buffer.
    void shouldLeaveNoRoomBehindWhenLeftByAnError()
    {
        std::string out;
        {
            PacketWriter writer(textAndNumber, out);
            writer.addText(QStringLiteral("Ana"));
            QVERIFY_THROWS_EXCEPTION(PacketError, writer.addNumber(std::nan("")));
        }
        QVERIFY(out.ends_with(R"([["Ana")"));
    }

    void shouldRefuseARowWithTooFewOrTooManyValues()
    {
        std::string out;
        PacketWriter writer(textAndNumber, out);
        writer.addNull();
        QVERIFY_THROWS_EXCEPTION(PacketError, writer.endRow());
        writer.addNull();
        writer.endRow();
        writer.addNull();
        writer.addNull();
        QVERIFY_THROWS_EXCEPTION(PacketError, writer.addNull());
        QVERIFY_THROWS_EXCEPTION(PacketError, writer.addValue(QString("x")));
    }

    void shouldWriteAnEmptyPacketWithItsFields()
    {
        std::string out;
        PacketWriter writer(textAndNumber, out);
        writer.finish();
        const Packet packet = decode(QByteArray::fromStdString(out));
        QCOMPARE(packet.fields, textAndNumber);
        QVERIFY(packet.rows.isEmpty());
        QCOMPARE(writer.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(PacketWriterTest)
#include "packetwritertest.moc"
