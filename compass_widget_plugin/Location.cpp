#include "Location.h"

#include "GridInput.h"

#include <velmora/terrain/TerrainManager.h>
#include <velmora/utility/CoordConverter.h>

#include <cmath>

namespace velmora::plugin::compass_widget {

namespace {

using terrain::TerrainManager;
using utility::CoordConverter;

// MGRS at 1 m: five digits each for easting and northing.
constexpr unsigned int mgrsPrecision = 5;
// Metres from the earth's centre, 26 times the Moon's distance: farther out no
// position is a place on the earth. The bound also keeps every form's numbers
// so far below the largest double that converting the digits shown never
// overflows, which near that limit their rounding alone can do.
constexpr double farthestFromEarthCentre = 1e10;

void addUtmAndMgrs(Location& location)
{
    UtmLocation& utm = location.utm;
    CoordConverter::convertGdcToUtm(location.gdc[0], location.gdc[1], utm.zone, utm.band, utm.easting, utm.northing);
    location.mgrs = CoordConverter::convertUtmToMgrs(utm.easting, utm.northing, utm.zone, utm.band, mgrsPrecision);
}

bool allFinite(const gmtl::Vec<double, 3>& v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

} // namespace

Location locationFromGdc(const gmtl::Vec<double, 3>& gdc)
{
    Location location;
    location.gdc = gdc;
    // The same meridian in the range the deg:min:sec form can show; a
    // typed 1e10 would otherwise overflow its whole degrees.
    location.gdc[1] = std::remainder(gdc[1], 360.0);
    TerrainManager::instance()->convertGdcToTerrainLocal(location.gdc, location.local);
    TerrainManager::instance()->convertTerrainLocalToGcc(location.local, location.gcc);
    addUtmAndMgrs(location);
    return location;
}

Location locationFromGcc(const gmtl::Vec<double, 3>& gcc)
{
    Location location;
    location.gcc = gcc;
    CoordConverter::convertGccToGdc(gcc[0], gcc[1], gcc[2], location.gdc[0], location.gdc[1], location.gdc[2]);
    TerrainManager::instance()->convertGccToTerrainLocal(gcc, location.local);
    addUtmAndMgrs(location);
    return location;
}

Location locationFromLocal(const gmtl::Vec<double, 3>& local)
{
    Location location;
    location.local = local;
    TerrainManager::instance()->convertTerrainLocalToGcc(local, location.gcc);
    const gmtl::Vec<double, 3>& gcc = location.gcc;
    CoordConverter::convertGccToGdc(gcc[0], gcc[1], gcc[2], location.gdc[0], location.gdc[1], location.gdc[2]);
    addUtmAndMgrs(location);
    return location;
}

Location locationFromUtm(const UtmLocation& utm, double elevation)
{
    Location location;
    location.utm = utm;
    location.mgrs = CoordConverter::convertUtmToMgrs(utm.easting, utm.northing, utm.zone, utm.band, mgrsPrecision);
    CoordConverter::convertUtmToGdc(utm.zone, utm.band, utm.easting, utm.northing, location.gdc[0], location.gdc[1]);
    location.gdc[2] = elevation;
    if (const char band = mgrsBandLetter(location.mgrs); band != '\0')
        location.utm.band = band;
    TerrainManager::instance()->convertGdcToTerrainLocal(location.gdc, location.local);
    TerrainManager::instance()->convertTerrainLocalToGcc(location.local, location.gcc);
    return location;
}

QString locationProblem(const Location& location)
{
    const double latitude = location.gdc[0];
    if (std::isfinite(latitude) && std::fabs(latitude) > 90.0)
        return QStringLiteral("Latitude must be from -90 to 90 degrees");
    const UtmLocation& utm = location.utm;
    if (!allFinite(location.gdc) || !allFinite(location.gcc) || !allFinite(location.local) || utm.band == '\0' ||
        !std::isfinite(utm.easting) || !std::isfinite(utm.northing) ||
        std::hypot(location.gcc[0], location.gcc[1], location.gcc[2]) > farthestFromEarthCentre)
        return QStringLiteral("No place on the earth has these coordinates");
    if (location.mgrs.empty())
        return QStringLiteral("This place lies outside the MGRS grid");
    return {};
}

} // namespace velmora::plugin::compass_widget
