#include "TestRaster.h"
#include "Terrain.h"

#include <velmora/terrain/TerrainManager.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <GeographicLib/UTMUPS.hpp>

#include <osg/Geode>
#include <osg/KdTree>
#include <osgUtil/IntersectionVisitor>
#include <osgUtil/LineSegmentIntersector>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

using velmora::terrain::TerrainManager;
using namespace velmora::testing;
using velmora::viewer::Terrain;

namespace {

constexpr double nodataValue = -32768.0;

// The mesh holds floats a few kilometres from the origin, good to about a millimetre.
constexpr double metreTolerance = 0.01;
// 1e-7 degrees is about a centimetre on the ground.
constexpr double degreeTolerance = 1e-7;

// WGS84 latitude and longitude of a pixel centre, worked out independently
// of the library: the geotransform by hand, UTM through GeographicLib (the
// library goes through OGR/PROJ instead).
std::pair<double, double> pixelLatLon(int epsg, int column, int row)
{
    const std::array<double, 6>& t = epsg == 4326 ? geographicTransform : utmTransform;
    const double x = t[0] + (column + 0.5) * t[1];
    const double y = t[3] + (row + 0.5) * t[5];
    if (epsg == 4326)
        return {y, x};
    double latitude = 0.0, longitude = 0.0;
    GeographicLib::UTMUPS::Reverse(10, true, x, y, latitude, longitude);
    return {latitude, longitude};
}

// Height of the terrain surface under a local (x, y), as the viewer's
// picking finds it: a vertical segment through the mesh.
std::optional<double> surfaceHeight(osg::Node* node, double x, double y)
{
    osg::ref_ptr<osgUtil::LineSegmentIntersector> intersector =
        new osgUtil::LineSegmentIntersector(osg::Vec3d(x, y, 20000.0), osg::Vec3d(x, y, -20000.0));
    osgUtil::IntersectionVisitor visitor(intersector.get());
    node->accept(visitor);
    if (!intersector->containsIntersections())
        return std::nullopt;
    return intersector->getFirstIntersection().getWorldIntersectPoint().z();
}

// How far the picked surface lies above where a pixel's centre should be,
// at the given elevation; nullopt when picking misses the mesh (shown as 1e9 m by the tests). The probe is
// nudged a centimetre towards the origin so an edge vertex is not missed.
std::optional<double> surfaceOffsetAtPixel(osg::Node* node, int epsg, int column, int row, double elevation)
{
    const auto [latitude, longitude] = pixelLatLon(epsg, column, row);
    gmtl::Vec<double, 3> expected;
    TerrainManager::instance()->convertGdcToTerrainLocal(gmtl::Vec<double, 3>(latitude, longitude, elevation),
                                                         expected);
    const double nudge = 1.0 - 0.01 / std::max(std::hypot(expected[0], expected[1], expected[2]), 1.0);
    const std::optional<double> z = surfaceHeight(node, expected[0] * nudge, expected[1] * nudge);
    return z ? std::optional<double>(*z - expected[2]) : std::nullopt;
}

} // namespace

#define VERIFY_NEAR(actual, expected, tolerance) \
    QVERIFY2(std::abs((actual) - (expected)) < (tolerance), qPrintable(QStringLiteral("got %1").arg(actual, 0, 'f', 9)))

class TestTerrain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        GDALAllRegister();
        QVERIFY(directory.isValid());
    }
    void builtInTerrain();
    void demSurface_data();
    void demSurface();
    void thinnedDemKeepsItsFarCorner();
    void demRefusals_data();
    void demRefusals();

private:
    QString path() const { return directory.filePath(QStringLiteral("dem.tif")); }

    // Writes and loads the raster; why a load fails goes to the test log.
    std::optional<Terrain> load(const Raster& raster, int maxVerticesPerSide = 1024)
    {
        QFile::remove(path());
        QString error = QStringLiteral("could not write ") + path();
        std::optional<Terrain> terrain;
        if (writeGeoTiff(path(), raster))
            terrain = velmora::viewer::loadDemTerrain(path(), error, maxVerticesPerSide);
        if (!terrain)
            qWarning("%s", qPrintable(error));
        return terrain;
    }

    QTemporaryDir directory;
};

