#include "packetcodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace packet;

namespace {

Packet samplePacket()
{
    Packet p;
    p.fields = {{"CDVENDEDOR", FieldKind::Text, 4},
                {"NRSEQORCAEVE", FieldKind::FixedText, 2},
                {"VRCOMISSAO", FieldKind::Float, 0},
                {"DTEVENTO", FieldKind::DateTime, 0}};
    p.rows = {{QString("0001"), QString("01"), 1234.5, 46000.75},
              {QString("Ção"), QVariant(), QVariant(), 0.0},
              {QVariant(), QString(""), -0.1 + 0.2, 1e-9}};
    return p;
}

}  // namespace

class PacketCodecTest : public QObject {
    Q_OBJECT
private slots:
    void shouldRoundTripEveryKindNullAndAccents()
    {
        const Packet original = samplePacket();
        QCOMPARE(decode(encode(original)), original);
    }

    void shouldRoundTripDoublesExactly()
    {
        Packet p;
        p.fields = {{"V", FieldKind::Float, 0}};
        for (double v : {0.1, 1.0 / 3.0, 123456789.123456789, -5e-300, 45991.999999999})
            p.rows.append(QVector<QVariant>{v});
        const Packet back = decode(encode(p));
        for (int i = 0; i < p.rows.size(); ++i)
            QCOMPARE(back.rows[i][0].toDouble(), p.rows[i][0].toDouble());
    }

    void shouldRejectMalformedPackets_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("messagePart");
        QTest::newRow("not json") << QByteArray("{\"format\":") << "ilegível";
        QTest::newRow("no format") << QByteArray(R"({"fields":[],"rows":[]})") << "não é um pacote";
        QTest::newRow("array") << QByteArray("[1,2]") << "não é um pacote";
        QTest::newRow("no rows") << QByteArray(R"({"format":"packet/1","fields":[]})") << "faltam";
        QTest::newRow("unknown kind") << QByteArray(
            R"({"format":"packet/1","fields":[{"name":"A","kind":"blob"}],"rows":[]})")
                                      << "\"A\"";
        QTest::newRow("text without size")
            << QByteArray(R"({"format":"packet/1","fields":[{"name":"A","kind":"text"}],"rows":[]})") << "\"A\"";
        QTest::newRow("repeated field") << QByteArray(
            R"({"format":"packet/1","fields":[{"name":"A","kind":"float"},{"name":"a","kind":"float"}],"rows":[]})")
                                        << "repetido";
        QTest::newRow("short row") << QByteArray(
            R"({"format":"packet/1","fields":[{"name":"A","kind":"float"}],"rows":[[]]})")
                                   << "linha 1";
        QTest::newRow("text in float") << QByteArray(
            R"({"format":"packet/1","fields":[{"name":"VRCOMISSAO","kind":"float"}],"rows":[["1"]]})")
                                       << "\"VRCOMISSAO\"";
        QTest::newRow("number in text") << QByteArray(
            R"({"format":"packet/1","fields":[{"name":"NMFANVEN","kind":"text","size":5}],"rows":[[1]]})")
                                        << "\"NMFANVEN\"";
        QTest::newRow("text too long") << QByteArray(
            R"({"format":"packet/1","fields":[{"name":"CDFILIAL","kind":"text","size":4}],"rows":[["00001"]]})")
                                       << "\"CDFILIAL\"";
    }

    void shouldRejectMalformedPackets()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, messagePart);
        try {
            decode(bytes);
            QFAIL("decode accepted a malformed packet");
        } catch (const PacketError &error) {
            QVERIFY2(QString::fromStdString(error.what()).contains(messagePart), error.what());
        }
    }

    // The text written straight from the rows is the JSON document the
    // packet makes, whatever its texts hold; appended after what is there.
    void shouldWriteTheSameJsonAsTheDocument_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "0001";
        QTest::newRow("accents") << "Ção São José";
        QTest::newRow("quotes and backslashes") << R"(a"b\c\"d)";
        QTest::newRow("control characters") << QString("tab\tnew\nline\rnul") + QChar(0) + QChar(0x1f);
        QTest::newRow("outside the basic plane") << QString::fromUtf8("festa \xf0\x9f\x8e\x89");
        QTest::newRow("three bytes and a pair side by side") << QString::fromUtf8("€\xf0\x9f\x8e\x89ǅ\x7f\xc2\x80");
        QTest::newRow("slash and unicode escapes as text") << R"(</script> \u0041)";
        QTest::newRow("empty") << "";
    }
    void shouldWriteTheSameJsonAsTheDocument()
    {
        QFETCH(QString, text);
        Packet p = samplePacket();
        p.fields[0].size = std::max(4, int(text.size()));
        p.rows[0][0] = text;
        QByteArray bytes = "prefix:";
        appendJson(p, bytes);
        QVERIFY(bytes.startsWith("prefix:"));
        std::string asString;
        appendJson(p, asString);
        QCOMPARE(QByteArray::fromStdString(asString), bytes.mid(7));
        QJsonParseError error;
        const QJsonDocument written = QJsonDocument::fromJson(bytes.mid(7), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(written.object(), toJson(p));
        QCOMPARE(decode(bytes.mid(7)), p);
    }

    // Half of a pair cannot be written as UTF-8: it reads back as U+FFFD.
    void shouldWriteALoneSurrogateAsTheReplacementCharacter()
    {
        const QChar high(0xd83c), low(0xdf89), replacement(QChar::ReplacementCharacter);
        const QList<std::pair<QString, QString>> cases = {
            {QString(high), QString(replacement)},
            {QString(low) + 'a', QString(replacement) + 'a'},
            {QString('a') + high + high + low, QString('a') + replacement + high + low},
        };
        Packet p = samplePacket();
        p.fields[0].size = 8;
        for (const auto &[text, expected] : cases) {
            p.rows[0][0] = text;
            std::string written;
            appendJson(p, written);
            QCOMPARE(decode(QByteArray::fromStdString(written)).rows[0][0].toString(), expected);
        }
    }

    void shouldRefuseToEncodeNonFiniteNumbers()
    {
        Packet p;
        p.fields = {{"V", FieldKind::Float, 0}};
        p.rows = {{std::numeric_limits<double>::infinity()}};
        QVERIFY_THROWS_EXCEPTION(PacketError, encode(p));
    }

    void shouldFindFieldsWithoutRegardToCase()
    {
        const Packet p = samplePacket();
        QCOMPARE(p.fieldIndex("vrcomissao"), 2);
        QCOMPARE(p.fieldIndex("MISSING"), -1);
    }
};

QTEST_GUILESS_MAIN(PacketCodecTest)
#include "packetcodectest.moc"
