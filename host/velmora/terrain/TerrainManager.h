#pragma once

#include "velmora/Export.h"

#include <gmtl/Vec.h>
#include <osg/Referenced>
#include <osg/ref_ptr>

#include <memory>

namespace velmora::terrain {

// The terrain's georeference: a local east-north-up Cartesian frame (x east,
// y north, z up, metres) on the WGS84 ellipsoid, tangent at an origin given
// as latitude, longitude (degrees) and height (metres). This frame is the
// world frame of the host's 3D scene.
//
// The conversions never throw. Input outside their domain (|latitude| > 90,
// NaN or infinite values) gives NaN in all three outputs; every geocentric
// point, the earth's centre included, has a local position.
class VELMORA_EXPORT TerrainManager : public osg::Referenced
{
public:
    // The process-wide manager, created on first use with its origin at
    // latitude 0, longitude 0, height 0.
    static osg::ref_ptr<TerrainManager> instance();

    // Degrees and metres above the ellipsoid. An origin that names no place
    // (not finite, or a latitude beyond +-90) leaves the frame as it was:
    // every conversion would otherwise give NaN from then on.
    void setOrigin(double latitude, double longitude, double height);
    double getOriginLatitude() const;
    double getOriginLongitude() const;
    double getOriginHeight() const;

    // in: (latitude, longitude, elevation); out: terrain-local (x, y, z).
    void convertGdcToTerrainLocal(const gmtl::Vec<double, 3>& gdc, gmtl::Vec<double, 3>& local) const;
    // in: terrain-local (x, y, z); out: geocentric (x, y, z).
    void convertTerrainLocalToGcc(const gmtl::Vec<double, 3>& local, gmtl::Vec<double, 3>& gcc) const;
    // in: geocentric (x, y, z); out: terrain-local (x, y, z).
    void convertGccToTerrainLocal(const gmtl::Vec<double, 3>& gcc, gmtl::Vec<double, 3>& local) const;
    // in: terrain-local (x, y, z); out: (longitude, latitude, elevation) --
    // note the order, longitude first.
    void convertTerrainLocalToGdc(const gmtl::Vec<double, 3>& local, gmtl::Vec<double, 3>& gdc) const;

    // in: a terrain-local point and a direction at it (any length) in the
    // terrain frame; out: the direction's east, north and up components at
    // that point, whose meridian and ellipsoid normal give north and up
    // there. At the origin the components are the terrain frame's own;
    // elsewhere the frame is turned as the earth curves (about 2 degrees
    // 240 km east or west of the origin at mid latitudes). NaN in all three
    // for input that is not finite.
    void convertTerrainLocalDirectionToEnu(const gmtl::Vec<double, 3>& local, const gmtl::Vec<double, 3>& direction,
                                           gmtl::Vec<double, 3>& enu) const;

protected:
    TerrainManager();
    ~TerrainManager() override;

private:
    struct Frame;
    std::unique_ptr<Frame> frame;
};

} // namespace velmora::terrain
