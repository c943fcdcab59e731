#include "tdateeditplus.h"

#include "daycount.h"
#include "fillcolour.h"
#include "hostmessages.h"
#include "hosttext.h"

#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

const QString dateFormat = QStringLiteral("dd/MM/yyyy");

}  // namespace

TDateEditPlus::TDateEditPlus(QWidget *parent)
    : QWidget(parent), DayNames{QStringLiteral("Domingo"), QStringLiteral("Segunda"), QStringLiteral("Terça"),
                                QStringLiteral("Quarta"),  QStringLiteral("Quinta"),  QStringLiteral("Sexta"),
                                QStringLiteral("Sábado")},
      m_edit(new QLineEdit(this)), m_weekday(new QLabel(m_edit))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit);
    m_edit->setObjectName(QStringLiteral("edit"));
    m_edit->setInputMask(QStringLiteral("99/99/9999;_"));
    setFocusProxy(m_edit);

    // The weekday sits inside the field at its right end, so the date edit
    // keeps its width on forms laid out for a plain field; where the field is
    // too narrow for both, the tooltip alone carries it.
    m_weekday->setObjectName(QStringLiteral("weekday"));
    m_weekday->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_weekday->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette blue = m_weekday->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    m_weekday->setPalette(blue);
    connect(m_edit, &QLineEdit::textChanged, this, [this] { showValidity(); });
    showValidity();
}

QString TDateEditPlus::text() const
{
    // With the mask an untouched field reads "//".
    const QString typed = m_edit->text();
    for (const QChar c : typed) {
        if (c.isDigit())
            return typed;
    }
    return QString();
}

QDate TDateEditPlus::date() const
{
    return QDate::fromString(m_edit->text(), dateFormat);
}

double TDateEditPlus::GetDate() const
{
    const QDate value = date();
    return value.isValid() ? packet::toDayCount(value) : 0.0;
}

void TDateEditPlus::SetDate(double days)
{
    // Only the day: a time part of the count is dropped.
    const QDate value = packet::dateFromDayCount(days);
    if (value.isValid())
        m_edit->setText(value.toString(dateFormat));
    else
        m_edit->clear();
}

void TDateEditPlus::CheckValidDate()
{
    if (text().isEmpty() || date().isValid())
        return;
    m_edit->setFocus();
    MensErro(InvalidDateText(text()), true);
}

QLineEdit *TDateEditPlus::editor() const
{
    return m_edit;
}

QString TDateEditPlus::weekdayText() const
{
    return m_weekday->text();
}

void TDateEditPlus::setColor(const QColor &background)
{
    setFillColour(m_edit, background);
}

void TDateEditPlus::showValidity()
{
    const QDate value = date();
    QPalette colours = m_edit->palette();
    colours.setColor(QPalette::Text, value.isValid() ? QColor(Qt::blue) : palette().color(QPalette::Text));
    m_edit->setPalette(colours);
    const int day = value.isValid() ? value.dayOfWeek() % 7 : -1;  // Sunday first
    m_weekday->setText(day >= 0 && day < DayNames.size() ? DayNames.at(day) : QString());
    placeWeekday();
}

void TDateEditPlus::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeWeekday();
}

void TDateEditPlus::placeWeekday()
{
    const QString name = m_weekday->text();
    const int needed = name.isEmpty() ? 0 : m_weekday->sizeHint().width();
    const int room =
        m_edit->contentsRect().width() - m_edit->fontMetrics().horizontalAdvance(m_edit->displayText()) - 8;
    const bool shown = needed > 0 && needed <= room;
    m_weekday->setVisible(shown);
    m_weekday->setGeometry(m_edit->width() - needed - 3, 0, needed, m_edit->height());
    m_edit->setTextMargins(0, 0, shown ? needed + 2 : 0, 0);
    m_edit->setToolTip(name);
}
