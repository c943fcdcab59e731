#pragma once

#include "scripteddialogs.h"
#include "scriptedserver.h"
#include "session.h"

#include <QJsonObject>
#include <QPointer>
#include <QQueue>
#include <QTemporaryDir>
#include <QTimer>
#include <QVariantMap>

#include <memory>

class HostMainWindow;
class TfrmManComis;
class TfrmFiltroManuComissao;
class QWidget;

// Answers the filter dialogs that open, in order, by pressing their buttons
// the way a user would. A dialog with no answer queued is cancelled and
// counted as unexpected, so a test never hangs in a modal run. When a dialog
// has closed, the screen gets the activation back, as a window manager does.
class FilterDialogAnswers : public QObject {
public:
    enum Answer { ConfirmNotGenerated, ConfirmGenerated, Cancel };

    FilterDialogAnswers();

    QQueue<Answer> answers;
    int opened = 0;
    int unexpected = 0;

private:
    void poll();

    QTimer m_timer;
    QPointer<TfrmFiltroManuComissao> m_answered;
    int m_pollsOnAnswered = 0;
};

// Everything the maintenance screen needs around it in a test (and, for tests
// of one part of the screen, the screen alone: showAlone): the host's
// main window, a branch table in an SQLite file, a scripted commission server
// with a salesperson list and quotes, the session pointing at both (its
// operator holding every right), scripted message dialogs and filter
// dialogs. Destroying it deletes the screen and puts the module state back
// to what a fresh load has.
class ScreenHarness {
public:
    ScreenHarness(const QString &sessionBranch, bool branchFixed);
    ~ScreenHarness();

    ScriptedServer server;
    ScriptedDialogs dialogs;
    FilterDialogAnswers filter;

    // Opens the screen through the host's entry and waits until its first
    // activation has settled.
    TfrmManComis *open();
    TfrmManComis *screen() const;
    // Makes another child window of the host the active one, then the screen.
    void activateAgain();
    // Waits until the filter dialogs that opened have been answered, the
    // screen is active again and the event loop has delivered what that
    // posted.
    static void settle();
    // Waits until the calls the screen started have completed and what
    // their completions posted was delivered.
    static void waitIdle(TfrmManComis &screen);

    // The screen made and shown alone, without the host, as when the session
    // fixes the branch: created, its first activation and filter run taken
    // as done, the branch panel disabled (the focus never enters it, so
    // leaving it never starts a filter run), the window active; a session
    // without rights is given every right.
    static std::unique_ptr<TfrmManComis> showAlone();

    // Makes the branch table unreachable: the next query fails to open it.
    void takeDatabaseDown();

    // Scripts a parameter record, two salespeople without pending quotes and
    // two marked quotes per salesperson.
    static void scriptDefaults(ScriptedServer &server);

    // Every right at every branch: the operator the harness signs in.
    static QVector<BranchRights> allRights();

    static QJsonObject salespeople(int count);
    static QJsonObject quotes(int count);
    static QJsonObject emptyPending();
    static QJsonObject parameters();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<HostMainWindow> m_host;
    QWidget *m_otherScreen = nullptr;
};
