#pragma once

#include <QOpenGLWidget>

namespace velmora::viewer {

// The OpenGL surface under the 3D view: a compatibility-profile context
// (Debian's OSG draws with the fixed-function pipeline) drawing into the
// widget's framebuffer object, which a capture reads before Qt composes it
// into the window.
class GlViewport : public QOpenGLWidget
{
    Q_OBJECT

public:
    explicit GlViewport(QWidget* parent = nullptr);
};

} // namespace velmora::viewer
