#pragma once

#include <QDate>
#include <QDir>
#include <QObject>
#include <QTimer>

class HostMainWindow;
class QWidget;

// Walks through the commission screen as a user does and saves what each step
// shows as PNG files: the filter dialog (period filled in), the pending
// dialog, the screen on its salesperson tab and on its quote tab with the
// first quote marked, the history of settlements with the quotes of the
// first one, and, on the lists of generated commission, the reason a
// cancellation asks for (abandoned there: nothing is cancelled). The module runs in the host window and is reached only
// through its widgets, found by their object names. Ends the application
// with 0 when every picture is saved, 1 when a step does not come in time or
// an error box shows.
class ScreenshotTour : public QObject {
    Q_OBJECT
public:
    ScreenshotTour(HostMainWindow &host, const QDir &folder, QDate from, QDate to);

    void start();

private:
    enum class Step {
        Filter,
        Loaded,
        QuoteTab,
        Marked,
        History,
        HistoryPeriod,
        HistoryQuotes,
        GeneratedFilter,
        GeneratedLoaded,
        CancelMarked,
        CancelAsked,
        Reason,
        Done
    };

    void poll();
    void fillAndConfirmFilter(QWidget *dialog);
    void closePendingDialog(QWidget *dialog);
    QWidget *screen() const;
    bool listsLoaded() const;
    void photographSalespeople();
    void markFirstQuote();
    void photographQuotes();
    void widenHistoryPeriod(QWidget *history);
    void showQuotesOfFirstSettlement(QWidget *history);
    void photographHistory(QWidget *history);
    void filterGenerated(QWidget *dialog);
    bool generatedLoaded() const;
    void markGeneratedQuotes();
    void photographReason(QWidget *dialog);
    void save(QWidget *widget, const QString &name);
    void fail(const QString &why);

    HostMainWindow &m_host;
    QDir m_folder;
    QDate m_from, m_to;
    Step m_step = Step::Filter;
    QTimer m_timer;
    int m_ticksLeft;
};
