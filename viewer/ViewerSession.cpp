#include "ViewerSession.h"

#include "DemLoadError.h"
#include "SceneView.h"
#include "ViewerApplication.h"
#include "ViewerWindow.h"
#include "terrain/DemRaster.h"
#include "terrain/Terrain.h"

#include <velmora/qtapplication/QtApplication.h>
#include <velmora/qtapplication/QtApplicationController.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QMessageBox>
#include <QProgressDialog>
#include <QThread>

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
            error = demLoadErrorText(options.demPath, error);
            return false;
        }
    }
    const QString description = terrain->description;

    QSize viewSize = options.viewSize.isValid() ? options.viewSize : defaultViewSize;
    app = std::make_unique<ViewerApplication>(viewSize.width(), viewSize.height());
    app->setTerrain(terrain->node.get(), terrain->bounds);

    mainWindow = std::make_unique<ViewerWindow>(*app, plugins, description);
    mainWindow->resize(viewSize);
    mainWindow->show();
    // Unless the user asked for a size, the whole window fits the screen: the view gives way.
    if (!options.viewSize.isValid())
        viewSize = mainWindow->viewSizeOnScreen(viewSize);
    // The view must have its final size before plugins ask for the window's size.
    mainWindow->fitViewTo(viewSize);

    qtApp = std::make_unique<qtapplication::QtApplication>(mainWindow.get(), mainWindow->sceneView());
    qtapplication::QtApplicationController::instance()->setQtApplication(qtApp.get());

    plugins.loadFrom(options.pluginDir.isEmpty() ? PluginManager::defaultPluginDir() : options.pluginDir);
    mainWindow->addPluginPanels();
    // Plugins may have made the status bar taller, and the plugin list narrower.
    if (!options.viewSize.isValid())
        viewSize = mainWindow->viewSizeOnScreen(defaultViewSize);
    mainWindow->fitViewTo(viewSize);
    // With the panels in place the start view frames the terrain beside them; plugins start from there.
    app->warpToStart();
    plugins.initializeAll();

    connect(mainWindow->sceneView(), &SceneView::frameFinished, this, &ViewerSession::frameFinished);
    connect(mainWindow.get(), &ViewerWindow::elevationModelChosen, this, &ViewerSession::openChosenElevationModel);
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
        // The format follows the file name's suffix, which the options checked.
        if (image.isNull() || !image.save(options.screenshotPath)) {
            std::fprintf(stderr, "velmora_viewer: cannot save the screenshot to %s\n",
                         qPrintable(options.screenshotPath));
            failure = 1;
        }
        emit finished();
    } else if (options.screenshotPath.isEmpty() && options.frames > 0 && count >= options.frames) {
        done = true;
        emit finished();
    } else if (!options.screenshotPath.isEmpty() || options.frames > 0) {
        // Counted frames are drawn one after another, not on demand.
        mainWindow->sceneView()->requestFrame();
    }
}

bool ViewerSession::openElevationModel(const QString& path, QString& error)
{
    QProgressDialog progress(QStringLiteral("Loading %1...").arg(path), QString(), 0, 0, mainWindow.get());
    progress.setWindowTitle(QStringLiteral("Open elevation model"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.show();

    // Reading and projecting a large raster takes a while; the window stays responsive meanwhile.
    std::optional<DemSamples> samples;
    QString readError;
    QEventLoop waiting;
    std::unique_ptr<QThread> reader(
        QThread::create([&] { samples = readDemSamples(path, maxDemVerticesPerSide, readError); }));
    connect(reader.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    reader->start();
    waiting.exec(QEventLoop::ExcludeUserInputEvents);
    reader->wait();

    if (!samples) {
        error = demLoadErrorText(path, readError);
        return false;
    }
    const Terrain terrain = makeDemTerrain(path, *samples);
    app->setTerrain(terrain.node.get(), terrain.bounds);
    mainWindow->setTerrainDescription(terrain.description);
    mainWindow->sceneView()->requestFrame();
    return true;
}

void ViewerSession::openChosenElevationModel(const QString& path)
{
    QString error;
    if (!openElevationModel(path, error))
        QMessageBox::warning(mainWindow.get(), QStringLiteral("Open elevation model"), error);
}

} // namespace velmora::viewer
