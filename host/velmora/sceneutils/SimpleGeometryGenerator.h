#pragma once

#include "velmora/Export.h"

#include <osg/Geometry>
#include <osg/MatrixTransform>
#include <osg/Vec3f>
#include <osg/Vec4f>

namespace velmora::sceneutils {

// A transform that draws the triangles and lines added to it, each in its
// own colour (RGBA in 0-1, alpha blended), unlit, in the node's local frame.
class VELMORA_EXPORT SimpleGeometryGenerator : public osg::MatrixTransform
{
public:
    SimpleGeometryGenerator();

    void addTriangle(const osg::Vec3f& a, const osg::Vec3f& b, const osg::Vec3f& c, const osg::Vec4f& colour);
    // Width in pixels of every line of this node, the ones added before included.
    void setLineThinkness(float width);
    void addLine(const osg::Vec3f& from, const osg::Vec3f& to, const osg::Vec4f& colour);

protected:
    ~SimpleGeometryGenerator() override;

private:
    static osg::ref_ptr<osg::Geometry> makeGeometry(GLenum mode);
    static void append(osg::Geometry& geometry, const osg::Vec3f& point, const osg::Vec4f& colour);

    osg::ref_ptr<osg::Geometry> triangles;
    osg::ref_ptr<osg::Geometry> lines;
};

} // namespace velmora::sceneutils