void TestTerrain::builtInTerrain()
{
    const Terrain terrain = velmora::viewer::makeBuiltInTerrain();
    // People must not mistake made-up heights for real ones.
    QVERIFY(terrain.synthetic && terrain.description.contains(QLatin1String("Synthetic"), Qt::CaseInsensitive));
    const osg::ref_ptr<TerrainManager> manager = TerrainManager::instance();
    QCOMPARE(manager->getOriginLatitude(), terrain.originLatitude);
    // Picking anywhere on its 20 km square hits the surface, at a real mountain height.
    for (const auto& [x, y] : {std::pair{0.0, 0.0}, std::pair{-9000.0, 8500.0}, std::pair{7000.0, -9500.0}}) {
        const std::optional<double> z = surfaceHeight(terrain.node.get(), x, y);
        QVERIFY(z);
        gmtl::Vec<double, 3> lonLatHeight;
        manager->convertTerrainLocalToGdc(gmtl::Vec<double, 3>(x, y, *z), lonLatHeight);
        QVERIFY2(lonLatHeight[2] > 500.0 && lonLatHeight[2] < 4300.0, qPrintable(QString::number(lonLatHeight[2])));
    }
}

void TestTerrain::demSurface_data()
{
    QTest::addColumn<int>("epsg");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<QRect>("hole"); // pixels written as nodata
    QTest::addColumn<double>("elevation");

    // Geographic: the geotransform is already in degrees. The far corner
    // catches a mesh that stops one pixel short, and swapped rows and columns.
    QTest::newRow("wgs84 far corner") << 4326 << 4 << 3 << QRect() << knownHeight(4, 3);
    // Projected: every position passes through OGR's inverse UTM. A north-up
    // raster's first row is its northern edge.
    QTest::newRow("utm zone 10 north") << 32610 << 3 << 1 << QRect() << knownHeight(3, 1);
    // An interior hole takes the mean of its eight neighbours; on this plane
    // of heights that is the height the pixel would have had. Unfilled, it
    // would be a 32 km deep spike in the mesh.
    QTest::newRow("interior nodata hole") << 4326 << 2 << 1 << QRect(2, 1, 1, 1) << knownHeight(2, 1);
    // A corner hole has only three neighbours: (1, 0), (0, 1), (1, 1).
    QTest::newRow("corner nodata hole") << 4326 << 0 << 0 << QRect(0, 0, 1, 1)
                                        << (knownHeight(1, 0) + knownHeight(0, 1) + knownHeight(1, 1)) / 3.0;
    // A hole three pixels wide: its far corner has no valid neighbour and takes
    // the mean of the ring filled around it, (1314 + 1364) / 2; filled with the
    // lowest height instead, it would be a 400 m pit with walls.
    QTest::newRow("wide nodata hole") << 4326 << 4 << 0 << QRect(2, 0, 3, 2) << 1339.0;
}

void TestTerrain::demSurface()
{
    QFETCH(int, epsg);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(QRect, hole);
    QFETCH(double, elevation);

    Raster raster(epsg);
    if (!hole.isEmpty()) {
        raster.nodata = nodataValue;
        for (int r = 0; r < raster.rows; ++r)
            for (int c = 0; c < raster.columns; ++c)
                raster.values.push_back(static_cast<float>(hole.contains(c, r) ? nodataValue : knownHeight(c, r)));
    }
    const std::optional<Terrain> terrain = load(raster);
    QVERIFY(terrain && !terrain->synthetic);
    // The origin is the centre pixel (column 2 of 5, row 2 of 4) at its height.
    const auto [latitude, longitude] = pixelLatLon(epsg, 2, 2);
    const osg::ref_ptr<TerrainManager> manager = TerrainManager::instance();
    VERIFY_NEAR(manager->getOriginLatitude(), latitude, degreeTolerance);
    VERIFY_NEAR(manager->getOriginLongitude(), longitude, degreeTolerance);
    VERIFY_NEAR(manager->getOriginHeight(), knownHeight(2, 2), metreTolerance);
    QCOMPARE(terrain->originHeight, manager->getOriginHeight());
    VERIFY_NEAR(surfaceOffsetAtPixel(terrain->node.get(), epsg, column, row, elevation).value_or(1e9), 0.0,
                metreTolerance);
}

