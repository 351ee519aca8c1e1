#include "velmora/sceneutils/ShaderGenerator.h"

namespace velmora::sceneutils {

ShaderGenerator* ShaderGenerator::instance()
{
    static ShaderGenerator generator;
    return &generator;
}

void ShaderGenerator::process(osg::Node*, bool, bool, bool, bool)
{
    ++processed;
}

int ShaderGenerator::processedCount() const
{
    return processed;
}

} // namespace velmora::sceneutils
