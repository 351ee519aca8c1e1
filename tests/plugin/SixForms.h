#pragma once

#include "GridInput.h"
#include "LoadedCompassPlugin.h"
#include "NumberText.h"

#include <velmora/terrain/TerrainManager.h>
#include <velmora/utility/CoordConverter.h>

#include <osg/Vec3d>

#include <algorithm>
#include <cmath>
#include <string>

namespace velmora::testing {

// Whether the compass panel's texts (LoadedCompassPlugin::texts()) name one
// place in all six forms: an empty text when they do, otherwise what
// disagrees. Each form becomes a geocentric point through the host's
// converters and is compared with the GDC form within what the forms show
// (8 significant digits of the largest coordinate; the grid forms, on the
// ellipsoid, within 3 m). The MGRS reference must read with the UTM form's
// zone and band and name the same zone and band.
inline QString sixFormsDisagreement(const Texts& shown)
{
    using utility::CoordConverter;
    auto number = [&](const QString& field) { return plugin::compass_widget::textToDouble(shown.value(field)); };
    auto gccOf = [](double latitude, double longitude, double elevation) {
        gmtl::Vec<double, 3> local;
        gmtl::Vec<double, 3> gcc;
        terrain::TerrainManager::instance()->convertGdcToTerrainLocal({latitude, longitude, elevation}, local);
        terrain::TerrainManager::instance()->convertTerrainLocalToGcc(local, gcc);
        return osg::Vec3d(gcc[0], gcc[1], gcc[2]);
    };
    auto gridPlace = [&](unsigned int zone, char band, double easting, double northing) {
        double latitude = 0.0;
        double longitude = 0.0;
        CoordConverter::convertUtmToGdc(zone, band, easting, northing, latitude, longitude);
        return gccOf(latitude, longitude, 0.0);
    };
    // The sign is the degrees field's, "-0" included.
    auto dmsAngle = [&](const QString& prefix) {
        const double magnitude = std::fabs(number(prefix + "DegText")) + number(prefix + "MinText") / 60.0 +
                                 number(prefix + "SecText") / 3600.0;
        return shown.value(prefix + "DegText").trimmed().startsWith('-') ? -magnitude : magnitude;
    };

    const double latitude = number("gdcLatitudeTextBox");
    const double longitude = number("gdcLongitudeTextBox");
    double fromGcc[3];
    CoordConverter::convertGccToGdc(number("gccXTextBox"), number("gccYTextBox"), number("gccZTextBox"), fromGcc[0],
                                    fromGcc[1], fromGcc[2]);
    const gmtl::Vec<double, 3> local{number("localXTextBox"), number("localYTextBox"), number("localZTextBox")};
    gmtl::Vec<double, 3> localGcc;
    terrain::TerrainManager::instance()->convertTerrainLocalToGcc(local, localGcc);

    const unsigned int zone = plugin::compass_widget::textToUnsigned(shown.value("utmZoneTextBox"));
    const QString bandText = shown.value("utmBandTextBox").toUpper();
    const char band = bandText.isEmpty() ? '\0' : bandText.at(0).toLatin1();
    const std::string mgrs = shown.value("mgrsTextBox").toStdString();
    unsigned int mgrsZone = 0;
    double easting = 0.0;
    double northing = 0.0;
    std::string error;
    if (!CoordConverter::convertMgrsToUtm(zone, band, mgrs, mgrsZone, easting, northing, error))
        return QString("MGRS '%1' does not read: %2").arg(mgrs.c_str(), error.c_str());
    const char mgrsBand = plugin::compass_widget::mgrsBandLetter(mgrs);
    if (mgrsZone != zone || (mgrsBand != '\0' && mgrsBand != band))
        return QString("MGRS '%1' is not in UTM zone %2%3").arg(mgrs.c_str()).arg(zone).arg(bandText);

    const osg::Vec3d gdc = gccOf(latitude, longitude, number("gdcElevationTextBox"));
    const osg::Vec3d ground = gccOf(latitude, longitude, 0.0);
    const struct
    {
        const char* name;
        osg::Vec3d expected, actual;
        bool grid;
    } forms[] = {
        {"deg:min:sec", gdc, gccOf(dmsAngle("lat"), dmsAngle("lon"), number("elevDmsText")), false},
        {"geocentric", gdc, gccOf(fromGcc[0], fromGcc[1], fromGcc[2]), false},
        {"terrain-local", gdc, {localGcc[0], localGcc[1], localGcc[2]}, false},
        {"UTM", ground, gridPlace(zone, band, number("utmEastingTextBox"), number("utmNorthingTextBox")), true},
        {"MGRS", ground, gridPlace(mgrsZone, band, easting, northing), true},
    };
    const double scale = std::max({std::fabs(gdc.x()), std::fabs(gdc.y()), std::fabs(gdc.z()), std::fabs(local[0]),
                                   std::fabs(local[1]), std::fabs(local[2])});
    for (const auto& form : forms) {
        const osg::Vec3d d = form.actual - form.expected;
        const double tolerance = form.grid ? 3.0 : 3.0 + 3e-7 * scale;
        if (!(std::fabs(d.x()) <= tolerance && std::fabs(d.y()) <= tolerance && std::fabs(d.z()) <= tolerance))
            return QString("the %1 form is %2 %3 %4 m from the GDC form").arg(form.name).arg(d.x()).arg(d.y()).arg(
                d.z());
    }
    return {};
}

} // namespace velmora::testing
