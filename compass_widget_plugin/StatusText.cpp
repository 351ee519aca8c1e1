#include "StatusText.h"

#include "NumberText.h"

#include <QChar>

#include <cmath>
#include <cstdlib>

namespace velmora::plugin::compass_widget {

namespace {

QString noValue(int width)
{
    return QStringLiteral("%1").arg(QLatin1String(noValueText), width);
}

// A number text of only zeros behind a minus sign names no side of zero.
QString withoutNegativeZero(QString text)
{
    for (const QChar c : text)
        if (c >= QLatin1Char('1') && c <= QLatin1Char('9'))
            return text;
    if (text.startsWith(QLatin1Char('-')))
        text.remove(0, 1);
    return text;
}

} // namespace

QString fixedText(double value, int intDigits, int decimals)
{
    const int width = intDigits + 1 + decimals;
    if (!std::isfinite(value))
        return noValue(width);
    return QStringLiteral("%1").arg(withoutNegativeZero(QString::number(value, 'f', decimals)), width);
}

QString integerText(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char(' '));
}

QString dmsText(double degrees)
{
    constexpr int secondsWidth = dmsSecondsDecimals + 3;
    if (!std::isfinite(degrees) || std::abs(degrees) > 1e9)
        return noValue(4 + 1 + 2 + 1 + secondsWidth + 1);

    // Counting the whole angle in units of the last printed digit lets a
    // rounded-up 60.00" carry into the minutes and the degrees.
    long long unitsPerSecond = 1;
    for (int i = 0; i < dmsSecondsDecimals; ++i)
        unitsPerSecond *= 10;
    const long long unitsPerMinute = 60 * unitsPerSecond;
    const long long unitsPerDegree = 60 * unitsPerMinute;
    const long long units = std::llround(std::abs(degrees) * 3600.0 * static_cast<double>(unitsPerSecond));
    const long long wholeDegrees = units / unitsPerDegree;
    const int minutes = static_cast<int>(units % unitsPerDegree / unitsPerMinute);
    const double seconds = static_cast<double>(units % unitsPerMinute) / static_cast<double>(unitsPerSecond);

    // The sign belongs to the whole angle: degrees of 0 must still show it.
    const QString degreeText =
        QLatin1String(degrees < 0.0 && units > 0 ? "-" : "") + QString::number(wholeDegrees);
    return QStringLiteral("%1%2%3'%4\"")
        .arg(degreeText, 4)
        .arg(QChar(0x00BA))
        .arg(minutes, 2, 10, QLatin1Char(' '))
        .arg(seconds, secondsWidth, 'f', dmsSecondsDecimals, QLatin1Char(' '));
}

QString headingText(double degrees)
{
    if (!std::isfinite(degrees))
        return noValue(6);
    const QString text = QStringLiteral("%1").arg(degrees, 6, 'f', 2, QLatin1Char(' '));
    return text == QLatin1String("360.00") ? QStringLiteral("  0.00") : text;
}

QString orientationText(double degrees)
{
    if (!std::isfinite(degrees))
        return QLatin1String(noValueText);
    // Rounded as the status bar's heading is, so the two always agree.
    return QString::number(roundedHeading(degrees), 'g', 8);
}

} // namespace velmora::plugin::compass_widget
