#include "HudCompass.h"

#include <velmora/sceneutils/SimpleGeometryGenerator.h>

#include <osg/Geode>
#include <osg/StateSet>
#include <osgText/Text>

#include <cmath>

namespace velmora::plugin::compass_widget {

namespace {

constexpr double quarterPi = 0.7853981633974483;
constexpr double tenDegrees = 0.17453292519943295;
constexpr int ringSegments = 36;
constexpr float labelDistance = 1.5f;

osg::ref_ptr<sceneutils::SimpleGeometryGenerator> makeArrowAndRing()
{
    const auto h = static_cast<float>(0.5 * std::cos(quarterPi));
    const auto k = static_cast<float>(std::sin(quarterPi));
    const osg::Vec3f centre(0.0f, 0.0f, 0.0f);
    const osg::Vec3f tip(0.0f, 1.0f, 0.0f);
    // The wings and the notch sit a little behind the tip, which the
    // position's zero z scale flattens again.
    const osg::Vec3f leftWing(-h, -k, -0.1f);
    const osg::Vec3f rightWing(h, -k, -0.1f);
    const osg::Vec3f notch(0.0f, -0.3f, -0.1f);
    const osg::Vec4f black(0.0f, 0.0f, 0.0f, 1.0f);

    osg::ref_ptr<sceneutils::SimpleGeometryGenerator> geometry = new sceneutils::SimpleGeometryGenerator;
    // North half red, lit from the left; the tail black. All wound counterclockwise seen from +z.
    geometry->addTriangle(centre, tip, leftWing, osg::Vec4f(1.0f, 0.0f, 0.0f, 1.0f));
    geometry->addTriangle(centre, rightWing, tip, osg::Vec4f(0.8f, 0.0f, 0.0f, 1.0f));
    geometry->addTriangle(centre, leftWing, notch, black);
    geometry->addTriangle(centre, notch, rightWing, black);

    geometry->setLineThinkness(2.0f);
    const osg::Vec4f ringColour(0.8f, 0.8f, 0.8f, 0.4f);
    const auto ringPoint = [](int i) {
        const double angle = i * tenDegrees;
        return osg::Vec3f(static_cast<float>(hudBaseSize * std::cos(angle)),
                          static_cast<float>(hudBaseSize * std::sin(angle)), -0.2f);
    };
    for (int i = 0; i < ringSegments; ++i)
        geometry->addLine(ringPoint(i), ringPoint(i + 1), ringColour);
    return geometry;
}

osg::ref_ptr<osg::Geode> makeLabels()
{
    osg::ref_ptr<osg::Geode> labels = new osg::Geode;
    osg::ref_ptr<osgText::Text> label = new osgText::Text;
    label->setFont("LiberationSans-Regular.ttf");
    label->setCharacterSize(1.0f);
    label->setAlignment(osgText::TextBase::CENTER_CENTER);
    label->setPosition(osg::Vec3(0.0f, labelDistance, 0.0f));
    label->setText("N");
    label->setColor(osg::Vec4(0.0f, 0.0f, 0.0f, 1.0f));
    labels->addDrawable(label);

    // Clones share the font, size, alignment and colour; they lie in the
    // rose's plane, so they turn with it.
    const std::pair<const char*, osg::Vec3> others[] = {{"W", osg::Vec3(-labelDistance, 0.0f, 0.0f)},
                                                        {"E", osg::Vec3(labelDistance, 0.0f, 0.0f)},
                                                        {"S", osg::Vec3(0.0f, -labelDistance, 0.0f)}};
    for (const auto& [text, position] : others) {
        label = static_cast<osgText::Text*>(label->clone(osg::CopyOp::SHALLOW_COPY));
        label->setText(text);
        label->setPosition(position);
        labels->addDrawable(label);
    }
    return labels;
}

} // namespace

HudCompassNodes buildHudCompass()
{
    HudCompassNodes nodes{new osg::Projection, new osg::MatrixTransform, new osg::MatrixTransform};
    nodes.projection->setName("HUD Projection");
    nodes.projection->setNodeMask(0x00000001);

    osg::ref_ptr<osg::MatrixTransform> modelView = new osg::MatrixTransform;
    modelView->setName("HUD Model View Matrix");
    // The camera's view matrix must not reach the rose: it lives in window pixels.
    modelView->setReferenceFrame(osg::Transform::ABSOLUTE_RF);
    modelView->setMatrix(osg::Matrixd::identity());
    nodes.position->setName("Compass Position");

    nodes.projection->addChild(modelView);
    modelView->addChild(nodes.position);
    nodes.position->addChild(nodes.rotation);
    nodes.rotation->addChild(makeArrowAndRing());
    nodes.rotation->addChild(makeLabels());

    osg::StateSet* state = nodes.rotation->getOrCreateStateSet();
    // The rose lies over the scene; nothing in the scene may hide any part of it.
    state->setMode(GL_DEPTH_TEST, osg::StateAttribute::OFF);
    // Its ring is translucent, which belongs with the blended drawables...
    state->setRenderingHint(osg::StateSet::TRANSPARENT_BIN);
    // ...but drawn after them (bin 10), so the rose comes last of all.
    state->setRenderBinDetails(11, "RenderBin", osg::StateSet::USE_RENDERBIN_DETAILS);
    return nodes;
}

osg::Matrixd hudPlacement(double size)
{
    // Depth 0 lies midway between the near and far planes of the window's projection; on either plane the
    // rose would be culled or kept by rounding, which depends on where the camera is.
    osg::Matrixd placement = osg::Matrixd::translate(size * hudBaseSize, size * hudBaseSize, 0.0);
    // The zero z scale flattens the rose's depth offsets; with row vectors a point is scaled first, then moved.
    placement.preMult(osg::Matrixd::scale(size, size, 0.0));
    return placement;
}

} // namespace velmora::plugin::compass_widget
