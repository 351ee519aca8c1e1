#pragma once

class QPointF;

namespace velmora::plugin::compass_widget {

// Whether viewPos (view widget coordinates, logical pixels, origin top left)
// lies on the heads-up compass rose drawn at size pixels per model unit in a
// view viewHeight logical pixels high: within its ring, which touches the
// view's left and bottom edges (see hudPlacement). A size of 0 or less has no
// rose to hit.
bool isOnHudRose(const QPointF& viewPos, double viewHeight, double size);

} // namespace velmora::plugin::compass_widget
