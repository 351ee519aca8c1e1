#include "TerrainMesh.h"

#include "ElevationColorRamp.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/KdTree>
#include <osg/Material>
#include <osg/PrimitiveSet>
#include <osg/StateSet>

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

namespace velmora::viewer {

namespace {

// Sign of the grid's handedness seen from above: +1 when (next column) x
// (next row) points up, -1 when rows run the other way.
float gridOrientation(const TerrainGrid& grid)
{
    const osg::Vec3& origin = grid.positions[0];
    const osg::Vec3 alongRow = grid.positions[1] - origin;
    const osg::Vec3 alongColumn = grid.positions[static_cast<std::size_t>(grid.columns)] - origin;
    return (alongRow ^ alongColumn).z() >= 0.0f ? 1.0f : -1.0f;
}

osg::ref_ptr<osg::Vec3Array> computeNormals(const TerrainGrid& grid, float orientation)
{
    const auto at = [&grid](int c, int r) -> const osg::Vec3& {
        return grid.positions[static_cast<std::size_t>(r) * static_cast<std::size_t>(grid.columns) +
                              static_cast<std::size_t>(c)];
    };
    osg::ref_ptr<osg::Vec3Array> normals = new osg::Vec3Array;
    normals->reserve(grid.positions.size());
    for (int r = 0; r < grid.rows; ++r) {
        for (int c = 0; c < grid.columns; ++c) {
            // Central differences, one-sided at the edges.
            const osg::Vec3 dc = at(std::min(c + 1, grid.columns - 1), r) - at(std::max(c - 1, 0), r);
            const osg::Vec3 dr = at(c, std::min(r + 1, grid.rows - 1)) - at(c, std::max(r - 1, 0));
            osg::Vec3 n = (dc ^ dr) * orientation;
            if (n.normalize() == 0.0f) {
                n.set(0.0f, 0.0f, 1.0f);
            }
            normals->push_back(n);
        }
    }
    return normals;
}

osg::ref_ptr<osg::DrawElementsUInt> buildTriangles(const TerrainGrid& grid, float orientation)
{
    osg::ref_ptr<osg::DrawElementsUInt> triangles = new osg::DrawElementsUInt(GL_TRIANGLES);
    triangles->reserve(static_cast<std::size_t>(grid.columns - 1) * static_cast<std::size_t>(grid.rows - 1) * 6);
    const auto columns = static_cast<unsigned>(grid.columns);
    for (unsigned r = 0; r + 1 < static_cast<unsigned>(grid.rows); ++r) {
        for (unsigned c = 0; c + 1 < columns; ++c) {
            const unsigned a = r * columns + c;
            const unsigned b = a + 1;
            const unsigned d = a + columns;
            const unsigned e = d + 1;
            const std::array<unsigned, 6> quad =
                orientation > 0.0f ? std::array<unsigned, 6>{a, b, e, a, e, d} : std::array<unsigned, 6>{a, e, b, a, d, e};
            triangles->insert(triangles->end(), quad.begin(), quad.end());
        }
    }
    return triangles;
}

// Hangs a curtain of depth metres below the vertices along one edge, in
// order. An open end lies on the terrain's own outer edge, which no curtain
// follows and under which one looks from outside: towards it the curtain
// rises over taperCells cells to nothing, as the gap it hides does (both
// tiles share the vertex on the outer edge), so little of it shows there.
void appendSkirt(const std::vector<unsigned>& edge, float depth, bool openStart, bool openEnd,
                 osg::Vec3Array& vertices, osg::Vec3Array& normals, osg::Vec4Array& colors,
                 osg::DrawElementsUInt& triangles)
{
    constexpr float taperCells = 8.0f;
    const auto first = static_cast<unsigned>(vertices.size());
    const auto last = edge.size() - 1;
    for (std::size_t k = 0; k < edge.size(); ++k) {
        const unsigned index = edge[k];
        const float cells = std::min(openStart ? float(k) : taperCells, openEnd ? float(last - k) : taperCells);
        vertices.push_back(vertices[index] - osg::Vec3(0.0f, 0.0f, depth * std::min(cells / taperCells, 1.0f)));
        normals.push_back(normals[index]);
        colors.push_back(colors[index]);
    }
    for (unsigned k = 0; k + 1 < edge.size(); ++k) {
        const std::array<unsigned, 6> curtain{edge[k], edge[k + 1], first + k + 1, edge[k], first + k + 1, first + k};
        triangles.insert(triangles.end(), curtain.begin(), curtain.end());
    }
}

void appendSkirts(const TerrainGrid& grid, const Skirts& skirts, osg::Vec3Array& vertices, osg::Vec3Array& normals,
                  osg::Vec4Array& colors, osg::DrawElementsUInt& triangles)
{
    const auto columns = static_cast<unsigned>(grid.columns);
    const auto rows = static_cast<unsigned>(grid.rows);
    const auto edge = [](unsigned start, unsigned step, unsigned count) {
        std::vector<unsigned> indices(count);
        for (unsigned k = 0; k < count; ++k)
            indices[k] = start + k * step;
        return indices;
    };
    if (skirts.depth <= 0.0f)
        return;
    if (skirts.firstRow)
        appendSkirt(edge(0, 1, columns), skirts.depth, !skirts.firstColumn, !skirts.lastColumn, vertices, normals,
                    colors, triangles);
    if (skirts.lastRow)
        appendSkirt(edge((rows - 1) * columns, 1, columns), skirts.depth, !skirts.firstColumn, !skirts.lastColumn,
                    vertices, normals, colors, triangles);
    if (skirts.firstColumn)
        appendSkirt(edge(0, columns, rows), skirts.depth, !skirts.firstRow, !skirts.lastRow, vertices, normals, colors,
                    triangles);
    if (skirts.lastColumn)
        appendSkirt(edge(columns - 1, columns, rows), skirts.depth, !skirts.firstRow, !skirts.lastRow, vertices,
                    normals, colors, triangles);
}

} // namespace

std::vector<osg::Vec3> computeTerrainNormals(const TerrainGrid& grid)
{
    const std::size_t count = static_cast<std::size_t>(std::max(grid.columns, 0)) *
                              static_cast<std::size_t>(std::max(grid.rows, 0));
    if (grid.columns < 2 || grid.rows < 2 || grid.positions.size() != count)
        return {};
    const osg::ref_ptr<osg::Vec3Array> normals = computeNormals(grid, gridOrientation(grid));
    return std::vector<osg::Vec3>(normals->begin(), normals->end());
}

osg::ref_ptr<osg::StateSet> makeTerrainState()
{
    // Lit, with the vertex colours driving ambient and diffuse so the
    // hypsometric tints survive the viewer's light.
    osg::ref_ptr<osg::StateSet> state = new osg::StateSet;
    osg::ref_ptr<osg::Material> material = new osg::Material;
    material->setColorMode(osg::Material::AMBIENT_AND_DIFFUSE);
    material->setSpecular(osg::Material::FRONT_AND_BACK, osg::Vec4(0.0f, 0.0f, 0.0f, 1.0f));
    state->setAttributeAndModes(material, osg::StateAttribute::ON);
    state->setMode(GL_LIGHTING, osg::StateAttribute::ON);
    state->setMode(GL_CULL_FACE, osg::StateAttribute::OFF);
    return state;
}

osg::ref_ptr<osg::Geode> buildTerrainMesh(const TerrainGrid& grid, const ElevationColorRamp& ramp, const Skirts& skirts,
                                          osg::StateSet* state)
{
    const std::size_t count = static_cast<std::size_t>(std::max(grid.columns, 0)) *
                              static_cast<std::size_t>(std::max(grid.rows, 0));
    if (grid.columns < 2 || grid.rows < 2 || grid.positions.size() != count || grid.elevations.size() != count) {
        return nullptr;
    }
    const float orientation = gridOrientation(grid);

    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array(grid.positions.begin(), grid.positions.end());
    osg::ref_ptr<osg::Vec4Array> colors = new osg::Vec4Array;
    colors->reserve(count);
    for (double elevation : grid.elevations) {
        colors->push_back(ramp.colorAt(elevation));
    }

    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setName("terrain");
    geometry->setUseDisplayList(false);
    geometry->setUseVertexBufferObjects(true);
    osg::ref_ptr<osg::Vec3Array> normals = grid.normals.size() == count
                                               ? osg::ref_ptr<osg::Vec3Array>(
                                                     new osg::Vec3Array(grid.normals.begin(), grid.normals.end()))
                                               : computeNormals(grid, orientation);
    osg::ref_ptr<osg::DrawElementsUInt> triangles = buildTriangles(grid, orientation);
    appendSkirts(grid, skirts, *vertices, *normals, *colors, *triangles);
    geometry->setVertexArray(vertices);
    geometry->setNormalArray(normals, osg::Array::BIND_PER_VERTEX);
    geometry->setColorArray(colors, osg::Array::BIND_PER_VERTEX);
    geometry->addPrimitiveSet(triangles);

    geometry->setStateSet(state ? state : makeTerrainState().get());

    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->setName("terrain");
    geode->addDrawable(geometry);

    osg::ref_ptr<osg::KdTreeBuilder> kdTreeBuilder = new osg::KdTreeBuilder;
    geode->accept(*kdTreeBuilder);
    return geode;
}

} // namespace velmora::viewer
