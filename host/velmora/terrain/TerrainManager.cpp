#include "velmora/terrain/TerrainManager.h"

#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/LocalCartesian.hpp>

#include <cmath>
#include <limits>
#include <vector>

namespace velmora::terrain {

struct TerrainManager::Frame
{
    GeographicLib::LocalCartesian enu{0.0, 0.0, 0.0, GeographicLib::Geocentric::WGS84()};
};

osg::ref_ptr<TerrainManager> TerrainManager::instance()
{
    static osg::ref_ptr<TerrainManager> manager = new TerrainManager;
    return manager;
}

TerrainManager::TerrainManager() : frame(std::make_unique<Frame>()) {}

TerrainManager::~TerrainManager() = default;

void TerrainManager::setOrigin(double latitude, double longitude, double height)
{
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || !std::isfinite(height) || std::fabs(latitude) > 90.0)
        return;
    frame->enu.Reset(latitude, longitude, height);
}

double TerrainManager::getOriginLatitude() const
{
    return frame->enu.LatitudeOrigin();
}

double TerrainManager::getOriginLongitude() const
{
    return frame->enu.LongitudeOrigin();
}

double TerrainManager::getOriginHeight() const
{
    return frame->enu.HeightOrigin();
}

void TerrainManager::convertGdcToTerrainLocal(const gmtl::Vec<double, 3>& gdc, gmtl::Vec<double, 3>& local) const
{
    frame->enu.Forward(gdc[0], gdc[1], gdc[2], local[0], local[1], local[2]);
}

void TerrainManager::convertTerrainLocalToGcc(const gmtl::Vec<double, 3>& local, gmtl::Vec<double, 3>& gcc) const
{
    double latitude, longitude, height;
    frame->enu.Reverse(local[0], local[1], local[2], latitude, longitude, height);
    GeographicLib::Geocentric::WGS84().Forward(latitude, longitude, height, gcc[0], gcc[1], gcc[2]);
}

void TerrainManager::convertGccToTerrainLocal(const gmtl::Vec<double, 3>& gcc, gmtl::Vec<double, 3>& local) const
{
    double latitude, longitude, height;
    GeographicLib::Geocentric::WGS84().Reverse(gcc[0], gcc[1], gcc[2], latitude, longitude, height);
    frame->enu.Forward(latitude, longitude, height, local[0], local[1], local[2]);
}

void TerrainManager::convertTerrainLocalToGdc(const gmtl::Vec<double, 3>& local, gmtl::Vec<double, 3>& gdc) const
{
    frame->enu.Reverse(local[0], local[1], local[2], gdc[1], gdc[0], gdc[2]);
}

void TerrainManager::convertTerrainLocalDirectionToEnu(const gmtl::Vec<double, 3>& local,
                                                       const gmtl::Vec<double, 3>& direction,
                                                       gmtl::Vec<double, 3>& enu) const
{
    for (unsigned i = 0; i < 3; ++i) {
        if (!std::isfinite(local[i]) || !std::isfinite(direction[i])) {
            const double nan = std::numeric_limits<double>::quiet_NaN();
            enu.set(nan, nan, nan);
            return;
        }
    }
    // GeographicLib's rotation takes east, north, up at the point into the terrain frame (row-major);
    // its transpose takes the terrain frame's components back.
    std::vector<double> rotation(9);
    double latitude, longitude, height;
    frame->enu.Reverse(local[0], local[1], local[2], latitude, longitude, height, rotation);
    for (unsigned i = 0; i < 3; ++i)
        enu[i] = rotation[i] * direction[0] + rotation[3 + i] * direction[1] + rotation[6 + i] * direction[2];
}

} // namespace velmora::terrain
