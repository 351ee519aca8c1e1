#include "PastedPlace.h"

#include "GridInput.h"
#include "LatitudeLongitudeText.h"

#include <velmora/utility/CoordConverter.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace velmora::plugin::compass_widget {

namespace {

using utility::CoordConverter;

constexpr double noValue = std::numeric_limits<double>::quiet_NaN();
// Far more than any place written in any form; a pasted document is refused
// at once instead of being searched.
constexpr int longestText = 4096;
const QChar degreeSign(0x00B0);

// A decimal number in the C locale, exponent allowed.
QString number()
{
    return QStringLiteral(R"(([+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?))");
}

PastedPlace refused(const QString& why)
{
    PastedPlace place;
    place.note = why;
    return place;
}

// Numbers beyond the double range read as infinite, so the range checks refuse them.
double toNumber(const QString& text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    return ok ? value : std::numeric_limits<double>::infinity();
}

// The checks every form shares; height NaN stands for "not given".
PastedPlace placeAt(PlaceTextForm form, double latitude, double longitude, double height, const QString& note)
{
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::isinf(height))
        return refused(QStringLiteral("No place on the earth has these coordinates"));
    if (std::fabs(latitude) > 90.0)
        return refused(QStringLiteral("Latitude must be from -90 to 90 degrees"));
    if (std::fabs(longitude) > 180.0)
        return refused(QStringLiteral("Longitude must be from -180 to 180 degrees"));
    PastedPlace place;
    place.form = form;
    place.latitude = latitude;
    place.longitude = longitude;
    place.height = height;
    place.note = note;
    return place;
}

// Typographic variants become the ASCII marks, every blank a space, letters upper case.
QString normalised(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case 0x00BA: // masculine ordinal, which many keyboards and this panel's status text use for degrees
        case 0x02DA:
        case 0x2218:
            out += degreeSign;
            break;
        case 0x2032: // prime
        case 0x2018:
        case 0x2019:
        case 0x00B4:
        case 0x02B9:
            out += QLatin1Char('\'');
            break;
        case 0x2033: // double prime
        case 0x201C:
        case 0x201D:
        case 0x02BA:
            out += QLatin1Char('"');
            break;
        case 0x2212: // minus sign
        case 0x2013:
            out += QLatin1Char('-');
            break;
        default:
            out += c.isSpace() ? QChar(QLatin1Char(' ')) : c.toUpper();
        }
    }
    out.replace(QLatin1String("''"), QLatin1String("\""));
    return out.trimmed();
}

QString withHeight(double height)
{
    return std::isnan(height) ? QString() : QStringLiteral(", with elevation");
}

PastedPlace readGeoJson(const QString& text)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return refused(QStringLiteral("This text is no GeoJSON object"));
    QJsonObject geometry = document.object();
    if (geometry.value(QLatin1String("type")).toString() == QLatin1String("Feature"))
        geometry = geometry.value(QLatin1String("geometry")).toObject();
    const QString type = geometry.value(QLatin1String("type")).toString();
    if (type != QLatin1String("Point"))
        return refused(QStringLiteral("The GeoJSON holds %1, not a Point")
                           .arg(type.isEmpty() ? QStringLiteral("no geometry") : QStringLiteral("a ") + type));
    const QJsonArray coordinates = geometry.value(QLatin1String("coordinates")).toArray();
    const bool numbers =
        std::all_of(coordinates.begin(), coordinates.end(), [](const QJsonValue& value) { return value.isDouble(); });
    if (coordinates.size() < 2 || coordinates.size() > 3 || !numbers)
        return refused(
            QStringLiteral("A GeoJSON Point needs [longitude, latitude] or [longitude, latitude, elevation]"));
    const double height = coordinates.size() == 3 ? coordinates[2].toDouble() : noValue;
    return placeAt(PlaceTextForm::GeoJson, coordinates[1].toDouble(), coordinates[0].toDouble(), height,
                   QStringLiteral("Read as a GeoJSON Point, longitude first") + withHeight(height));
}

