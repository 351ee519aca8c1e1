#include "DegreeSplit.h"

#include "NumberText.h"

#include <cmath>

namespace velmora::plugin::compass_widget {

DegreeParts splitDegrees(double value)
{
    // Counting the whole angle in units of the last decimal shown lets a
    // rounded-up 60 seconds carry into the minutes and the degrees.
    const double unitsPerSecond = std::pow(10.0, secondsDecimals);
    const long long unitsPerMinute = std::llround(60.0 * unitsPerSecond);
    const long long unitsPerDegree = 60 * unitsPerMinute;
    const long long units = std::llround(std::fabs(value) * 3600.0 * unitsPerSecond);

    DegreeParts parts;
    parts.negative = value < 0.0 && units > 0;
    parts.degrees = static_cast<int>(units / unitsPerDegree);
    parts.minutes = static_cast<int>(units % unitsPerDegree / unitsPerMinute);
    parts.seconds = static_cast<double>(units % unitsPerMinute) / unitsPerSecond;
    return parts;
}

QString secondsText(const DegreeParts& parts)
{
    return QString::number(parts.seconds, 'f', secondsDecimals);
}

QString degreesText(const DegreeParts& parts)
{
    const QString digits = QString::number(parts.degrees);
    return parts.negative ? QLatin1Char('-') + digits : digits;
}

double degreesFieldValue(const QString& text)
{
    const double value = textToDouble(text);
    return text.trimmed().startsWith(QLatin1Char('-')) ? -std::fabs(value) : value;
}

double joinDegrees(double degrees, double minutes, double seconds)
{
    const double magnitude = std::fabs(degrees) + minutes / 60.0 + seconds / 3600.0;
    return std::signbit(degrees) ? -magnitude : magnitude;
}

} // namespace velmora::plugin::compass_widget
