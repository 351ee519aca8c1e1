#pragma once

#include "velmora/Export.h"

class QGraphicsView;
class QPoint;
class QWidget;

namespace velmora::qtapplication {

// Whether pos, in view's widget coordinates, lies over one of the GUI dialogs
// floating over view (window items of its graphics scene, title bar and
// frame included): over any of them when dialogContent is null, else over the
// dialog that shows dialogContent. Hidden dialogs do not count; a null view,
// or one without a scene, has none.
VELMORA_EXPORT bool isOverGuiDialog(const QGraphicsView* view, const QPoint& pos,
                                    const QWidget* dialogContent = nullptr);

} // namespace velmora::qtapplication