void TestTerrain::thinnedDemKeepsItsFarCorner()
{
    // 41 x 31 pixels thinned to at most 16 vertices a side takes every third
    // pixel, 0, 3, ..., 39: pixel 40, the far edge, is off the stride and
    // must still become a vertex.
    const std::optional<Terrain> terrain = load(Raster(32610, 41, 31), 16);
    QVERIFY(terrain);
    const osg::Geometry* geometry = terrain->node->asGeode()->getDrawable(0)->asGeometry();
    QVERIFY(geometry->getVertexArray()->getNumElements() <= 16u * 16u);
    // Picking on large terrain relies on the KdTree being there.
    QVERIFY(dynamic_cast<const osg::KdTree*>(geometry->getShape()));

    VERIFY_NEAR(surfaceOffsetAtPixel(terrain->node.get(), 32610, 40, 30, knownHeight(40, 30)).value_or(1e9), 0.0,
                metreTolerance);
}

void TestTerrain::demRefusals_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing file") << "missing" << "not found";
    QTest::newRow("text file") << "text" << "GDAL can read";
    // Pixels with no place on the Earth cannot be put in the local frame.
    QTest::newRow("no geotransform") << "nogeotransform" << "no georeferencing";
    QTest::newRow("geotransform but no crs") << "nocrs" << "no spatial reference";
    // A site grid with no tie to any datum: no transformation to WGS84 exists.
    QTest::newRow("engineering crs") << "sitegrid" << "cannot be transformed to WGS84";
    // A single pixel makes no triangle.
    QTest::newRow("one pixel") << "onepixel" << "at least 2 x 2";
    QTest::newRow("only nodata") << "allnodata" << "no valid elevation";
}

void TestTerrain::demRefusals()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QFile::remove(path());
    Raster raster;
    raster.geoTransform = kind != "nogeotransform";
    raster.crs = kind == "nogeotransform" || kind == "nocrs" ? "none" : "";
    if (kind == "sitegrid")
        raster.crs = R"(LOCAL_CS["site grid",LOCAL_DATUM["site",0],UNIT["metre",1],AXIS["E",EAST],AXIS["N",NORTH]])";
    if (kind == "onepixel")
        raster.columns = raster.rows = 1;
    if (kind == "allnodata") {
        raster.nodata = nodataValue;
        raster.values.assign(20, static_cast<float>(nodataValue));
    }
    QFile text(path());
    if (kind == "text")
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("elevation,latitude,longitude\n1000,46.9,-121.8\n") > 0);
    else if (kind != "missing")
        QVERIFY(writeGeoTiff(path(), raster));
    text.close();
    // A refused file must leave the current terrain's georeference alone.
    const osg::ref_ptr<TerrainManager> manager = TerrainManager::instance();
    manager->setOrigin(10.0, 20.0, 30.0);
    QString error;
    QVERIFY(!velmora::viewer::loadDemTerrain(path(), error));
    QVERIFY2(error.contains(reason, Qt::CaseInsensitive), qPrintable(error));
    QCOMPARE(QVector<double>({manager->getOriginLatitude(), manager->getOriginLongitude(), manager->getOriginHeight()}),
             QVector<double>({10.0, 20.0, 30.0}));
}

QTEST_GUILESS_MAIN(TestTerrain)
#include "tst_terrain.moc"
