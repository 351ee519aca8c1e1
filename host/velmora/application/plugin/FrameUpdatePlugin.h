#pragma once

#include "velmora/Export.h"

namespace velmora::application::plugin {

// Called by the host once per rendered frame, on the GUI thread.
class VELMORA_EXPORT FrameUpdatePlugin
{
public:
    virtual ~FrameUpdatePlugin();
    // After the camera has moved for this frame, before the scene is drawn.
    virtual void frameUpdate() = 0;
    // After the frame has been drawn.
    virtual void frameRendered() = 0;
};

} // namespace velmora::application::plugin
