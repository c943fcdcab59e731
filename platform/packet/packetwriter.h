#pragma once

#include "packet.h"

#include <string>
#include <string_view>

namespace packet {

// Writes one packet as JSON (the text decode() reads) onto the end of a
// buffer, value by value, so a packet whose rows come from elsewhere (a
// database's rows) never exists as a Packet of values in between. Every
// packet the codec encodes goes through this one writer.
//
//   PacketWriter writer(fields, out);
//   writer.addText(...); writer.addNumber(...); ...; writer.endRow();
//   ...
//   writer.finish();
//
// Raises PacketError for a row with too few or too many values and for a
// number that is not finite.
//
// The writer grows the buffer ahead of what it writes and trims it in
// finish() and when destroyed: the buffer holds the packet then, and only
// then.
class PACKET_EXPORT PacketWriter {
public:
    PacketWriter(const QVector<FieldSpec> &fields, std::string &out);
    ~PacketWriter();

    PacketWriter(const PacketWriter &) = delete;
    PacketWriter &operator=(const PacketWriter &) = delete;

    // The field the next value belongs to; a row starts with the first.
    // Raises PacketError when the row already has a value for every field.
    const FieldSpec &nextField() const;

    void addNull();
    void addNumber(double number);
    void addText(const QString &text);
    // UTF-8 text, e.g. straight from a database. A byte that does not start
    // a valid sequence becomes U+FFFD, as QString::fromUtf8 reads it.
    // Returns the text's length as a QString counts it (UTF-16 units), the
    // measure of a text field's size.
    qsizetype addText(std::string_view utf8);
    // Writes a value as its field's kind says: a QString for the text
    // kinds, a number for the others; a null QVariant is null.
    void addValue(const QVariant &value);

    void endRow();
    void finish();  // closes the packet; nothing may be added afterwards

    qsizetype rowCount() const { return m_rows; }

private:
    // Where `bytes` more can be written, after what is written so far.
    char *room(size_t bytes);
    void wrote(const char *end);  // what is written now ends at `end`
    void put(std::string_view bytes);
    // Counts the value that follows and writes what goes before it; returns
    // where it goes, with room for `bytes` of it.
    char *startValue(size_t bytes);

    const QVector<FieldSpec> m_fields;
    std::string &m_out;
    size_t m_used;  // bytes of m_out written; the rest is room ahead
    bool m_finished = false;
    qsizetype m_rows = 0;
    qsizetype m_column = 0;
};

}  // namespace packet
