#include "GridTerrain.h"

#include <osg/Geometry>
#include <osg/KdTree>

#include <cmath>

namespace velmora::testing {

osg::ref_ptr<osg::Geode> makeGridTerrain(int side, float spacing, bool withKdTree)
{
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    const float half = 0.5f * spacing * (side - 1);
    for (int row = 0; row < side; ++row)
        for (int column = 0; column < side; ++column) {
            const float x = column * spacing - half;
            const float y = row * spacing - half;
            vertices->push_back(osg::Vec3(x, y, 200.0f * std::sin(x / 700.0f) * std::cos(y / 900.0f)));
        }
    osg::ref_ptr<osg::DrawElementsUInt> triangles = new osg::DrawElementsUInt(GL_TRIANGLES);
    for (int row = 0; row + 1 < side; ++row)
        for (int column = 0; column + 1 < side; ++column) {
            const unsigned int i = row * side + column;
            for (unsigned int corner : {i, i + 1, i + side + 1, i, i + side + 1, i + side})
                triangles->push_back(corner);
        }
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(vertices);
    geometry->addPrimitiveSet(triangles);
    osg::ref_ptr<osg::Geode> terrain = new osg::Geode;
    terrain->addDrawable(geometry);
    if (withKdTree) {
        osg::ref_ptr<osg::KdTreeBuilder> builder = new osg::KdTreeBuilder;
        terrain->accept(*builder);
    }
    return terrain;
}

} // namespace velmora::testing
