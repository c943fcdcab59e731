#include "numbertext.h"

#include <QLocale>

#include <cmath>

namespace {

// Below this an amount shows as zero.
constexpr double halfCent = 0.005;

}  // namespace

QString NumberText::amount(double value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(std::abs(value) < halfCent ? 0.0 : value, 'f', 2);
}

QString NumberText::plain(double value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', QLocale::FloatingPointShortest);
}

std::optional<double> NumberText::parse(const QString &text)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    const QString trimmed = text.trimmed();
    bool ok = false;
    double number = locale.toDouble(trimmed, &ok);
    if (!ok)
        number = QLocale::c().toDouble(trimmed, &ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}
