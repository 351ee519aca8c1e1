#include "GlViewport.h"

namespace velmora::viewer {

namespace {
QGLFormat compatibilityFormat()
{
    QGLFormat format;
    format.setProfile(QGLFormat::CompatibilityProfile);
    format.setDoubleBuffer(true);
    format.setDepth(true);
    format.setDepthBufferSize(24);
    format.setStencil(true);
    return format;
}
} // namespace

GlViewport::GlViewport(QWidget* parent) : QGLWidget(compatibilityFormat(), parent)
{
    setAutoBufferSwap(false);
}

} // namespace velmora::viewer
