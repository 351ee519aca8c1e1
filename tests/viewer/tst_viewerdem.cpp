#include "ViewerApplication.h"
#include "ViewerSession.h"
#include "ViewerWindow.h"
#include "terrain/TestRaster.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using velmora::viewer::ViewerOptions;
using velmora::viewer::ViewerSession;

// The viewer on a user's elevation model: given on the command line, then
// another one opened from the File menu's loader.
class TestViewerDem : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        GDALAllRegister();
        QVERIFY(velmora::testing::writeGeoTiff(folder.filePath("slope.tif"), velmora::testing::Raster()));
        QVERIFY(velmora::testing::writeGeoTiff(folder.filePath("other.tif"), velmora::testing::Raster(32610)));
        ViewerOptions options;
        options.demPath = folder.filePath("slope.tif");
        options.pluginDir = folder.filePath("no-plugins");
        options.viewSize = QSize(320, 200);
        session = std::make_unique<ViewerSession>(options);
        QString error;
        QVERIFY2(session->start(error), qPrintable(error));
        QVERIFY(session->window()->windowTitle().contains("slope.tif"));
    }

    void cleanupTestCase() { session.reset(); }

    void opensElevationModels_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("shown"); // the file named in the title afterwards
        // A refusal says why and leaves the terrain shown before.
        QTest::newRow("no raster") << QString() << "slope.tif";
        QTest::newRow("another DEM") << "other.tif" << "other.tif";
    }

    void opensElevationModels()
    {
        QFETCH(QString, file);
        QFETCH(QString, shown);
        const QString path = file.isEmpty() ? QCoreApplication::applicationFilePath() : folder.filePath(file);
        const osg::Node* before = session->application()->getTerrain();
        QString error;
        QCOMPARE(session->openElevationModel(path, error), shown == file);
        QVERIFY(session->window()->windowTitle().contains(shown));
        QCOMPARE(session->application()->getTerrain() != before, shown == file);
        QCOMPARE(error.contains(path), shown != file);
        // The camera goes to the start view, of the new terrain when one was opened.
        const osg::Vec3d eye = osg::Vec3d() * session->application()->getViewer()->getCamera()->getInverseViewMatrix();
        QVERIFY((eye - session->application()->getStartPosition()).length() < 1e-3);
    }

private:
    QTemporaryDir folder;
    std::unique_ptr<ViewerSession> session;
};

QTEST_MAIN(TestViewerDem)
#include "tst_viewerdem.moc"
