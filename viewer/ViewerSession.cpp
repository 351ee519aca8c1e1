#include "ViewerSession.h"

#include "DemLoadError.h"
#include "SceneView.h"
#include "ViewerApplication.h"
#include "ViewerWindow.h"
#include "terrain/Terrain.h"

#include <velmora/qtapplication/QtApplication.h>
#include <velmora/qtapplication/QtApplicationController.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QMessageBox>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <optional>

namespace velmora::viewer {

namespace {
constexpr int progressSteps = 1000;   // the progress bar's resolution
constexpr int progressInterval = 50;  // milliseconds between updates of the bar
} // namespace

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
    app->setTerrain(*terrain);

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
    QProgressDialog progress(QStringLiteral("Loading %1...").arg(path), QStringLiteral("Cancel"), 0, progressSteps,
                             mainWindow.get());
    progress.setWindowTitle(QStringLiteral("Open elevation model"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    progress.setValue(0);

    // Reading, projecting and meshing a large raster takes a while: it runs on
    // a thread of its own while this one keeps the window drawn and the Cancel
    // button answering.
    std::atomic<int> stepsRead{0};
    std::atomic<bool> cancelled{false};
    std::optional<Terrain> terrain;
    QString loadError;
    std::unique_ptr<QThread> loader(QThread::create([&] {
        terrain = buildDemTerrain(path, loadError, [&](double fraction) {
            stepsRead = int(fraction * progressSteps);
            return !cancelled;
        });
    }));
    QEventLoop waiting;
    QTimer showProgress;
    connect(&showProgress, &QTimer::timeout, &progress, [&] { progress.setValue(stepsRead); });
    connect(&progress, &QProgressDialog::canceled, &waiting, [&] { cancelled = true; });
    connect(loader.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    showProgress.start(progressInterval);
    loader->start();
    waiting.exec();
    loader->wait();

    if (!terrain) {
        error = cancelled ? QString() : demLoadErrorText(path, loadError);
        return false;
    }
    useOrigin(*terrain);
    app->setTerrain(*terrain);
    mainWindow->setTerrainDescription(terrain->description);
    mainWindow->sceneView()->requestFrame();
    return true;
}

void ViewerSession::openChosenElevationModel(const QString& path)
{
    QString error;
    // A cancelled load needs no message: the user asked for it.
    if (!openElevationModel(path, error) && !error.isEmpty())
        QMessageBox::warning(mainWindow.get(), QStringLiteral("Open elevation model"), error);
}

} // namespace velmora::viewer
