#include "ViewerSession.h"

#include "SceneView.h"
#include "ViewerApplication.h"
#include "ViewerWindow.h"
#include "terrain/Terrain.h"

#include <velmora/qtapplication/QtApplication.h>
#include <velmora/qtapplication/QtApplicationController.h>

#include <QCoreApplication>
#include <QImage>

#include <cstdio>
#include <optional>

namespace velmora::viewer {

ViewerSession::ViewerSession(ViewerOptions options) : options(std::move(options)) {}

ViewerSession::~ViewerSession()
{
    shutDown();
    qtApp.reset();
    mainWindow.reset();
    app.reset();
    plugins.unloadLibraries();
}

bool ViewerSession::start(QString& error)
{
    std::optional<Terrain> terrain;
    if (options.demPath.isEmpty()) {
        terrain = makeBuiltInTerrain();
    } else {
        terrain = loadDemTerrain(options.demPath, error);
        if (!terrain) {
            error = QStringLiteral("Cannot load %1: %2").arg(options.demPath, error);
            return false;
        }
    }
    const QString description = terrain->description;

    const QSize viewSize = options.viewSize;
    app = std::make_unique<ViewerApplication>(viewSize.width(), viewSize.height());
    app->setTerrain(terrain->node.get(), terrain->bounds);

    mainWindow = std::make_unique<ViewerWindow>(*app, plugins, description);
    mainWindow->resize(viewSize);
    mainWindow->show();
    // The view must have its final size before plugins ask for the window's size.
    mainWindow->fitViewTo(viewSize);

    qtApp = std::make_unique<qtapplication::QtApplication>(mainWindow.get(), mainWindow->sceneView());
    qtapplication::QtApplicationController::instance()->setQtApplication(qtApp.get());

    plugins.loadFrom(options.pluginDir.isEmpty() ? PluginManager::defaultPluginDir() : options.pluginDir);
    plugins.initializeAll();
    mainWindow->addPluginPanels();
    // Plugins may have made the status bar taller.
    mainWindow->fitViewTo(viewSize);

    connect(mainWindow->sceneView(), &SceneView::frameFinished, this, &ViewerSession::frameFinished);
    mainWindow->sceneView()->startFrames();
    return true;
}

void ViewerSession::shutDown()
{
    if (mainWindow)
        mainWindow->sceneView()->stopFrames();
    plugins.deleteObjects();
    if (qtapplication::QtApplicationController::instance()->getQtApplication() == qtApp.get())
        qtapplication::QtApplicationController::instance()->setQtApplication(nullptr);
}

void ViewerSession::frameFinished(int count)
{
    if (done)
        return;
    if (!options.screenshotPath.isEmpty() && count >= screenshotFrame) {
        done = true;
        const QImage image = mainWindow->screenshot();
        if (image.isNull() || !image.save(options.screenshotPath, "PNG")) {
            std::fprintf(stderr, "velmora_viewer: cannot save the screenshot to %s\n",
                         qPrintable(options.screenshotPath));
            failure = 1;
        }
        emit finished();
    } else if (options.screenshotPath.isEmpty() && options.frames > 0 && count >= options.frames) {
        done = true;
        emit finished();
    }
}

} // namespace velmora::viewer
