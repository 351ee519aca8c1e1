#pragma once

#include <osg/Vec3>
#include <osg/ref_ptr>

#include <vector>

namespace osg {
class Geode;
class StateSet;
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
    // One per vertex when given, e.g. from a grid a sample larger than this
    // one, so that tiles side by side shade alike at their shared edge;
    // empty: worked out from positions.
    std::vector<osg::Vec3> normals;
};

// The grid's vertex normals pointing up: central differences inside,
// one-sided at its edges.
std::vector<osg::Vec3> computeTerrainNormals(const TerrainGrid& grid);

// Builds the renderable terrain: one indexed-triangle geometry with
// per-vertex normals and elevation colours, lit through a material that
// follows the vertex colours, stored in VBOs, and with a KdTree so that
// line-segment picking stays fast on a million vertices.
//
// Curtains hung below some edges of a tile, so the gap to a neighbouring
// tile drawn at another level of detail shows no sky. None on an edge of the
// whole terrain, and a curtain that meets one tapers to nothing there: below
// that edge a curtain would be ground that is not there.
struct Skirts
{
    float depth = 0.0f; // metres; 0: none
    bool firstRow = false;
    bool lastRow = false;
    bool firstColumn = false;
    bool lastColumn = false;
};

// The render state of terrain meshes: lit, coloured by vertex, both sides drawn.
osg::ref_ptr<osg::StateSet> makeTerrainState();

// Triangles are wound counter-clockwise seen from above whichever way the
// grid's rows run (north-up rasters run southwards). state: shared by the
// tiles of one terrain, so drawing them changes no state between tiles;
// null gives the mesh a makeTerrainState() of its own. Returns nullptr for a
// grid smaller than 2 x 2 or whose arrays do not match its size.
osg::ref_ptr<osg::Geode> buildTerrainMesh(const TerrainGrid& grid, const ElevationColorRamp& ramp,
                                          const Skirts& skirts = {}, osg::StateSet* state = nullptr);

} // namespace velmora::viewer
