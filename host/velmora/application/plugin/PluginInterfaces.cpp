#include "velmora/application/plugin/FrameUpdatePlugin.h"
#include "velmora/application/plugin/MouseHandlerPlugin.h"

namespace velmora::application::plugin {

// Out of line so that each interface has one home for its type information.
MouseHandlerPlugin::~MouseHandlerPlugin() = default;
FrameUpdatePlugin::~FrameUpdatePlugin() = default;

} // namespace velmora::application::plugin
