#pragma once

#include <QGLWidget>

namespace velmora::viewer {

// The OpenGL surface under the 3D view: a compatibility-profile context
// (Debian's OSG draws with the fixed-function pipeline) whose buffers the
// view swaps itself, so a capture can read the finished frame before the swap.
class GlViewport : public QGLWidget
{
    Q_OBJECT

public:
    explicit GlViewport(QWidget* parent = nullptr);
};

} // namespace velmora::viewer
