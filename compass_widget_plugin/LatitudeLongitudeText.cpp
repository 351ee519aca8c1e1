#include "LatitudeLongitudeText.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace velmora::plugin::compass_widget {

namespace {

enum class Unit
{
    Degrees,
    Minutes,
    Seconds,
    Unmarked
};

enum class Axis
{
    Unknown,
    Latitude,
    Longitude
};

struct AnglePart
{
    QString digits;
    Unit unit = Unit::Unmarked;
    bool afterColon = false;
};

// One angle as written: its numbers, and the letter or label that names its axis.
struct AngleText
{
    std::vector<AnglePart> parts;
    QChar hemisphere; // N, S, E or W; null when none
    Axis label = Axis::Unknown;
    bool closed = false; // a trailing hemisphere letter ended it
};

// Splits a text into angles, token by token. An angle ends at a separator
// (',', ';', '/'), after its trailing hemisphere letter, before a leading
// letter or label of the next, and where a number cannot continue it: a
// signed number, a fourth part, a part after seconds, a number without colon
// after colon-joined parts, a second part marked as degrees.
class AngleSplitter
{
public:
    explicit AngleSplitter(const QString& text) : text(text) {}

    // False when the text holds something that belongs to no angle.
    bool split()
    {
        while (at < text.size()) {
            const QChar c = text.at(at);
            const bool blank = c == QLatin1Char(' ');
            if (!blank && !readToken(c))
                return false;
            if (blank)
                ++at;
            blankBefore = blank;
        }
        return true;
    }

    std::vector<AngleText> angles;

private:
    bool readToken(QChar c)
    {
        if (c.isDigit() || c == QLatin1Char('.') || c == QLatin1Char('+') || c == QLatin1Char('-'))
            return readNumber();
        if (c.isLetter())
            return readWord();
        ++at;
        if (c == QChar(0x00B0))
            return mark(Unit::Degrees);
        if (c == QLatin1Char('\''))
            return mark(Unit::Minutes);
        if (c == QLatin1Char('"'))
            return mark(Unit::Seconds);
        // After a label ("LAT:") a colon only ends the label.
        if (c == QLatin1Char(':') || c == QLatin1Char('=')) {
            colonNext = afterNumber;
            afterNumber = false;
            return true;
        }
        afterNumber = false;
        if (c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char('/')) {
            closeAngle();
            return true;
        }
        return QStringLiteral("()[]").contains(c);
    }

    bool readNumber()
    {
        // \G: only a number that starts right here.
        static const QRegularExpression number(QStringLiteral(R"(\G[+-]?(?:\d+\.?\d*|\.\d+)(?:E[+-]?\d+)?)"));
        const QRegularExpressionMatch match = number.match(text, at);
        if (!match.hasMatch())
            return false;
        at += match.capturedLength();
        const QString digits = match.captured();
        AngleText* angle = openAngle();
        if (angle && !angle->parts.empty()) {
            const AnglePart& last = angle->parts.back();
            const bool joined = angle->parts.size() > 1 && angle->parts[1].afterColon;
            if (((digits.front() == QLatin1Char('+') || digits.front() == QLatin1Char('-')) && !colonNext) ||
                angle->parts.size() == 3 || last.unit == Unit::Seconds || (joined && !colonNext))
                angle = nullptr;
        }
        if (!angle)
            angle = &newAngle();
        angle->parts.push_back({digits, Unit::Unmarked, colonNext});
        colonNext = false;
        afterNumber = true;
        return true;
    }

    // A mark names the unit of the number just before it.
    bool mark(Unit unit)
    {
        if (!afterNumber)
            return false;
        afterNumber = false;
        AngleText& angle = angles.back();
        angle.parts.back().unit = unit;
        // "46°51' 121°45'": the second degrees begin the next angle.
        if (unit == Unit::Degrees && angle.parts.size() > 1) {
            const AnglePart part = angle.parts.back();
            angle.parts.pop_back();
            newAngle().parts.push_back(part);
        }
        return true;
    }

