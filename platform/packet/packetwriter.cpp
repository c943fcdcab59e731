#include "packetwriter.h"

#include <array>
#include <charconv>
#include <cmath>

namespace packet {

namespace {

constexpr char hexDigits[] = "0123456789abcdef";

[[noreturn]] void fail(const QString &message)
{
    throw PacketError(message.toStdString());
}

// Quotes, backslashes and control characters need an escape; every other
// character is written as itself.
bool needsEscape(unsigned char byte)
{
    return byte < 0x20 || byte == '"' || byte == '\\';
}

void appendEscaped(unsigned char byte, std::string &out)
{
    out.push_back('\\');
    if (byte == '"' || byte == '\\') {
        out.push_back(char(byte));
        return;
    }
    out.append("u00");
    out.push_back(hexDigits[byte >> 4]);
    out.push_back(hexDigits[byte & 0xf]);
}

void appendUtf8(char32_t code, std::string &out)
{
    if (code < 0x80) {
        out.push_back(char(code));
    } else if (code < 0x800) {
        out.push_back(char(0xc0 | (code >> 6)));
        out.push_back(char(0x80 | (code & 0x3f)));
    } else if (code < 0x10000) {
        out.push_back(char(0xe0 | (code >> 12)));
        out.push_back(char(0x80 | ((code >> 6) & 0x3f)));
        out.push_back(char(0x80 | (code & 0x3f)));
    } else {
        out.push_back(char(0xf0 | (code >> 18)));
        out.push_back(char(0x80 | ((code >> 12) & 0x3f)));
        out.push_back(char(0x80 | ((code >> 6) & 0x3f)));
        out.push_back(char(0x80 | (code & 0x3f)));
    }
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xc0) == 0x80;
}

// The length of the valid UTF-8 sequence that starts at `at` (2 to 4
// bytes), or 0: overlong forms, surrogates, code points past U+10FFFF and
// cut sequences are not valid.
int validSequenceLength(const unsigned char *at, const unsigned char *end, char32_t &code)
{
    const unsigned char lead = *at;
    int length = 0;
    char32_t least = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        code = lead & 0x1f;
        least = 0x80;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        code = lead & 0x0f;
        least = 0x800;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        code = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (end - at < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(at[i]))
            return 0;
        code = (code << 6) | (at[i] & 0x3f);
    }
    if (code < least || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return 0;
    return length;
}

// A JSON string from UTF-16 text; a lone surrogate becomes U+FFFD.
void appendJsonString(const QString &text, std::string &out)
{
    out.push_back('"');
    const QChar *const end = text.constData() + text.size();
    for (const QChar *at = text.constData(); at != end; ++at) {
        char32_t code = at->unicode();
        if (code < 0x80 && needsEscape((unsigned char)code)) {
            appendEscaped((unsigned char)code, out);
            continue;
        }
        if (QChar::isHighSurrogate(code) && at + 1 != end && (at + 1)->isLowSurrogate())
            code = QChar::surrogateToUcs4(char16_t(code), (++at)->unicode());
        else if (QChar::isSurrogate(code))
            code = QChar::ReplacementCharacter;
        appendUtf8(code, out);
    }
    out.push_back('"');
}

// A JSON string from UTF-8 text; returns its length in UTF-16 units.
qsizetype appendJsonString(std::string_view utf8, std::string &out)
{
    out.push_back('"');
    qsizetype length = 0;
    const auto *at = reinterpret_cast<const unsigned char *>(utf8.data());
    const auto *const end = at + utf8.size();
    while (at != end) {
        // Runs of plain ASCII go across in one piece.
        const unsigned char *plain = at;
        while (plain != end && *plain < 0x80 && !needsEscape(*plain))
            ++plain;
        if (plain != at) {
            out.append(reinterpret_cast<const char *>(at), size_t(plain - at));
            length += plain - at;
            at = plain;
            continue;
        }
        ++length;
        if (*at < 0x80) {
            appendEscaped(*at, out);
            ++at;
            continue;
        }
        char32_t code = 0;
        const int sequence = validSequenceLength(at, end, code);
        if (sequence == 0) {
            appendUtf8(QChar::ReplacementCharacter, out);
            ++at;
            continue;
        }
        out.append(reinterpret_cast<const char *>(at), size_t(sequence));
        if (code >= 0x10000)
            ++length;  // a surrogate pair in UTF-16
        at += sequence;
    }
    out.push_back('"');
    return length;
}

}  // namespace

PacketWriter::PacketWriter(const QVector<FieldSpec> &fields, std::string &out) : m_fields(fields), m_out(out)
{
    m_out.append(R"({"format":")");
    m_out.append(formatTag);
    m_out.append(R"(","fields":[)");
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        const FieldSpec &field = m_fields[i];
        m_out.append(i == 0 ? R"({"name":)" : R"(,{"name":)");
        appendJsonString(field.name, m_out);
        m_out.append(R"(,"kind":")");
        m_out.append(kindName(field.kind).toLatin1().constData());
        m_out.push_back('"');
        if (isTextKind(field.kind)) {
            m_out.append(R"(,"size":)");
            m_out.append(std::to_string(field.size));
        }
        m_out.push_back('}');
    }
    m_out.append(R"(],"rows":[)");
}

const FieldSpec &PacketWriter::nextField() const
{
    if (m_column == m_fields.size())
        fail(QStringLiteral("Pacote inválido: linha com mais de %1 valores.").arg(m_fields.size()));
    return m_fields[m_column];
}

const FieldSpec &PacketWriter::beforeValue()
{
    const FieldSpec &field = nextField();
    if (m_column == 0)
        m_out.append(m_rows == 0 ? "[" : ",[");
    else
        m_out.push_back(',');
    ++m_column;
    return field;
}

void PacketWriter::addNull()
{
    beforeValue();
    m_out.append("null");
}

void PacketWriter::addNumber(double number)
{
    const FieldSpec &field = beforeValue();
    if (!std::isfinite(number))
        fail(QStringLiteral("Campo \"%1\": valor numérico não finito.").arg(field.name));
    std::array<char, 32> digits{};
    std::to_chars_result written{};
    // Codes, dates and whole amounts are most of a packet's numbers; as
    // integers they are written several times faster, and in full
    // ("100000", never "1e+05"). Below 2^53 every integer is exact in a
    // double.
    constexpr double exactIntegers = 9007199254740992.0;
    const bool isWhole = std::fabs(number) < exactIntegers && std::trunc(number) == number;
    if (isWhole)
        written = std::to_chars(digits.data(), digits.data() + digits.size(), static_cast<long long>(number));
    else  // the shortest text that reads back as the same number
        written = std::to_chars(digits.data(), digits.data() + digits.size(), number);
    m_out.append(digits.data(), size_t(written.ptr - digits.data()));
}

void PacketWriter::addText(const QString &text)
{
    beforeValue();
    appendJsonString(text, m_out);
}

qsizetype PacketWriter::addText(std::string_view utf8)
{
    beforeValue();
    return appendJsonString(utf8, m_out);
}

void PacketWriter::addValue(const QVariant &value)
{
    if (value.isNull())
        addNull();
    else if (isTextKind(nextField().kind))
        addText(value.toString());
    else
        addNumber(value.toDouble());
}

void PacketWriter::endRow()
{
    if (m_column != m_fields.size())
        fail(
            QStringLiteral("Pacote inválido: linha com %1 valores para %2 campos.").arg(m_column).arg(m_fields.size()));
    m_out.push_back(']');
    m_column = 0;
    ++m_rows;
}

void PacketWriter::finish()
{
    m_out.append("]}");
}

}  // namespace packet
