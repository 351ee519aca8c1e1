#include "ViewerApplication.h"
#include "ViewerSession.h"
#include "ViewerWindow.h"

#include <velmora/terrain/TerrainManager.h>

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <osgUtil/LineSegmentIntersector>

#include <cmath>
#include <memory>

using velmora::viewer::ViewerOptions;
using velmora::viewer::ViewerSession;

namespace {
// A 64 x 64 geographic raster north-west of Mount Rainier whose heights rise
// 5 m per column eastwards and 3 m per row southwards from 1000 m.
constexpr int side = 64;
constexpr double west = -121.80;   // degrees
constexpr double north = 46.90;    // degrees
constexpr double step = 0.0005;    // degrees per pixel
constexpr double angleTolerance = 1e-9; // degrees
constexpr double heightTolerance = 0.5; // metres: the mesh passes through pixel centres

double heightAt(int column, int row)
{
    return 1000.0 + 5.0 * column + 3.0 * row;
}
double latitudeOf(int row)
{
    return north - (row + 0.5) * step;
}
double longitudeOf(int column)
{
    return west + (column + 0.5) * step;
}

bool writeDem(const QString& path)
{
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (!driver)
        return false;
    GDALDataset* dataset = driver->Create(path.toUtf8().constData(), side, side, 1, GDT_Float32, nullptr);
    if (!dataset)
        return false;
    double transform[6] = {west, step, 0.0, north, 0.0, -step};
    dataset->SetGeoTransform(transform);
    OGRSpatialReference wgs84;
    wgs84.importFromEPSG(4326);
    dataset->SetSpatialRef(&wgs84);
    std::vector<float> heights(side * side);
    for (int row = 0; row < side; ++row)
        for (int column = 0; column < side; ++column)
            heights[row * side + column] = float(heightAt(column, row));
    const CPLErr written = dataset->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, side, side, heights.data(), side, side,
                                                               GDT_Float32, 0, 0);
    GDALClose(dataset);
    return written == CE_None;
}
} // namespace

class TestViewerDem : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QVERIFY(folder.isValid());
        const QString dem = folder.filePath(QStringLiteral("slope.tif"));
        QVERIFY(writeDem(dem));
        ViewerOptions options;
        options.demPath = dem;
        options.pluginDir = folder.filePath(QStringLiteral("no-plugins"));
        options.viewSize = QSize(320, 200);
        session = std::make_unique<ViewerSession>(options);
        QString error;
        QVERIFY2(session->start(error), qPrintable(error));
    }

    void cleanupTestCase() { session.reset(); }

    void demIsTheTerrainWithOriginAtTheCentrePixel()
    {
        QVERIFY(session->window()->windowTitle().contains(QStringLiteral("slope.tif")));
        const auto manager = velmora::terrain::TerrainManager::instance();
        QVERIFY(std::abs(manager->getOriginLatitude() - latitudeOf(side / 2)) < angleTolerance);
        QVERIFY(std::abs(manager->getOriginLongitude() - longitudeOf(side / 2)) < angleTolerance);
        QVERIFY(std::abs(manager->getOriginHeight() - heightAt(side / 2, side / 2)) < heightTolerance);
    }

    void knownPointHasItsHeight_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::newRow("north-west part") << 10 << 20;
        QTest::newRow("south-east part") << 50 << 45;
    }

    void knownPointHasItsHeight()
    {
        QFETCH(int, column);
        QFETCH(int, row);
        const auto manager = velmora::terrain::TerrainManager::instance();
        gmtl::Vec<double, 3> local;
        manager->convertGdcToTerrainLocal(gmtl::Vec<double, 3>(latitudeOf(row), longitudeOf(column), heightAt(column, row)),
                                          local);
        osg::ref_ptr<osgUtil::LineSegmentIntersector> probe = new osgUtil::LineSegmentIntersector(
            osg::Vec3d(local[0], local[1], 1e5), osg::Vec3d(local[0], local[1], -1e5));
        osgUtil::IntersectionVisitor visitor(probe.get());
        session->application()->getTerrain()->accept(visitor);
        QVERIFY(probe->containsIntersections());
        const double z = probe->getFirstIntersection().getWorldIntersectPoint().z();
        QVERIFY2(std::abs(z - local[2]) < heightTolerance,
                 qPrintable(QStringLiteral("mesh z %1, expected %2").arg(z).arg(local[2])));
    }

private:
    QTemporaryDir folder;
    std::unique_ptr<ViewerSession> session;
};

QTEST_MAIN(TestViewerDem)
#include "tst_viewerdem.moc"
