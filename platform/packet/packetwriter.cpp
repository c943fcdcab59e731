#include "packetwriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace packet {

namespace {

constexpr char hexDigits[] = "0123456789abcdef";

[[noreturn]] void fail(const QString &message)
{
    throw PacketError(message.toStdString());
}

// Quotes, backslashes and control characters need an escape; every other
// character is written as itself.
constexpr bool needsEscape(unsigned char byte)
{
    return byte < 0x20 || byte == '"' || byte == '\\';
}

// The bytes of UTF-8 text written as themselves: ASCII that needs no
// escape.
constexpr std::array<bool, 256> plainBytes = [] {
    std::array<bool, 256> plain{};
    for (int byte = 0; byte < 0x80; ++byte)
        plain[size_t(byte)] = !needsEscape((unsigned char)byte);
    return plain;
}();

// The most one character of the text (a UTF-16 unit, a UTF-8 byte) takes
// in a JSON string: the escape of a control character, \u001f.
constexpr size_t longestCharacter = 6;
// Room for any number the writer writes: 24 characters at most.
constexpr size_t numberRoom = 32;

char *writeEscaped(unsigned char byte, char *at)
{
    *at++ = '\\';
    if (byte == '"' || byte == '\\') {
        *at++ = char(byte);
        return at;
    }
    *at++ = 'u';
    *at++ = '0';
    *at++ = '0';
    *at++ = hexDigits[byte >> 4];
    *at++ = hexDigits[byte & 0xf];
    return at;
}

char *writeUtf8(char32_t code, char *at)
{
    if (code < 0x80) {
        *at++ = char(code);
    } else if (code < 0x800) {
        *at++ = char(0xc0 | (code >> 6));
        *at++ = char(0x80 | (code & 0x3f));
    } else if (code < 0x10000) {
        *at++ = char(0xe0 | (code >> 12));
        *at++ = char(0x80 | ((code >> 6) & 0x3f));
        *at++ = char(0x80 | (code & 0x3f));
    } else {
        *at++ = char(0xf0 | (code >> 18));
        *at++ = char(0x80 | ((code >> 12) & 0x3f));
        *at++ = char(0x80 | ((code >> 6) & 0x3f));
        *at++ = char(0x80 | (code & 0x3f));
    }
    return at;
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
char *writeJsonString(const QString &text, char *at)
{
    *at++ = '"';
    const QChar *const end = text.constData() + text.size();
    for (const QChar *next = text.constData(); next != end; ++next) {
        char32_t code = next->unicode();
        if (code < 0x80 && needsEscape((unsigned char)code)) {
            at = writeEscaped((unsigned char)code, at);
            continue;
        }
        if (QChar::isHighSurrogate(code) && next + 1 != end && (next + 1)->isLowSurrogate())
            code = QChar::surrogateToUcs4(char16_t(code), (++next)->unicode());
        else if (QChar::isSurrogate(code))
            code = QChar::ReplacementCharacter;
        at = writeUtf8(code, at);
    }
    *at++ = '"';
    return at;
}

// A JSON string from UTF-8 text; `length` becomes its length in UTF-16
// units.
char *writeJsonString(std::string_view utf8, char *at, qsizetype &length)
{
    *at++ = '"';
    length = 0;
    const auto *next = reinterpret_cast<const unsigned char *>(utf8.data());
    const auto *const end = next + utf8.size();
    while (next != end) {
        if (plainBytes[*next]) {
            *at++ = char(*next++);
            ++length;
            continue;
        }
        ++length;
        if (*next < 0x80) {
            at = writeEscaped(*next++, at);
            continue;
        }
        char32_t code = 0;
        const int sequence = validSequenceLength(next, end, code);
        if (sequence == 0) {
            at = writeUtf8(QChar::ReplacementCharacter, at);
            ++next;
            continue;
        }
        std::memcpy(at, next, size_t(sequence));
        at += sequence;
        if (code >= 0x10000)
            ++length;  // a surrogate pair in UTF-16
        next += sequence;
    }
    *at++ = '"';
    return at;
}

// A finite number as JSON, reading back as the same double. Codes, dates
// and amounts in cents are most of a packet's numbers: written from
// integers they take a fraction of the general conversion's time, and whole
// numbers are written in full ("100000", never "1e+05").
char *writeNumber(double number, char *at)
{
    // Every integer below 2^53 is exact in a double.
    constexpr double exactIntegers = 9007199254740992.0;
    // Below this, a number of cents is exact too, and two amounts a cent
    // apart are different doubles.
    constexpr double exactCents = 1e13;
    char *const end = at + numberRoom;
    const double magnitude = std::fabs(number);
    if (magnitude < exactIntegers && std::trunc(number) == number)
        return std::to_chars(at, end, static_cast<long long>(number)).ptr;
    if (magnitude < exactCents) {
        // The text of cents / 100 reads back as the double nearest to it,
        // and the division below is that double: when it is the number,
        // the text is exact.
        const double cents = std::round(number * 100);
        if (cents / 100 == number) {
            const auto whole = static_cast<long long>(std::fabs(cents));
            if (number < 0)
                *at++ = '-';
            at = std::to_chars(at, end, whole / 100).ptr;
            const int fraction = int(whole % 100);
            *at++ = '.';
            *at++ = char('0' + fraction / 10);
            if (fraction % 10 != 0)
                *at++ = char('0' + fraction % 10);
            return at;
        }
    }
    // The shortest text that reads back as the same number.
    return std::to_chars(at, end, number).ptr;
}

}  // namespace

PacketWriter::PacketWriter(const QVector<FieldSpec> &fields, std::string &out)
    : m_fields(fields), m_out(out), m_used(out.size())
{
    put(R"({"format":")");
    put(formatTag);
    put(R"(","fields":[)");
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        const FieldSpec &field = m_fields[i];
        put(i == 0 ? R"({"name":)" : R"(,{"name":)");
        wrote(writeJsonString(field.name, room(size_t(field.name.size()) * longestCharacter + 2)));
        put(R"(,"kind":")");
        put(kindTag(field.kind));
        put("\"");
        if (isTextKind(field.kind)) {
            put(R"(,"size":)");
            char *at = room(numberRoom);
            wrote(std::to_chars(at, at + numberRoom, field.size).ptr);
        }
        put("}");
    }
    put(R"(],"rows":[)");
}

PacketWriter::~PacketWriter()
{
    if (!m_finished)
        m_out.resize(m_used);
}

char *PacketWriter::room(size_t bytes)
{
    if (m_out.size() - m_used < bytes)
        m_out.resize(std::max(m_out.size() * 2, m_used + bytes));
    return m_out.data() + m_used;
}

void PacketWriter::wrote(const char *end)
{
    m_used = size_t(end - m_out.data());
}

void PacketWriter::put(std::string_view bytes)
{
    char *at = room(bytes.size());
    std::memcpy(at, bytes.data(), bytes.size());
    wrote(at + bytes.size());
}

const FieldSpec &PacketWriter::nextField() const
{
    if (m_column == m_fields.size())
        fail(QStringLiteral("Pacote inválido: linha com mais de %1 valores.").arg(m_fields.size()));
    return m_fields[m_column];
}

char *PacketWriter::startValue(size_t bytes)
{
    // A row opens with its first value: "[" for the first, ",[" after.
    char *at = room(bytes + 2);
    if (m_column == 0) {
        if (m_rows != 0)
            *at++ = ',';
        *at++ = '[';
    } else {
        *at++ = ',';
    }
    ++m_column;
    return at;
}

void PacketWriter::addNull()
{
    nextField();
    char *at = startValue(4);
    std::memcpy(at, "null", 4);
    wrote(at + 4);
}

void PacketWriter::addNumber(double number)
{
    const FieldSpec &field = nextField();
    if (!std::isfinite(number))
        fail(QStringLiteral("Campo \"%1\": valor numérico não finito.").arg(field.name));
    wrote(writeNumber(number, startValue(numberRoom)));
}

void PacketWriter::addText(const QString &text)
{
    nextField();
    wrote(writeJsonString(text, startValue(size_t(text.size()) * longestCharacter + 2)));
}

qsizetype PacketWriter::addText(std::string_view utf8)
{
    nextField();
    qsizetype length = 0;
    wrote(writeJsonString(utf8, startValue(utf8.size() * longestCharacter + 2), length));
    return length;
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
    put("]");
    m_column = 0;
    ++m_rows;
}

void PacketWriter::finish()
{
    put("]}");
    m_out.resize(m_used);
    // The buffer is its owner's now, moved away perhaps.
    m_finished = true;
}

}  // namespace packet
