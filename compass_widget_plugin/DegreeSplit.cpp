#include "DegreeSplit.h"

#include "NumberText.h"

#include <cmath>

namespace velmora::plugin::compass_widget {

DegreeParts splitDegrees(double value)
{
    DegreeParts parts;
    parts.negative = value < 0.0;
    const double magnitude = std::fabs(value);
    parts.degrees = static_cast<int>(magnitude);
    const float minutes = static_cast<float>((magnitude - parts.degrees) * 60.0);
    parts.minutes = static_cast<int>(minutes);
    parts.seconds = (minutes - static_cast<float>(parts.minutes)) * 60.0f;

    if (parts.seconds >= 60.0f) {
        parts.seconds -= 60.0f;
        ++parts.minutes;
    }
    if (parts.minutes >= 60) {
        parts.minutes -= 60;
        ++parts.degrees;
    }
    return parts;
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
