#include "packetwriter.h"
#include "packetcodec.h"

#include <QTest>

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
