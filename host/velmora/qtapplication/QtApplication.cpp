#include "velmora/qtapplication/QtApplication.h"

namespace velmora::qtapplication {

QtApplication::QtApplication(QMainWindow* mainWindow, QGraphicsView* view3d)
    : mainWindow(mainWindow), view3d(view3d)
{
}

QMainWindow* QtApplication::getMainWindow() const
{
    return mainWindow;
}

QGraphicsView* QtApplication::getGraphicsView() const
{
    return view3d;
}

void QtApplication::setGraphicsView(QGraphicsView* view)
{
    view3d = view;
}

} // namespace velmora::qtapplication
