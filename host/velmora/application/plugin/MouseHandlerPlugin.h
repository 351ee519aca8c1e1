#pragma once

#include "velmora/Export.h"

class QGraphicsScene;
class QMouseEvent;

namespace velmora::application::plugin {

// Receives the mouse events over the host's 3D view. Positions are in the
// view's widget coordinates (origin top left, logical pixels).
class VELMORA_EXPORT MouseHandlerPlugin
{
public:
    virtual ~MouseHandlerPlugin();
    virtual void handleMouseMove(QMouseEvent* event, QGraphicsScene* scene) = 0;
    // A mouse button was pressed; the application's terrain point under the
    // mouse already refers to this press.
    virtual void handleMouseClick(QMouseEvent* event, QGraphicsScene* scene) = 0;
    // The cursor entered or left the 3D view.
    virtual void handleMouseEnter() = 0;
    virtual void handleMouseLeave() = 0;
};

} // namespace velmora::application::plugin
