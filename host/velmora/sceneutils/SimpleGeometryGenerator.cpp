#include "velmora/sceneutils/SimpleGeometryGenerator.h"

#include <osg/BlendFunc>
#include <osg/Geode>
#include <osg/LineWidth>

namespace velmora::sceneutils {

SimpleGeometryGenerator::SimpleGeometryGenerator()
    : triangles(makeGeometry(GL_TRIANGLES)), lines(makeGeometry(GL_LINES))
{
    auto geode = new osg::Geode;
    geode->addDrawable(triangles);
    geode->addDrawable(lines);
    addChild(geode);

    osg::StateSet* state = getOrCreateStateSet();
    // The colours are meant as given, not shaded by the scene's lights.
    state->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    // Colours carry alpha; blend so translucent lines show the scene behind.
    state->setAttributeAndModes(new osg::BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA));
    // The triangles may be seen from either side once the node is turned.
    state->setMode(GL_CULL_FACE, osg::StateAttribute::OFF);
}

SimpleGeometryGenerator::~SimpleGeometryGenerator() = default;

void SimpleGeometryGenerator::addTriangle(const osg::Vec3f& a, const osg::Vec3f& b, const osg::Vec3f& c,
                                          const osg::Vec4f& colour)
{
    for (const osg::Vec3f* corner : {&a, &b, &c})
        append(*triangles, *corner, colour);
}

void SimpleGeometryGenerator::setLineThinkness(float width)
{
    lines->getOrCreateStateSet()->setAttributeAndModes(new osg::LineWidth(width));
}

void SimpleGeometryGenerator::addLine(const osg::Vec3f& from, const osg::Vec3f& to, const osg::Vec4f& colour)
{
    append(*lines, from, colour);
    append(*lines, to, colour);
}

osg::ref_ptr<osg::Geometry> SimpleGeometryGenerator::makeGeometry(GLenum mode)
{
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(new osg::Vec3Array);
    geometry->setColorArray(new osg::Vec4Array, osg::Array::BIND_PER_VERTEX);
    geometry->addPrimitiveSet(new osg::DrawArrays(mode, 0, 0));
    // Primitives are added after the first draw; display lists would keep the old ones.
    geometry->setUseDisplayList(false);
    geometry->setUseVertexBufferObjects(true);
    return geometry;
}

void SimpleGeometryGenerator::append(osg::Geometry& geometry, const osg::Vec3f& point, const osg::Vec4f& colour)
{
    auto* vertices = static_cast<osg::Vec3Array*>(geometry.getVertexArray());
    auto* colours = static_cast<osg::Vec4Array*>(geometry.getColorArray());
    vertices->push_back(point);
    colours->push_back(colour);
    vertices->dirty();
    colours->dirty();
    static_cast<osg::DrawArrays*>(geometry.getPrimitiveSet(0))->setCount(static_cast<GLsizei>(vertices->size()));
    geometry.dirtyBound();
}

} // namespace velmora::sceneutils
