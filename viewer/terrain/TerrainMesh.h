#pragma once

#include <osg/Vec3>
#include <osg/ref_ptr>

#include <vector>

namespace osg {
class Geode;
}

namespace velmora::viewer {

class ElevationColorRamp;

// A regular grid of terrain vertices, row by row, ready to become a mesh.
struct TerrainGrid
{
    int columns = 0; // vertices per row, >= 2 for a mesh
    int rows = 0;    // number of rows, >= 2 for a mesh
    // columns * rows vertices in the terrain-local frame (metres), row-major.
    std::vector<osg::Vec3> positions;
    // The elevation of each vertex in metres, used for its colour.
    std::vector<double> elevations;
};

// Builds the renderable terrain: one indexed-triangle geometry with
// per-vertex normals and elevation colours, lit through a material that
// follows the vertex colours, stored in VBOs, and with a KdTree so that
// line-segment picking stays fast on a million vertices.
//
// Triangles are wound counter-clockwise seen from above whichever way the
// grid's rows run (north-up rasters run southwards). A skirtDepth above 0
// (metres) hangs a curtain that deep below the grid's edges, so the gap to
// a neighbouring tile drawn at another level of detail shows no sky.
// Returns nullptr for a grid smaller than 2 x 2 or whose arrays do not
// match its size.
osg::ref_ptr<osg::Geode> buildTerrainMesh(const TerrainGrid& grid, const ElevationColorRamp& ramp,
                                          float skirtDepth = 0.0f);

} // namespace velmora::viewer