PastedPlace readKml(const QString& text)
{
    static const QRegularExpression coordinates(
        QStringLiteral(R"(<coordinates>\s*%1\s*,\s*%1(?:\s*,\s*%1)?)").arg(number()),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = coordinates.match(text);
    if (!match.hasMatch())
        return refused(QStringLiteral("This text holds no KML coordinates"));
    const double height = match.capturedLength(3) > 0 ? toNumber(match.captured(3)) : noValue;
    return placeAt(PlaceTextForm::Kml, toNumber(match.captured(2)), toNumber(match.captured(1)), height,
                   QStringLiteral("Read as KML coordinates, longitude first") + withHeight(height));
}

// RFC 5870: geo:latitude,longitude[,altitude][;crs=...][;u=...][;more][?query].
PastedPlace readGeoUri(const QString& text)
{
    static const QRegularExpression uri(
        QStringLiteral(R"(^GEO: *%1 *, *%1(?: *, *%1)? *((?:;[^;?]*)*)(?:\?.*)?$)").arg(number()));
    const QRegularExpressionMatch match = uri.match(text);
    if (!match.hasMatch())
        return refused(QStringLiteral("This geo: URI holds no latitude and longitude"));
    for (const QString& parameter : match.captured(4).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = parameter.trimmed();
        if (trimmed.startsWith(QLatin1String("CRS=")) && trimmed != QLatin1String("CRS=WGS84"))
            return refused(QStringLiteral("This geo: URI is in %1; only WGS84 is read").arg(trimmed.mid(4).toLower()));
    }
    const double height = match.capturedLength(3) > 0 ? toNumber(match.captured(3)) : noValue;
    return placeAt(PlaceTextForm::GeoUri, toNumber(match.captured(1)), toNumber(match.captured(2)), height,
                   QStringLiteral("Read as a geo: URI, latitude first") + withHeight(height));
}

PastedPlace readWkt(const QString& text)
{
    static const QRegularExpression point(
        QStringLiteral(R"(^(?:SRID *= *(\d+) *; *)?POINT *Z? *\( *%1 +%1(?: +%1)? *\)$)").arg(number()));
    const QRegularExpressionMatch match = point.match(text);
    if (!match.hasMatch())
        return refused(QStringLiteral("This WKT holds no POINT with a longitude and a latitude"));
    if (match.capturedLength(1) > 0 && match.captured(1) != QLatin1String("4326"))
        return refused(QStringLiteral("This WKT is in SRID %1; only 4326, WGS84 longitude and latitude, is read")
                           .arg(match.captured(1)));
    const double height = match.capturedLength(4) > 0 ? toNumber(match.captured(4)) : noValue;
    return placeAt(PlaceTextForm::Wkt, toNumber(match.captured(3)), toNumber(match.captured(2)), height,
                   QStringLiteral("Read as a WKT POINT, longitude first") + withHeight(height));
}

// The band letter of a latitude; beyond UTM's latitudes the last band on that side.
char bandOfLatitude(double latitude)
{
    unsigned int zone = 0;
    char band = '\0';
    double easting = 0.0;
    double northing = 0.0;
    CoordConverter::convertGdcToUtm(std::clamp(latitude, -80.0, 83.99), 0.0, zone, band, easting, northing);
    return band;
}

PastedPlace readUps(char letter, double easting, double northing)
{
    double latitude = noValue;
    double longitude = noValue;
    CoordConverter::convertUtmToGdc(0, letter, easting, northing, latitude, longitude);
    if (!std::isfinite(latitude))
        return refused(
            QStringLiteral("No place in UPS band %1 has this easting and northing").arg(QLatin1Char(letter)));
    PastedPlace place = placeAt(PlaceTextForm::Utm, latitude, longitude, noValue,
                                QStringLiteral("Read as UPS near the %1 pole")
                                    .arg(letter >= 'Y' ? QStringLiteral("north") : QStringLiteral("south")));
    // A letter of the wrong side of the 0/180 meridian only picked the pole.
    unsigned int zone = 0;
    char band = letter;
    double e = 0.0;
    double n = 0.0;
    CoordConverter::convertGdcToUtm(latitude, longitude, zone, band, e, n);
    place.grid = {0, zone == 0 ? band : letter, northing, easting};
    return place;
}

// The letter after a UTM zone names a band; N and S also stand for the
// hemisphere. Band S lies between 32N and 40N, so an S whose northing falls
// outside that band means the south.
PastedPlace readUtmZone(unsigned int zone, char letter, double easting, double northing)
{
    if (zone < 1 || zone > 60)
        return refused(QStringLiteral("The zone number must be from 1 to 60"));
    if (letter == 'I' || letter == 'O')
        return refused(QStringLiteral("UTM Band cannot be an I or an O"));
    if (letter < 'C' || letter > 'X')
        return refused(QStringLiteral("There is no UTM band %1").arg(QLatin1Char(letter)));
    double latitude = noValue;
    double longitude = noValue;
    char hemisphere = letter; // the letter the northing was read with
    CoordConverter::convertUtmToGdc(zone, letter, easting, northing, latitude, longitude);
    QString how = QStringLiteral("Read as UTM zone %1, band %2").arg(zone).arg(QLatin1Char(letter));
    // A copied position is truncated to the metre, which can put a place on
    // its band's edge a hair outside it: within about 10 m the letter still
    // names the band.
    constexpr double edge = 1e-4; // degrees
    const bool inBand = bandOfLatitude(latitude) == letter || bandOfLatitude(latitude + edge) == letter ||
                        bandOfLatitude(latitude - edge) == letter;
    if (std::isfinite(latitude) && !inBand) {
        if (letter == 'N' || letter == 'S') {
            hemisphere = letter == 'S' ? 'M' : 'N';
            CoordConverter::convertUtmToGdc(zone, hemisphere, easting, northing, latitude, longitude);
            how = QStringLiteral("Read as UTM zone %1, %2 hemisphere")
                      .arg(zone)
                      .arg(letter == 'S' ? QStringLiteral("southern") : QStringLiteral("northern"));
        } else {
            how = QStringLiteral("Read as UTM zone %1 in the hemisphere of band %2; the place lies in band %3")
                      .arg(zone)
                      .arg(QLatin1Char(letter))
                      .arg(QLatin1Char(bandOfLatitude(latitude)));
        }
    }
    if (!std::isfinite(latitude))
        return refused(
            QStringLiteral("No place in zone %1%2 has this easting and northing").arg(zone).arg(QLatin1Char(letter)));
    PastedPlace place = placeAt(PlaceTextForm::Utm, latitude, longitude, noValue, how);
    // The place's own band; a northing continued across the equator ("31N
    // 500000 -100") is given in that band's hemisphere, whose false northing
    // differs by 10,000 km.
    const char band = bandOfLatitude(latitude);
    const double shift = (band >= 'N') == (hemisphere >= 'N') ? 0.0 : band >= 'N' ? -1e7 : 1e7;
    place.grid = {zone, band, northing + shift, easting};
    return place;
}

QString cellSize(int digitPairs)
{
    static const char* const sizes[] = {"100 km", "10 km", "1 km", "100 m",  "10 m",  "1 m",
                                        "10 cm",  "1 cm",  "1 mm", "0.1 mm", "10 um", "1 um"};
    return QString::fromLatin1(sizes[std::clamp(digitPairs, 0, 11)]);
}

PastedPlace readMgrs(const QString& reference)
{
    const std::string text = reference.toStdString();
    unsigned int zone = 0;
    double easting = 0.0;
    double northing = 0.0;
    std::string error;
    if (!CoordConverter::convertMgrsToUtm(0, '\0', text, zone, easting, northing, error))
        return refused(QString::fromStdString(error));
    const char band = mgrsBandLetter(text);
    double latitude = noValue;
    double longitude = noValue;
    CoordConverter::convertUtmToGdc(zone, band, easting, northing, latitude, longitude);
    int digits = 0;
    while (digits < reference.size() && reference.at(reference.size() - 1 - digits).isDigit())
        ++digits;
    PastedPlace place = placeAt(
        PlaceTextForm::Mgrs, latitude, longitude, noValue,
        QStringLiteral("Read as MGRS %1: the south-west corner of its %2 square").arg(reference, cellSize(digits / 2)));
    place.grid = {zone, band, northing, easting};
    return place;
}

// A grid reference or position, or false when the text is none.
bool readGrid(const QString& text, PastedPlace& place)
{
    static const QRegularExpression mgrs(
        QStringLiteral(R"(^(?:\d{1,2}[C-HJ-NP-X][A-HJ-NP-Z]{2}\d*|[ABYZ][A-HJ-NP-Z]{2}\d+)$)"));
    static const QRegularExpression utm(
        QStringLiteral(R"(^(?:(\d{1,2}) *([A-Z])|([ABYZ])) *[,;]? *%1 *M?E? *[,;]? *%1 *M?N?$)").arg(number()));
    const QString reference = QString(text).remove(QLatin1Char(' '));
    if (mgrs.match(reference).hasMatch()) {
        place = readMgrs(reference);
        return true;
    }
    const QRegularExpressionMatch match = utm.match(text);
    if (!match.hasMatch())
        return false;
    const double easting = toNumber(match.captured(4));
    const double northing = toNumber(match.captured(5));
    const QString zone = match.captured(1);
    if (match.capturedLength(3) > 0 || zone.toUInt() == 0) {
        const QChar letter = match.capturedLength(3) > 0 ? match.captured(3).at(0) : match.captured(2).at(0);
        place = QByteArrayLiteral("ABYZ").contains(letter.toLatin1())
                    ? readUps(letter.toLatin1(), easting, northing)
                    : refused(QStringLiteral("The zone number must be from 1 to 60"));
        return true;
    }
    place = readUtmZone(zone.toUInt(), match.captured(2).at(0).toLatin1(), easting, northing);
    return true;
}

} // namespace

