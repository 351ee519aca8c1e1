#include "StatusText.h"

#include "Heading.h"
#include "NumberText.h"

#include <velmora/terrain/TerrainManager.h>
#include <velmora/utility/CoordConverter.h>

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

QString fixedTriple(double a, double b, double c, int intDigits, int decimals)
{
    return fixedText(a, intDigits, decimals) + QLatin1String(", ") + fixedText(b, intDigits, decimals) +
           QLatin1String(", ") + fixedText(c, intDigits, decimals);
}

// gdc is longitude, latitude, elevation, as the terrain manager gives it; latitude comes first in the text.
QString geodeticText(const gmtl::Vec3d& gdc, bool dms)
{
    const QString latitude = dms ? dmsText(gdc[1]) : fixedText(gdc[1], 4, gdcDecimals);
    const QString longitude = dms ? dmsText(gdc[0]) : fixedText(gdc[0], 4, gdcDecimals);
    return latitude + QLatin1String(", ") + longitude + QLatin1String(", ") + fixedText(gdc[2], 5, elevationDecimals);
}

QString gridText(const gmtl::Vec3d& gdc, bool mgrs)
{
    // The panel's remembered zone and band are neither used nor changed here.
    unsigned int zone = 0;
    char band = '\0';
    double easting = 0.0;
    double northing = 0.0;
    utility::CoordConverter::convertGdcToUtm(gdc[1], gdc[0], zone, band, easting, northing);
    // Without a position there is no band letter, and NaN has no integer part.
    if (band == '\0' || !std::isfinite(easting) || !std::isfinite(northing))
        return QLatin1String(noValueText);
    if (mgrs)
        return QString::fromStdString(utility::CoordConverter::convertUtmToMgrs(easting, northing, zone, band,
                                                                                mgrsPrecision));
    // Truncated, not rounded: the printed metre is the one the point lies in.
    return integerText(static_cast<int>(zone), 2) + QLatin1Char(band) + QLatin1Char(' ') +
           integerText(static_cast<int>(easting), 5) + QLatin1Char(' ') + integerText(static_cast<int>(northing), 5);
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
    return QStringLiteral("%1").arg(roundedHeading(degrees, headingDecimals), 6, 'f', headingDecimals, QLatin1Char(' '));
}

QString orientationText(double degrees)
{
    if (!std::isfinite(degrees))
        return QLatin1String(noValueText);
    // Rounded as the status bar's heading is, so the two always agree.
    return QString::number(roundedHeading(degrees, headingDecimals), 'g', 8);
}

QString locationText(CoordinateSystem system, const osg::Vec3d& point)
{
    const gmtl::Vec3d local(point.x(), point.y(), point.z());
    gmtl::Vec3d converted;
    const osg::ref_ptr<terrain::TerrainManager> terrain = terrain::TerrainManager::instance();
    switch (system) {
    case CoordinateSystem::GdcDegrees:
    case CoordinateSystem::GdcDms:
        terrain->convertTerrainLocalToGdc(local, converted);
        return geodeticText(converted, system == CoordinateSystem::GdcDms);
    case CoordinateSystem::Utm:
    case CoordinateSystem::Mgrs:
        terrain->convertTerrainLocalToGdc(local, converted);
        return gridText(converted, system == CoordinateSystem::Mgrs);
    case CoordinateSystem::Gcc:
        terrain->convertTerrainLocalToGcc(local, converted);
        return fixedTriple(converted[0], converted[1], converted[2], 7, gccDecimals);
    case CoordinateSystem::TerrainLocal: return fixedTriple(point.x(), point.y(), point.z(), 6, localDecimals);
    }
    return QString();
}

QString statusText(CoordinateSystem system, const osg::Vec3d& eye, const std::optional<osg::Vec3d>& cursor,
                   double headingDegrees)
{
    QString text = QLatin1String("Camera: (") + locationText(system, eye) + QLatin1Char(')');
    if (cursor)
        text += QLatin1String(", Cursor: (") + locationText(system, *cursor) + QLatin1Char(')');
    return text + QLatin1String(", Heading (deg): ") + headingText(headingDegrees);
}

} // namespace velmora::plugin::compass_widget
