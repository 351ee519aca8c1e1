#include "EarthEllipsoid.h"

#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/LocalCartesian.hpp>

#include <osg/CullFace>
#include <osg/Depth>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Material>

#include <cmath>
#include <initializer_list>
#include <vector>

namespace velmora::viewer {

namespace {
const osg::Vec4 earthColour(0.56f, 0.58f, 0.52f, 1.0f); // a grey green that no elevation tint uses
constexpr int azimuths = 96;
constexpr int rings = 80;
constexpr double innermostRing = 200.0;     // metres from the origin
constexpr double outermostRing = 19.9e6;    // metres: just short of the antipode, where rings collapse
// Metres between a vertex and the one above it, along the ellipsoid's normal, to find that normal.
constexpr double normalProbe = 1000.0;

double ringDistance(int ring)
{
    return innermostRing * std::pow(outermostRing / innermostRing, double(ring) / (rings - 1));
}

osg::ref_ptr<osg::DrawElementsUInt> ringTriangles()
{
    osg::ref_ptr<osg::DrawElementsUInt> triangles = new osg::DrawElementsUInt(GL_TRIANGLES);
    // Vertex 0 is the origin; ring r, azimuth a is 1 + r * azimuths + a. Azimuths
    // turn clockwise seen from above, so (centre, next, this) is counter-clockwise.
    const auto at = [](int ring, int azimuth) { return 1u + unsigned(ring * azimuths + azimuth % azimuths); };
    const auto add = [&triangles](std::initializer_list<unsigned> indices) {
        triangles->insert(triangles->end(), indices.begin(), indices.end());
    };
    for (int a = 0; a < azimuths; ++a)
        add({0u, at(0, a + 1), at(0, a)});
    for (int r = 0; r + 1 < rings; ++r)
        for (int a = 0; a < azimuths; ++a)
            add({at(r, a), at(r, a + 1), at(r + 1, a + 1), at(r, a), at(r + 1, a + 1), at(r + 1, a)});
    return triangles;
}
} // namespace

osg::ref_ptr<osg::Node> buildEarthEllipsoid(double originLatitude, double originLongitude, double originHeight)
{
    const GeographicLib::LocalCartesian frame(originLatitude, originLongitude, originHeight,
                                              GeographicLib::Geocentric::WGS84());
    const GeographicLib::Geodesic& geodesic = GeographicLib::Geodesic::WGS84();
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec3Array> normals = new osg::Vec3Array;
    const auto addVertex = [&](double latitude, double longitude) {
        double x = 0.0, y = 0.0, z = 0.0, ux = 0.0, uy = 0.0, uz = 0.0;
        frame.Forward(latitude, longitude, 0.0, x, y, z);
        frame.Forward(latitude, longitude, normalProbe, ux, uy, uz);
        vertices->push_back(osg::Vec3(float(x), float(y), float(z)));
        normals->push_back(osg::Vec3(float(ux - x), float(uy - y), float(uz - z)) / float(normalProbe));
    };
    addVertex(originLatitude, originLongitude);
    for (int r = 0; r < rings; ++r) {
        for (int a = 0; a < azimuths; ++a) {
            double latitude = 0.0, longitude = 0.0;
            geodesic.Direct(originLatitude, originLongitude, 360.0 * a / azimuths, ringDistance(r), latitude,
                            longitude);
            addVertex(latitude, longitude);
        }
    }

    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setName("earth");
    geometry->setUseDisplayList(false);
    geometry->setUseVertexBufferObjects(true);
    geometry->setVertexArray(vertices);
    geometry->setNormalArray(normals, osg::Array::BIND_PER_VERTEX);
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array(1, &earthColour);
    geometry->setColorArray(colours, osg::Array::BIND_OVERALL);
    geometry->addPrimitiveSet(ringTriangles());

    osg::StateSet* state = geometry->getOrCreateStateSet();
    // First, as a backdrop: it passes every depth test and writes no depth, so everything after it covers it.
    state->setRenderBinDetails(-1, "RenderBin");
    state->setAttributeAndModes(new osg::Depth(osg::Depth::ALWAYS, 0.0, 1.0, false), osg::StateAttribute::ON);
    // Seen from outside only the near side faces the eye; the far side would draw over it.
    state->setAttributeAndModes(new osg::CullFace(osg::CullFace::BACK), osg::StateAttribute::ON);
    // Lit by the same sun as the terrain, so the ground beyond its edge reads as ground.
    osg::ref_ptr<osg::Material> material = new osg::Material;
    material->setColorMode(osg::Material::AMBIENT_AND_DIFFUSE);
    material->setSpecular(osg::Material::FRONT_AND_BACK, osg::Vec4(0.0f, 0.0f, 0.0f, 1.0f));
    state->setAttributeAndModes(material, osg::StateAttribute::ON);
    state->setMode(GL_LIGHTING, osg::StateAttribute::ON);

    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->setName("earth");
    geode->addDrawable(geometry);
    return geode;
}

} // namespace velmora::viewer
