#include "busyindicator.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTimerEvent>

#include <cmath>

namespace {

constexpr int frameIntervalMs = 90;
constexpr int ringDots = 12;
constexpr int transferSteps = 12;
constexpr QSize animationSize(96, 44);
constexpr int margin = 14;
constexpr int lineGap = 8;

}  // namespace

BusyIndicator::BusyIndicator(QWidget *host)
    : QWidget(host), m_cancel(new QPushButton(QStringLiteral("&Cancelar"), this))
{
    setObjectName(QStringLiteral("busyIndicator"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Reached by its mnemonic and Escape; taking the focus would move it out
    // of the screen the operator works on.
    m_cancel->setObjectName(QStringLiteral("btnCancelarEspera"));
    m_cancel->setFocusPolicy(Qt::NoFocus);
    m_cancel->setToolTip(QStringLiteral("Deixar de esperar pelo servidor (Esc)"));
    m_cancel->hide();
    connect(m_cancel, &QPushButton::clicked, this, &BusyIndicator::cancelRequested);
    hide();
    host->installEventFilter(this);
}

void BusyIndicator::setWayOut(WayOut wayOut, const QString &notice)
{
    m_wayOut = wayOut;
    m_notice = wayOut == WayOut::Refused ? notice : QString();
    // Clicks reach the button only; without it the panel lets them through.
    setAttribute(Qt::WA_TransparentForMouseEvents, wayOut == WayOut::None);
    m_cancel->setVisible(wayOut != WayOut::None);
    m_cancel->setEnabled(wayOut == WayOut::Offered);
    if (isVisible()) {
        placeOverHost();
        update();
    }
}

void BusyIndicator::start(int kind, const QString &text)
{
    m_kind = kind == Fetching ? Fetching : Processing;
    m_text = text;
    m_frame = 0;
    placeOverHost();
    show();
    raise();
    if (!m_timer.isActive())
        m_timer.start(frameIntervalMs, this);
    // A blocking call usually follows at once, with no event loop to paint.
    repaint();
}

void BusyIndicator::stop()
{
    m_timer.stop();
    hide();
}

void BusyIndicator::placeOverHost()
{
    const QFontMetrics metrics(font());
    const auto lineHeight = [&metrics](const QString &line) { return line.isEmpty() ? 0 : metrics.height() + lineGap; };
    // A little more than the lines need, so that rounding never elides them.
    const int textWidth = std::max(m_text.isEmpty() ? 0 : metrics.horizontalAdvance(m_text) + 4,
                                   m_notice.isEmpty() ? 0 : metrics.horizontalAdvance(m_notice) + 4);
    const bool offered = m_wayOut != WayOut::None;
    const QSize button = offered ? m_cancel->sizeHint() : QSize(0, -lineGap);
    const int width = std::max({animationSize.width(), textWidth, button.width()}) + 2 * margin;
    const int height =
        animationSize.height() + 2 * margin + lineHeight(m_text) + lineHeight(m_notice) + button.height() + lineGap;
    const QWidget *host = parentWidget();
    resize(std::min(width, std::max(host->width() - 8, animationSize.width())), height);
    move((host->width() - this->width()) / 2, (host->height() - this->height()) / 2);
    if (offered)
        m_cancel->setGeometry((this->width() - button.width()) / 2, this->height() - margin - button.height(),
                              button.width(), button.height());
}

bool BusyIndicator::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible())
        placeOverHost();
    return QWidget::eventFilter(watched, event);
}

void BusyIndicator::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    ++m_frame;
    update();
}

void BusyIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF panel = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRoundedRect(panel, 6, 6);

    const QRectF area(QPointF((width() - animationSize.width()) / 2.0, margin), QSizeF(animationSize));
    if (m_kind == Fetching)
        paintTransfer(painter, area);
    else
        paintRing(painter, area);

    // The text, then the notice, each on a line of its own under the animation.
    painter.setPen(palette().color(QPalette::WindowText));
    double top = area.bottom() + lineGap;
    for (const QString &line : {m_text, m_notice}) {
        if (line.isEmpty())
            continue;
        const QRectF lineArea(margin, top, width() - 2 * margin, fontMetrics().height());
        painter.drawText(lineArea, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                         fontMetrics().elidedText(line, Qt::ElideRight, int(lineArea.width())));
        top += fontMetrics().height() + lineGap;
    }
}

// Twelve dots on a circle; the lit one goes round and leaves a fading trail.
void BusyIndicator::paintRing(QPainter &painter, const QRectF &area) const
{
    const QPointF centre = area.center();
    const double radius = area.height() / 2.0 - 5;
    const QColor lit = palette().color(QPalette::Highlight);
    painter.setPen(Qt::NoPen);
    for (int dot = 0; dot < ringDots; ++dot) {
        const int age = (m_frame - dot + ringDots * 1000) % ringDots;
        QColor color = lit;
        color.setAlphaF(std::max(0.15, 1.0 - age / 6.0));
        const double angle = 2 * M_PI * dot / ringDots - M_PI / 2;
        painter.setBrush(color);
        painter.drawEllipse(QPointF(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle)), 3.2,
                            3.2);
    }
}

// Two stacks of pages, the server on the left, this window on the right, and a
// page on its way between them.
void BusyIndicator::paintTransfer(QPainter &painter, const QRectF &area) const
{
    const QSizeF stack(22, 28);
    const QRectF from(area.left(), area.center().y() - stack.height() / 2, stack.width(), stack.height());
    const QRectF to(area.right() - stack.width(), from.top(), stack.width(), stack.height());
    const QColor paper = palette().color(QPalette::Base);
    const QColor edge = palette().color(QPalette::Dark);
    painter.setPen(edge);
    for (const QRectF &pile : {from, to}) {
        for (int sheet = 2; sheet >= 0; --sheet) {
            painter.setBrush(paper);
            painter.drawRect(pile.translated(sheet * 2, -sheet * 2));
        }
    }
    const double progress = double(m_frame % transferSteps) / (transferSteps - 1);
    const double travel = to.left() - from.left();
    const double lift = std::sin(progress * M_PI) * 12;
    const QRectF page(from.left() + travel * progress, from.top() - lift, 14, 18);
    painter.setBrush(palette().color(QPalette::Highlight));
    painter.drawRect(page);
}