    bool readWord()
    {
        // d, m and s right after a number are its unit ("46d51m10.4sN"); s only
        // after marked minutes, else it is south ("33 52 7.68S").
        if (afterNumber && !blankBefore) {
            const QChar letter = text.at(at);
            const std::vector<AnglePart>& parts = angles.back().parts;
            const bool seconds = parts.size() > 1 && parts[parts.size() - 2].unit == Unit::Minutes;
            ++at;
            if (letter == QLatin1Char('D'))
                return mark(Unit::Degrees);
            if (letter == QLatin1Char('M'))
                return mark(Unit::Minutes);
            if (letter == QLatin1Char('S') && seconds)
                return mark(Unit::Seconds);
            --at;
        }
        int end = at;
        while (end < text.size() && text.at(end).isLetter())
            ++end;
        const QString word = text.mid(at, end - at);
        at = end;
        afterNumber = false;
        static const QStringList hemispheres{"N", "S", "E", "W", "NORTH", "SOUTH", "EAST", "WEST"};
        if (hemispheres.contains(word))
            return hemisphere(word.at(0));
        if (word == QLatin1String("LAT") || word == QLatin1String("LATITUDE"))
            return label(Axis::Latitude);
        if (word == QLatin1String("LON") || word == QLatin1String("LNG") || word == QLatin1String("LONG") ||
            word == QLatin1String("LONGITUDE"))
            return label(Axis::Longitude);
        return false;
    }

    bool hemisphere(QChar letter)
    {
        AngleText* angle = openAngle();
        if (angle && !angle->parts.empty() && angle->hemisphere.isNull()) {
            angle->hemisphere = letter;
            angle->closed = true;
            return true;
        }
        if (!angle || !angle->parts.empty())
            angle = &newAngle();
        if (!angle->hemisphere.isNull())
            return false;
        angle->hemisphere = letter;
        return true;
    }

    bool label(Axis axis)
    {
        AngleText* angle = openAngle();
        if (!angle || !angle->parts.empty() || angle->label != Axis::Unknown || !angle->hemisphere.isNull())
            angle = &newAngle();
        angle->label = axis;
        return true;
    }

    AngleText* openAngle() { return angles.empty() || angles.back().closed ? nullptr : &angles.back(); }
    AngleText& newAngle()
    {
        closeAngle();
        angles.emplace_back();
        return angles.back();
    }
    void closeAngle()
    {
        if (!angles.empty())
            angles.back().closed = true;
    }

