#pragma once

#include <QPointF>
#include <QSize>

namespace velmora::viewer {

// Maps between Qt's logical pixels (origin top left) and the physical pixels
// OpenGL draws into. OSG's viewport, projection and mouse positions are all
// physical; Qt widgets, the graphics scene and plugin mouse events are logical.
// OSG's mouse events and picks take GL window coordinates (y up).
class DevicePixelMapping
{
public:
    // ratio: physical pixels per logical pixel (QWidget::devicePixelRatioF);
    // values <= 0 are taken as 1. logicalSize: the 3D view in logical pixels.
    DevicePixelMapping(double ratio, QSize logicalSize);

    double ratio() const { return pixelRatio; }
    // The framebuffer size, rounded to whole pixels, at least 1 x 1.
    QSize physicalSize() const;
    // A logical position as OpenGL window coordinates: physical pixels, origin
    // bottom left, at the centre of the pixel under the position.
    QPointF toGlWindow(const QPointF& logical) const;

private:
    double pixelRatio;
    QSize logical;
};

} // namespace velmora::viewer
