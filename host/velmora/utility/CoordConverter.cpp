#include "velmora/utility/CoordConverter.h"

#include <limits>

// Placeholder until the GeographicLib-based implementation lands.
namespace velmora::utility {

namespace {
const double nan = std::numeric_limits<double>::quiet_NaN();
}

void CoordConverter::convertGccToGdc(double, double, double, double& latitude, double& longitude, double& elevation)
{
    latitude = longitude = elevation = nan;
}

void CoordConverter::convertGdcToUtm(double, double, unsigned int& zone, char& band, double& easting, double& northing)
{
    zone = 0;
    band = '\0';
    easting = northing = nan;
}

void CoordConverter::convertUtmToGdc(unsigned int, char, double, double, double& latitude, double& longitude)
{
    latitude = longitude = nan;
}

std::string CoordConverter::convertUtmToMgrs(double, double, unsigned int, char, unsigned int)
{
    return {};
}

bool CoordConverter::convertMgrsToUtm(unsigned int, char, const std::string&, unsigned int&, double&, double&,
                                      std::string& error)
{
    error = "not implemented";
    return false;
}

} // namespace velmora::utility
