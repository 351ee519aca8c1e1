#include "ViewerApplication.h"
#include "ViewerSession.h"
#include "ViewerWindow.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <memory>

using velmora::viewer::ViewerOptions;
using velmora::viewer::ViewerSession;

namespace {
// A 64 x 64 geographic raster whose north-west corner is at (latitude, longitude),
// heights rising 5 m per column eastwards from 1000 m.
bool writeDem(const QString& path, double latitude, double longitude)
{
    constexpr int side = 64;
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    GDALDataset* dataset = driver ? driver->Create(path.toUtf8().constData(), side, side, 1, GDT_Float32, nullptr)
                                  : nullptr;
    if (!dataset)
        return false;
    double transform[6] = {longitude, 0.0005, 0.0, latitude, 0.0, -0.0005};
    dataset->SetGeoTransform(transform);
    OGRSpatialReference wgs84;
    wgs84.importFromEPSG(4326);
    dataset->SetSpatialRef(&wgs84);
    std::vector<float> heights(side * side);
    for (std::size_t k = 0; k < heights.size(); ++k)
        heights[k] = float(1000.0 + 5.0 * double(k % side));
    const CPLErr written = dataset->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, side, side, heights.data(), side, side,
                                                               GDT_Float32, 0, 0);
    GDALClose(dataset);
    return written == CE_None;
}
} // namespace

// The viewer on a user's elevation model: given on the command line, then
// another one opened from the File menu's loader.
class TestViewerDem : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QVERIFY(writeDem(folder.filePath("slope.tif"), 46.90, -121.80));
        QVERIFY(writeDem(folder.filePath("other.tif"), 47.50, -121.00));
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
        QTest::newRow("missing file") << "missing.tif" << "slope.tif";
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
        QCOMPARE(session->window()->windowTitle().contains(shown), true);
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
