#pragma once

#include "velmora/Export.h"

namespace velmora::widget::plugin {

class WidgetPlugin;

// Walks a tree of GUI plugins (a plugin and its child plugins).
class VELMORA_EXPORT WidgetPluginVisitor
{
public:
    virtual ~WidgetPluginVisitor();
    virtual void visit(WidgetPlugin& plugin) = 0;
};

} // namespace velmora::widget::plugin
