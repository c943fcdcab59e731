#pragma once

#include "dialogs_export.h"

#include <QBasicTimer>
#include <QWidget>

class QPushButton;

// The busy indicator: a panel centred over its host window with a small
// animation and an optional text, shown while a long call runs. Kind 1 is a
// spinning ring (work in progress), kind 6 pages travelling between two
// stacks (data coming from the server); any other kind shows the ring.
//
// The animation moves while the event loop runs, which it does during a
// service call too (the call waits in an event loop that holds back input).
//
// While the program waits for the server the panel may offer a way out: a
// "Cancelar" button under the text (cancelRequested), or the same button
// disabled with a notice saying why the wait cannot be given up.
class DIALOGS_EXPORT BusyIndicator : public QWidget {
    Q_OBJECT
public:
    enum Kind { Processing = 1, Fetching = 6 };
    enum class WayOut { None, Offered, Refused };

    explicit BusyIndicator(QWidget *host);

    void start(int kind, const QString &text);
    void stop();

    int kind() const { return m_kind; }
    // How far the animation has moved since the indicator was made.
    int frame() const { return m_frame; }
    QString text() const { return m_text; }

    // The button shows for Offered (enabled) and Refused (disabled, with
    // `notice` under the text).
    void setWayOut(WayOut wayOut, const QString &notice = QString());
    WayOut wayOut() const { return m_wayOut; }
    QString notice() const { return m_notice; }
    QPushButton *cancelButton() const { return m_cancel; }

signals:
    void cancelRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeOverHost();
    void paintRing(QPainter &painter, const QRectF &area) const;
    void paintTransfer(QPainter &painter, const QRectF &area) const;

    QBasicTimer m_timer;
    int m_frame = 0;
    int m_kind = Processing;
    QString m_text;
    WayOut m_wayOut = WayOut::None;
    QString m_notice;
    QPushButton *m_cancel;
};
