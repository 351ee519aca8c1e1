#include "TestHost.h"

#include <velmora/qtapplication/QtApplication.h>
#include <velmora/qtapplication/QtApplicationController.h>
#include <velmora/terrain/TerrainManager.h>

#include <QGraphicsProxyWidget>
#include <QStatusBar>

namespace velmora::testing {

void TestApplication::warpToPosition(const osg::Vec3d& position)
{
    warpCalls.push_back({WarpCall::Kind::ToPosition, position});
    Application::warpToPosition(position);
}

void TestApplication::warpToStart()
{
    warpCalls.push_back({WarpCall::Kind::ToStart, {}});
    Application::warpToStart();
}

TestHost::TestHost()
    : view3d(new QGraphicsView(&graphicsScene)), app(std::make_unique<TestApplication>(windowWidth, windowHeight)),
      qtApp(std::make_unique<qtapplication::QtApplication>(&window, view3d))
{
    window.setCentralWidget(view3d);
    window.statusBar();
    view3d->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    graphicsScene.setSceneRect(0, 0, windowWidth, windowHeight);
    window.resize(windowWidth, windowHeight + 80);
    qtapplication::QtApplicationController::instance()->setQtApplication(qtApp.get());
    // Mount Rainier, Washington: zone 10T, northern hemisphere, west of Greenwich.
    terrain::TerrainManager::instance()->setOrigin(46.8529, -121.7604, 1500.0);
    setStartPosition(osg::Vec3d(0.0, 0.0, 2000.0));
}

TestHost::~TestHost()
{
    qtapplication::QtApplicationController::instance()->setQtApplication(nullptr);
}

void TestHost::setStartPosition(const osg::Vec3d& eye)
{
    app->setStartView(eye, eye + osg::Vec3d(0.0, 1.0, 0.0), osg::Vec3d(0.0, 0.0, 1.0));
}

void TestHost::setTerrainPointUnderMouse(const osg::Vec3d& point)
{
    app->setTerrainPointUnderMouse(point);
}

QGraphicsProxyWidget* TestHost::showAsDialog(QWidget* panel, int x, int y)
{
    QGraphicsProxyWidget* proxy = graphicsScene.addWidget(panel, Qt::Window);
    proxy->setPos(view3d->mapToScene(QPoint(x, y)));
    panel->show();
    return proxy;
}

} // namespace velmora::testing
