#pragma once

#include "velmora/Export.h"

namespace osg {
class Node;
}

namespace velmora::sceneutils {

// Prepares subgraphs for the host's rendering pipeline.
class VELMORA_EXPORT ShaderGenerator
{
public:
    static ShaderGenerator* instance();

    // Prepares the subgraph below node. The flags ask for generated lighting,
    // texturing and fog shaders, and for replacing shaders the subgraph
    // already has. This host draws with OpenGL's fixed-function pipeline in a
    // compatibility context, where the subgraph's own state already does all
    // of that, so process leaves the subgraph unchanged whatever the flags.
    // A null node is fine. Counts its calls for hosts that want to check.
    void process(osg::Node* node, bool lighting, bool texturing, bool fog, bool replaceExisting);
    int processedCount() const;

private:
    int processed = 0;

    ShaderGenerator() = default;
};

} // namespace velmora::sceneutils