PastedPlace readPastedPlace(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return refused(QStringLiteral("There is no text to read as a place"));
    if (trimmed.size() > longestText)
        return refused(QStringLiteral("This text is too long to be one place"));
    if (trimmed.startsWith(QLatin1Char('{')))
        return readGeoJson(trimmed);
    if (trimmed.startsWith(QLatin1Char('<')))
        return readKml(trimmed);
    const QString upper = normalised(trimmed);
    if (upper.startsWith(QLatin1String("GEO:")))
        return readGeoUri(upper);
    if (upper.startsWith(QLatin1String("POINT")) || upper.startsWith(QLatin1String("SRID")))
        return readWkt(upper);
    static const QRegularExpression otherWkt(
        QStringLiteral(R"(^(?:MULTIPOINT|LINESTRING|POLYGON|MULTILINESTRING|MULTIPOLYGON|GEOMETRYCOLLECTION)\b)"));
    if (otherWkt.match(upper).hasMatch())
        return refused(QStringLiteral("Only a WKT POINT names one place"));
    PastedPlace place;
    if (readGrid(upper, place))
        return place;
    place = readLatitudeLongitude(upper);
    return place.form == PlaceTextForm::None
               ? place
               : placeAt(place.form, place.latitude, place.longitude, noValue, place.note);
}

} // namespace velmora::plugin::compass_widget
