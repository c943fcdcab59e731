#pragma once

#include "controls_export.h"

#include <QStringList>
#include <QWidget>

class QColor;
class QDate;
class QLabel;
class QLineEdit;

// A date edit: a dd/mm/yyyy field with the weekday name of a valid date beside
// it. A valid date shows in blue. Holds dates without a time part.
class CONTROLS_EXPORT TDateEditPlus : public QWidget {
    Q_OBJECT
public:
    explicit TDateEditPlus(QWidget *parent = nullptr);

    QStringList DayNames;       // Sunday first
    QString text() const;       // "" when nothing is typed
    double GetDate() const;     // day count; 0 for an empty or invalid text
    void SetDate(double days);  // 0 empties the field
    // Reports a text that is not a date ("Data inválida: <o texto>. ...", naming it) through MensErro
    // with the abort flag, after moving the focus here.
    void CheckValidDate();
    QLineEdit *editor() const;

    QDate date() const;                       // invalid for an empty or invalid text
    QString weekdayText() const;              // the weekday shown, "" when none
    void setColor(const QColor &background);  // the field's background

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showValidity();
    void placeWeekday();

    QLineEdit *m_edit;
    QLabel *m_weekday;
};
