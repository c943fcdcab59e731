#include "scripteddialogs.h"

#include "operatorcursor.h"
#include "signin.h"

#include <tnetconnection.h>

#include <QApplication>
#include <QCursor>

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
    cursorsShown.clear();
    shown.clear();
}

int ScriptedDialogs::currentCursorShape()
{
    const QCursor *cursor = QApplication::overrideCursor();
    return cursor ? int(cursor->shape()) : int(Qt::ArrowCursor);
}

int ScriptedDialogs::messageDlg(const QString &text, MsgDlgType type, int buttons, const QString &informative)
{
    // As a real dialog would, the script runs under the operator's arrow.
    const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
    shown.append({QStringLiteral("message"), text, type, buttons, informative});
    cursorsShown.append(currentCursorShape());
    return answers.isEmpty() ? agreeingAnswer(buttons) : answers.dequeue();
}

void ScriptedDialogs::showError(const QString &text, const QString &informative)
{
    const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
    shown.append({QStringLiteral("error"), text, MsgDlgType::Error, mbOK, informative});
    cursorsShown.append(currentCursorShape());
}

bool ScriptedDialogs::lookup(const LookupRequest &request)
{
    const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
    shown.append({QStringLiteral("lookup"), request.title});
    cursorsShown.append(currentCursorShape());
    lookups.append(request);
    return onLookup ? onLookup(request.source, request.title) : false;
}

bool ScriptedDialogs::pickList(TDataSource *source, const QString &keyField, const QString &title, QString &list)
{
    const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
    shown.append({QStringLiteral("pickList"), title});
    cursorsShown.append(currentCursorShape());
    return onPickList ? onPickList(source, keyField, title, list) : false;
}

QString ScriptedDialogs::saveFileName(const QString &title, const QString &suggested, const QString &)
{
    const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
    shown.append({QStringLiteral("save"), title});
    cursorsShown.append(currentCursorShape());
    return onSaveFileName ? onSaveFileName(suggested) : QString();
}

void ScriptedDialogs::search(TDataSource *source)
{
    const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
    shown.append({QStringLiteral("search"), QString()});
    cursorsShown.append(currentCursorShape());
    if (onSearch)
        onSearch(source);
}

std::optional<QString> ScriptedDialogs::cancellationReason(const ReasonDialog &dialog)
{
    const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
    shown.append({QStringLiteral("reason"), QString()});
    cursorsShown.append(currentCursorShape());
    if (!reasons.isEmpty())
        return reasons.dequeue();
    return onCancellationReason ? onCancellationReason(dialog) : std::nullopt;
}

bool ScriptedDialogs::signIn(const SignInPrompt &prompt)
{
    const OperatorCursor arrow(OperatorCursor::Shows::WaitingForTheOperator);
    shown.append({QStringLiteral("signIn"), prompt.notice});
    cursorsShown.append(currentCursorShape());
    signInPrompts.append(prompt);
    while (!signInPasswords.isEmpty()) {
        const QString password = signInPasswords.dequeue();
        try {
            SignIn::signIn(prompt.operatorCode, password);
            return true;
        } catch (const RemoteCallError &error) {
            shown.append({QStringLiteral("signInRefused"), QString::fromUtf8(error.what())});
        } catch (const TransportError &error) {
            shown.append({QStringLiteral("signInRefused"), QString::fromUtf8(error.what())});
        }
    }
    return false;
}
