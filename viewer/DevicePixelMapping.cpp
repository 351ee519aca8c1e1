#include "DevicePixelMapping.h"

#include <QtMath>

#include <algorithm>

namespace velmora::viewer {

DevicePixelMapping::DevicePixelMapping(double ratio, QSize logicalSize)
    : pixelRatio(ratio > 0.0 ? ratio : 1.0), logical(logicalSize)
{
}

QSize DevicePixelMapping::physicalSize() const
{
    return QSize(std::max(1, qRound(logical.width() * pixelRatio)), std::max(1, qRound(logical.height() * pixelRatio)));
}

QPointF DevicePixelMapping::toGlWindow(const QPointF& logicalPos) const
{
    const QPointF physical = logicalPos * pixelRatio;
    const double column = std::floor(physical.x());
    const double row = std::floor(physical.y());
    return QPointF(column + 0.5, physicalSize().height() - row - 0.5);
}

} // namespace velmora::viewer
