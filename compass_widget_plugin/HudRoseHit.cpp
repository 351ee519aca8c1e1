#include "HudRoseHit.h"

#include "HudCompass.h"

#include <QPointF>

#include <cmath>

namespace velmora::plugin::compass_widget {

bool isOnHudRose(const QPointF& viewPos, double viewHeight, double size)
{
    const double radius = size * hudBaseSize;
    // The rose's origin is the view's lower left, the view's the upper left.
    return radius > 0.0 && std::hypot(viewPos.x() - radius, viewPos.y() - (viewHeight - radius)) <= radius;
}

} // namespace velmora::plugin::compass_widget
