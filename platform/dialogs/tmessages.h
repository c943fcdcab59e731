#pragma once

#include "dialogs_export.h"

#include <QHash>
#include <QObject>
#include <QStringList>

// A form's message catalogue: lines "KEY|text", looked up by key (exact case).
class DIALOGS_EXPORT TMessages : public QObject {
    Q_OBJECT
public:
    explicit TMessages(QObject *parent = nullptr);

    void setLines(const QStringList &lines);  // replaces the catalogue
    QStringList lines() const;

    bool Contains(const QString &key) const;
    // The text of the key; empty text when the catalogue lacks the key.
    QString Msg(const QString &key) const;

private:
    QStringList m_lines;
    QHash<QString, QString> m_texts;
};
