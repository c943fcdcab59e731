#include "scripteddialogs.h"

namespace {

// The answer of a person who agrees with whatever is asked.
int agreeingAnswer(int buttons)
{
    if (buttons & mbYes)
        return mrYes;
    if (buttons & mbOK)
        return mrOk;
    if (buttons & mbNo)
        return mrNo;
    return mrCancel;
}

}  // namespace

ScriptedDialogs::ScriptedDialogs() : m_previous(&DialogSeam::current())
{
    DialogSeam::install(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    DialogSeam::install(m_previous);
}

QStringList ScriptedDialogs::errors() const
{
    QStringList texts;
    for (const Shown &entry : shown) {
        if (entry.kind == QLatin1String("error")
            || (entry.kind == QLatin1String("message") && entry.type == MsgDlgType::Error))
            texts.append(entry.text);
    }
    return texts;
}

QStringList ScriptedDialogs::messages() const
{
    QStringList texts;
    for (const Shown &entry : shown) {
        if (entry.kind == QLatin1String("error") || entry.kind == QLatin1String("message"))
            texts.append(entry.text);
    }
    return texts;
}

void ScriptedDialogs::clear()
{
    shown.clear();
}

int ScriptedDialogs::messageDlg(const QString &text, MsgDlgType type, int buttons)
{
    shown.append({QStringLiteral("message"), text, type, buttons});
    return answers.isEmpty() ? agreeingAnswer(buttons) : answers.dequeue();
}

void ScriptedDialogs::showError(const QString &text)
{
    shown.append({QStringLiteral("error"), text, MsgDlgType::Error, mbOK});
}

bool ScriptedDialogs::lookup(TDataSource *source, const QString &title)
{
    shown.append({QStringLiteral("lookup"), title});
    return onLookup ? onLookup(source, title) : false;
}

bool ScriptedDialogs::pickList(TDataSource *source, const QString &keyField, const QString &title, QString &list)
{
    shown.append({QStringLiteral("pickList"), title});
    return onPickList ? onPickList(source, keyField, title, list) : false;
}

void ScriptedDialogs::search(TDataSource *source)
{
    shown.append({QStringLiteral("search"), QString()});
    if (onSearch)
        onSearch(source);
}