    const QString& text;
    int at = 0;
    bool blankBefore = false;
    bool afterNumber = false; // the last token was a number without its unit mark
    bool colonNext = false;   // a colon joins the next number to the one before
};

// Degrees, minutes and seconds in that order, unmarked parts taking the next
// unit; only the degrees signed, only the last part with decimals.
bool angleValue(const AngleText& angle, double& value, QString& why)
{
    if (angle.parts.empty()) {
        why = QStringLiteral("A latitude or longitude has no number");
        return false;
    }
    int expected = static_cast<int>(Unit::Degrees);
    double magnitude = 0.0;
    for (std::size_t i = 0; i < angle.parts.size(); ++i) {
        const AnglePart& part = angle.parts[i];
        const int unit = part.unit == Unit::Unmarked ? expected : static_cast<int>(part.unit);
        bool ok = false;
        // Beyond the double range: infinite, which the range checks refuse.
        const double partValue =
            std::fabs(QLocale::c().toDouble(part.digits, &ok)) + (ok ? 0.0 : std::numeric_limits<double>::infinity());
        if (i == 0 ? unit != static_cast<int>(Unit::Degrees)
                   : unit < expected || unit > static_cast<int>(Unit::Seconds))
            why = QStringLiteral("An angle is written degrees, minutes, seconds, in that order");
        else if (i > 0 && (part.digits.front() == QLatin1Char('-') || part.digits.front() == QLatin1Char('+')))
            why = QStringLiteral("Only the degrees of an angle carry a sign");
        else if (i + 1 < angle.parts.size() &&
                 (part.digits.contains(QLatin1Char('.')) || part.digits.contains(QLatin1Char('E'))))
            why = QStringLiteral("Only the last part of an angle may have decimals");
        else if (unit == static_cast<int>(Unit::Minutes) && partValue >= 60.0)
            why = QStringLiteral("Minutes must be from 0 to below 60");
        else if (unit == static_cast<int>(Unit::Seconds) && partValue >= 60.0)
            why = QStringLiteral("Seconds must be from 0 to below 60");
        if (!why.isEmpty())
            return false;
        magnitude += partValue / std::pow(60.0, unit);
        expected = unit + 1;
    }
    // The sign of "-0 30" stands on its zero degrees.
    bool negative = angle.parts.front().digits.startsWith(QLatin1Char('-'));
    if (angle.hemisphere == QLatin1Char('S') || angle.hemisphere == QLatin1Char('W')) {
        if (negative || angle.parts.front().digits.startsWith(QLatin1Char('+'))) {
            why = QStringLiteral("An angle has both a sign and a hemisphere letter");
            return false;
        }
        negative = true;
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

Axis axisOf(const AngleText& angle)
{
    if (angle.hemisphere == QLatin1Char('N') || angle.hemisphere == QLatin1Char('S'))
        return Axis::Latitude;
    if (!angle.hemisphere.isNull())
        return Axis::Longitude;
    return angle.label;
}

// Only bare numbers: two, four or six are two angles of one, two or three
// parts; any other count gives no angle at all, since no split of it is sure.
bool splitBareNumbers(const QString& text, std::vector<AngleText>& angles)
{
    static const QRegularExpression bare(QStringLiteral(R"(^[+-]?[\d.]+(?: +[+-]?[\d.]+)+$)"));
    if (!bare.match(text).hasMatch())
        return false;
    const QStringList numbers = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (numbers.size() % 2 != 0 || numbers.size() > 6)
        return true;
    angles.assign(2, AngleText{});
    for (int i = 0; i < numbers.size(); ++i)
        angles[i * 2 / numbers.size()].parts.push_back({numbers[i], Unit::Unmarked, false});
    return true;
}

QString formName(PlaceTextForm form)
{
    switch (form) {
    case PlaceTextForm::DegreesMinutes:
        return QStringLiteral("degrees and decimal minutes");
    case PlaceTextForm::DegreesMinutesSeconds:
        return QStringLiteral("degrees-minutes-seconds");
    default:
        return QStringLiteral("decimal degrees");
    }
}

// Which of the two angles is the latitude, and the note saying why; false when the axes clash.
bool orderOf(const std::vector<AngleText>& angles, const double (&values)[2], bool& swapped, QString& reason)
{
    const Axis first = axisOf(angles[0]);
    const Axis second = axisOf(angles[1]);
    // "Lat 46.85 E": the letter names the axis, so a label that says otherwise leaves the text unclear.
    for (const AngleText& angle : angles) {
        if (angle.label != Axis::Unknown && angle.label != axisOf(angle)) {
            reason = QStringLiteral("A label and a hemisphere letter name different axes");
            return false;
        }
    }
    if (first == Axis::Unknown && second == Axis::Unknown) {
        swapped = std::fabs(values[0]) > 90.0 && std::fabs(values[1]) <= 90.0;
        if (swapped)
            reason = QStringLiteral(" (the first number is beyond 90)");
        return true;
    }
    if (first == second) {
        reason = first == Axis::Latitude ? QStringLiteral("The text gives two latitudes")
                                         : QStringLiteral("The text gives two longitudes");
        return false;
    }
    swapped = first == Axis::Longitude || second == Axis::Latitude;
    const bool letters = !angles[0].hemisphere.isNull() || !angles[1].hemisphere.isNull();
    reason = letters ? QStringLiteral(" (by the hemisphere letters)") : QStringLiteral(" (by the labels)");
    return true;
}

PastedPlace refusal(const QString& why)
{
    PastedPlace place;
    place.note = why;
    return place;
}

} // namespace

PastedPlace readLatitudeLongitude(const QString& text)
{
    std::vector<AngleText> angles;
    if (!splitBareNumbers(text, angles)) {
        AngleSplitter splitter(text);
        if (!splitter.split())
            return refusal(QStringLiteral("This text is no place in a form the panel reads"));
        angles = std::move(splitter.angles);
    }
    if (angles.empty())
        return refusal(QStringLiteral("These numbers do not split into a latitude and a longitude"));
    if (angles.size() != 2)
        return refusal(angles.size() < 2 ? QStringLiteral("A place needs a latitude and a longitude")
                                         : QStringLiteral("This text holds more than a latitude and a longitude"));
    double values[2] = {0.0, 0.0};
    QString why;
    if (!angleValue(angles[0], values[0], why) || !angleValue(angles[1], values[1], why))
        return refusal(why);
    bool swapped = false;
    QString reason;
    if (!orderOf(angles, values, swapped, reason))
        return refusal(reason);

    const std::size_t parts = std::max(angles[0].parts.size(), angles[1].parts.size());
    PastedPlace place;
    place.form = parts == 1   ? PlaceTextForm::DecimalDegrees
                 : parts == 2 ? PlaceTextForm::DegreesMinutes
                              : PlaceTextForm::DegreesMinutesSeconds;
    place.latitude = values[swapped ? 1 : 0];
    place.longitude = values[swapped ? 0 : 1];
    place.note =
        QStringLiteral("Read as %1, %2 first%3")
            .arg(formName(place.form), swapped ? QStringLiteral("longitude") : QStringLiteral("latitude"), reason);
    return place;
}

} // namespace velmora::plugin::compass_widget
