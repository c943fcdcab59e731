#pragma once

#include <packet.h>

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <functional>

namespace commission {

// The positional arguments of one remote call: {"args": [{"kind", "ref",
// "value"}, ...]}. Every reader checks kind, passing and size and raises
// ServiceError (BadRequest) naming the argument at fault.
class CallArguments {
public:
    static constexpr int maxPacketRows = 100000;

    // `body` is not copied: it must outlive the arguments (the rows of large
    // packets are read from it when asked for; see CallBody).
    static CallArguments parse(const QByteArray &body);

    qsizetype count() const { return m_arguments.size(); }
    void expectCount(int least, int most) const;

    // Indexes count from 0; messages count from 1 like the method tables.
    QString text(int index, const QString &name, int maxSize, bool byRef) const;
    // A day count since 1899-12-30; 0 means "no date".
    double date(int index, const QString &name, bool byRef) const;
    packet::Packet packet(int index, const QString &name) const;
    // Checks the packet like packet() but hands its rows over one at a time
    // instead of keeping them.
    void packetRows(int index, const QString &name,
                    const std::function<void(const QVector<packet::FieldSpec> &)> &fields,
                    const std::function<void(const QVector<QVariant> &)> &row) const;

private:
    QJsonValue value(int index, const QString &name, const QString &kind, bool byRef) const;

    QJsonArray m_arguments;
    QHash<int, QByteArray> m_rowTexts;  // the rows cut out of packet arguments, by argument
};

}  // namespace commission
