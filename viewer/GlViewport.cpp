#include "GlViewport.h"

#include <QSurfaceFormat>

namespace velmora::viewer {

GlViewport::GlViewport(QWidget* parent) : QOpenGLWidget(parent)
{
    QSurfaceFormat format;
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(8);
    setFormat(format);
    // Kept after Qt has composed it, so a capture can still read the last frame.
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
}

} // namespace velmora::viewer
