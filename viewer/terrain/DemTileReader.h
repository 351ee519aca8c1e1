#pragma once

#include "DemRaster.h"
#include "ElevationColorRamp.h"
#include "TerrainMesh.h"

#include <QString>

#include <GeographicLib/LocalCartesian.hpp>

#include <osg/Node>
#include <osg/StateSet>
#include <osg/ref_ptr>
#include <osgDB/Callbacks>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace velmora::viewer {

class DemDataset;

// A DEM drawn as a level-of-detail tile pyramid: the thinned samples read at
// load time make the coarsest tiles, and each tile nearer the eye than a few
// times its size is replaced by four tiles of its quarters at half its pixel
// stride, down to every pixel of the raster. Finer tiles are osg::PagedLOD
// children that OSG's DatabasePager loads on its worker threads through this
// read callback and drops again when out of view, so memory stays bounded
// whatever the raster's size. Every vertex sits at its pixel centre's true
// geodetic position and height.
//
// A tile never leaves a hole: where every pixel of a finer tile is nodata,
// its heights are the coarsest level's (whose nodata was filled from around
// the hole); nodata on a tile's edges is filled from what the tiles sharing
// the edge all see, so they meet; where the file can no longer be read, the tile is the coarsest
// level's surface through the tile's pixels and is not refined further, so
// the pager does not ask for it again and again.
class DemTileReader : public osgDB::ReadFileCallback
{
public:
    // Cells along a tile's side.
    static constexpr int tileCells = 64;
    // A tile is replaced by its quarters once the eye is nearer than this many times its radius.
    static constexpr float refineDistancePerRadius = 3.0f;

    // The pyramid's root for the DEM at path, whose samples (thinned, with
    // nodata filled) were read by readDemSamples; heights are coloured over
    // lowest..highest (metres), positions in the east-north-up frame.
    static osg::ref_ptr<osg::Node> buildPyramid(const QString& path, const DemSamples& samples,
                                                const GeographicLib::LocalCartesian& frame, double lowest,
                                                double highest);

    // Reads the tile group a PagedLOD names; an error result for a name
    // that is no tile or a DEM that can no longer be read.
    osgDB::ReaderWriter::ReadResult readNode(const std::string& name, const osgDB::Options* options) override;

    // A pixel window, corners included, sampled every stride pixels plus its last column and row.
    struct Window
    {
        int left = 0, top = 0, right = 0, bottom = 0, stride = 1;
    };

protected:
    ~DemTileReader() override;

private:
    DemTileReader(const QString& path, const DemSamples& samples, const GeographicLib::LocalCartesian& frame,
                  double lowest, double highest);

    // Samples read beyond a tile's window on each side (0 or 1), for its edge normals only.
    struct Border
    {
        int left = 0, top = 0, right = 0, bottom = 0;
    };

    // A tile's mesh from columns x rows samples (border included, nodata
    // already filled), placed by a transform to its centre so floats keep
    // millimetres far from the origin.
    osg::ref_ptr<osg::Node> tileMesh(const std::vector<double>& latitudes, const std::vector<double>& longitudes,
                                     const std::vector<double>& elevations, int columns, int rows,
                                     const Border& border, Skirts skirts) const;
    // The tile for window read from the file, or std::nullopt when the file cannot be read.
    std::optional<osg::ref_ptr<osg::Node>> readTile(const Window& window);
    // The tile for window on the coarsest level's surface, for a file that can no longer be read.
    osg::ref_ptr<osg::Node> coarseTile(const Window& window) const;
    // values (one of coarse's grids) bilinear between the coarse samples around a pixel; values that
    // wrap around every period (longitudes: 360) are taken the short way round.
    double coarseAt(const std::vector<double>& values, int column, int row, double period = 0.0) const;
    // mesh alone at full resolution; else a PagedLOD over mesh whose finer
    // child, loaded through options, is window's quarters.
    static osg::ref_ptr<osg::Node> pagedTile(const Window& window, osg::Node* mesh, const osgDB::Options* options);
    std::unique_ptr<DemDataset> takeDataset();
    void giveBack(std::unique_ptr<DemDataset> dataset);

    QString path;
    DemSamples coarse;
    GeographicLib::LocalCartesian frame;
    ElevationColorRamp ramp;
    osg::ref_ptr<osg::StateSet> state;
    std::mutex pool;
    std::vector<std::unique_ptr<DemDataset>> idle;
};

} // namespace velmora::viewer
