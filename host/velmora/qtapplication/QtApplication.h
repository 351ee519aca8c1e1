#pragma once

#include "velmora/Export.h"

class QGraphicsView;
class QMainWindow;

namespace velmora::qtapplication {

// The host's Qt side: its main window and the graphics view that shows the
// 3D scene with the GUI dialogs floating over it. Neither is owned.
class VELMORA_EXPORT QtApplication
{
public:
    explicit QtApplication(QMainWindow* mainWindow, QGraphicsView* view3d = nullptr);

    QMainWindow* getMainWindow() const;
    // Null while the host shows no 3D view.
    QGraphicsView* getGraphicsView() const;
    void setGraphicsView(QGraphicsView* view3d);

private:
    QMainWindow* mainWindow;
    QGraphicsView* view3d;
};

} // namespace velmora::qtapplication
