#include "Terrain.h"

#include <velmora/terrain/TerrainManager.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <GeographicLib/UTMUPS.hpp>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/KdTree>
#include <osgUtil/IntersectionVisitor>
#include <osgUtil/LineSegmentIntersector>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

using velmora::terrain::TerrainManager;
using velmora::viewer::Terrain;

namespace {

constexpr int width = 5;
constexpr int height = 4;
constexpr double nodataValue = -32768.0;

// Positions through the TerrainManager are exact to rounding; the mesh holds
// floats a few kilometres from the origin, good to about a millimetre.
constexpr double metreTolerance = 0.01;
// 1e-7 degrees is about a centimetre on the ground.
constexpr double degreeTolerance = 1e-7;

// Known heights, distinct per pixel so a mix-up of rows and columns shows.
double knownHeight(int column, int row)
{
    return 1000.0 + 100.0 * column + 7.0 * row;
}

// Near Mount Rainier, in two CRSs: pixels of 0.01 degree, and 30 m UTM
// zone 10 north pixels.
const std::array<double, 6> geographicTransform{-121.80, 0.01, 0.0, 46.90, 0.0, -0.01};
const std::array<double, 6> utmTransform{594000.0, 30.0, 0.0, 5190000.0, 0.0, -30.0};

struct Raster
{
    int columns = width;
    int rows = height;
    std::optional<std::array<double, 6>> geoTransform;
    int epsg = 0; // 0: no spatial reference written, unless wkt is set
    QByteArray wkt;
    std::vector<float> values;
    std::optional<double> nodata;
};

std::vector<float> knownHeights(int columns, int rows)
{
    std::vector<float> values;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            values.push_back(static_cast<float>(knownHeight(c, r)));
        }
    }
    return values;
}

Raster geographicRaster()
{
    return Raster{width, height, geographicTransform, 4326, {}, knownHeights(width, height), std::nullopt};
}

Raster utmRaster()
{
    return Raster{width, height, utmTransform, 32610, {}, knownHeights(width, height), std::nullopt};
}

bool writeGeoTiff(const QString& path, const Raster& raster)
{
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (!driver) {
        return false;
    }
    GDALDataset* dataset =
        driver->Create(QFile::encodeName(path).constData(), raster.columns, raster.rows, 1, GDT_Float32, nullptr);
    if (!dataset) {
        return false;
    }
    if (raster.geoTransform) {
        std::array<double, 6> transform = *raster.geoTransform;
        dataset->SetGeoTransform(transform.data());
    }
    if (raster.epsg != 0) {
        OGRSpatialReference reference;
        reference.importFromEPSG(raster.epsg);
        dataset->SetSpatialRef(&reference);
    } else if (!raster.wkt.isEmpty()) {
        dataset->SetProjection(raster.wkt.constData());
    }
    GDALRasterBand* band = dataset->GetRasterBand(1);
    if (raster.nodata) {
        band->SetNoDataValue(*raster.nodata);
    }
    std::vector<float> values = raster.values;
    const CPLErr written = band->RasterIO(GF_Write, 0, 0, raster.columns, raster.rows, values.data(), raster.columns,
                                          raster.rows, GDT_Float32, 0, 0, nullptr);
    GDALClose(GDALDataset::ToHandle(dataset));
    return written == CE_None;
}

// WGS84 latitude and longitude of a pixel centre, worked out independently
// of the library: the geotransform by hand, UTM through GeographicLib (the
// library goes through OGR/PROJ instead).
std::pair<double, double> pixelLatLon(int epsg, int column, int row)
{
    const std::array<double, 6>& t = epsg == 4326 ? geographicTransform : utmTransform;
    const double x = t[0] + (column + 0.5) * t[1];
    const double y = t[3] + (row + 0.5) * t[5];
    if (epsg == 4326) {
        return {y, x};
    }
    double latitude = 0.0;
    double longitude = 0.0;
    GeographicLib::UTMUPS::Reverse(10, true, x, y, latitude, longitude);
    return {latitude, longitude};
}

osg::Vec3d toLocal(double latitude, double longitude, double elevation)
{
    const gmtl::Vec<double, 3> gdc(latitude, longitude, elevation);
    gmtl::Vec<double, 3> local;
    TerrainManager::instance()->convertGdcToTerrainLocal(gdc, local);
    return {local[0], local[1], local[2]};
}

// Height of the terrain surface under a local (x, y), as the viewer's
// picking finds it: a vertical segment through the mesh.
std::optional<double> surfaceHeight(osg::Node* node, double x, double y)
{
    osg::ref_ptr<osgUtil::LineSegmentIntersector> intersector =
        new osgUtil::LineSegmentIntersector(osg::Vec3d(x, y, 20000.0), osg::Vec3d(x, y, -20000.0));
    osgUtil::IntersectionVisitor visitor(intersector.get());
    node->accept(visitor);
    if (!intersector->containsIntersections()) {
        return std::nullopt;
    }
    return intersector->getFirstIntersection().getWorldIntersectPoint().z();
}

// How far the picked surface lies above where a pixel's centre should be,
// at the given elevation; nullopt when picking misses the mesh. The probe is
// nudged a centimetre towards the origin so an edge vertex is not missed.
std::optional<double> surfaceOffsetAtPixel(osg::Node* node, int epsg, int column, int row, double elevation)
{
    const auto [latitude, longitude] = pixelLatLon(epsg, column, row);
    const osg::Vec3d expected = toLocal(latitude, longitude, elevation);
    const osg::Vec3d probe = expected - expected * (0.01 / std::max(expected.length(), 1.0));
    const std::optional<double> z = surfaceHeight(node, probe.x(), probe.y());
    return z ? std::optional<double>(*z - expected.z()) : std::nullopt;
}

} // namespace

class TestTerrain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void builtInTerrain();

    void demOrigin_data();
    void demOrigin();

    void demPixelHeight_data();
    void demPixelHeight();

    void demNodataIsFilled_data();
    void demNodataIsFilled();

    void thinnedDemKeepsItsFarCorner();

    void demRefusals_data();
    void demRefusals();

private:
    QString writeRaster(const QString& name, const Raster& raster);

    QTemporaryDir directory;
};

void TestTerrain::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    GDALAllRegister();
    QVERIFY(directory.isValid());
}

QString TestTerrain::writeRaster(const QString& name, const Raster& raster)
{
    const QString path = directory.filePath(name);
    QFile::remove(path);
    return writeGeoTiff(path, raster) ? path : QString();
}

void TestTerrain::builtInTerrain()
{
    const Terrain terrain = velmora::viewer::makeBuiltInTerrain();
    QVERIFY(terrain.node);
    QVERIFY(terrain.synthetic);
    // People must not mistake made-up heights for real ones.
    QVERIFY(terrain.description.contains(QLatin1String("Synthetic"), Qt::CaseInsensitive));
    QVERIFY(terrain.description.contains(QLatin1String("Rainier")));

    const osg::ref_ptr<TerrainManager> manager = TerrainManager::instance();
    QCOMPARE(terrain.originLatitude, 46.8529);
    QCOMPARE(terrain.originLongitude, -121.7604);
    QCOMPARE(manager->getOriginLatitude(), 46.8529);
    QCOMPARE(manager->getOriginLongitude(), -121.7604);
    QCOMPARE(manager->getOriginHeight(), terrain.originHeight);
    QVERIFY(terrain.originHeight > 500.0 && terrain.originHeight < 4300.0);

    // About 20 km across, centred on the origin. 10 m of slack: a vertex
    // 1 km below the origin height and 10 km out sits about 1.6 m inwards,
    // because the vertical there leans by the Earth's curvature.
    const double slack = 10.0;
    QVERIFY2(std::abs(terrain.bounds.xMax() - terrain.bounds.xMin() - 20000.0) < slack,
             qPrintable(QString::number(terrain.bounds.xMax() - terrain.bounds.xMin())));
    QVERIFY2(std::abs(terrain.bounds.yMax() - terrain.bounds.yMin() - 20000.0) < slack,
             qPrintable(QString::number(terrain.bounds.yMax() - terrain.bounds.yMin())));
    QVERIFY(std::abs(terrain.bounds.center().x()) < slack && std::abs(terrain.bounds.center().y()) < slack);

    // Picking anywhere on it hits the surface, and the elevation the
    // TerrainManager reports there is a real mountain height.
    for (const auto& [x, y] : {std::pair{0.0, 0.0}, std::pair{-9000.0, 8500.0}, std::pair{7000.0, -9500.0}}) {
        const std::optional<double> z = surfaceHeight(terrain.node.get(), x, y);
        QVERIFY(z);
        gmtl::Vec<double, 3> lonLatHeight;
        manager->convertTerrainLocalToGdc(gmtl::Vec<double, 3>(x, y, *z), lonLatHeight);
        QVERIFY2(lonLatHeight[2] > 500.0 && lonLatHeight[2] < 4300.0, qPrintable(QString::number(lonLatHeight[2])));
    }
}

void TestTerrain::demOrigin_data()
{
    QTest::addColumn<int>("epsg");
    // Geographic: the geotransform is already in degrees.
    QTest::newRow("wgs84") << 4326;
    // Projected: every position passes through OGR's inverse UTM.
    QTest::newRow("utm zone 10 north") << 32610;
}

void TestTerrain::demOrigin()
{
    QFETCH(int, epsg);
    const QString path = writeRaster(QStringLiteral("origin.tif"), epsg == 4326 ? geographicRaster() : utmRaster());
    QVERIFY(!path.isEmpty());

    QString error;
    const std::optional<Terrain> terrain = velmora::viewer::loadDemTerrain(path, error);
    QVERIFY2(terrain, qPrintable(error));
    QVERIFY(!terrain->synthetic);
    QCOMPARE(terrain->description, QStringLiteral("DEM: origin.tif"));

    // The origin is the centre pixel (column 2 of 5, row 2 of 4) at its height.
    const auto [latitude, longitude] = pixelLatLon(epsg, 2, 2);
    const osg::ref_ptr<TerrainManager> manager = TerrainManager::instance();
    QVERIFY(std::abs(manager->getOriginLatitude() - latitude) < degreeTolerance);
    QVERIFY(std::abs(manager->getOriginLongitude() - longitude) < degreeTolerance);
    QVERIFY(std::abs(manager->getOriginHeight() - knownHeight(2, 2)) < metreTolerance);
    QCOMPARE(terrain->originLatitude, manager->getOriginLatitude());
    QCOMPARE(terrain->originHeight, manager->getOriginHeight());
    QVERIFY(terrain->bounds.contains(osg::Vec3(0.0f, 0.0f, 0.0f)));
}

void TestTerrain::demPixelHeight_data()
{
    QTest::addColumn<int>("epsg");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");

    // Off-centre interior pixels catch swapped rows/columns or axes.
    QTest::newRow("wgs84 interior") << 4326 << 1 << 2;
    // The far corner catches a mesh that stops one pixel short.
    QTest::newRow("wgs84 far corner") << 4326 << 4 << 3;
    // A north-up raster's first row is its northern edge.
    QTest::newRow("utm north-west corner") << 32610 << 0 << 0;
    QTest::newRow("utm interior") << 32610 << 3 << 1;
}

void TestTerrain::demPixelHeight()
{
    QFETCH(int, epsg);
    QFETCH(int, column);
    QFETCH(int, row);
    const QString path = writeRaster(QStringLiteral("pixel.tif"), epsg == 4326 ? geographicRaster() : utmRaster());
    QVERIFY(!path.isEmpty());

    QString error;
    const std::optional<Terrain> terrain = velmora::viewer::loadDemTerrain(path, error);
    QVERIFY2(terrain, qPrintable(error));

    const std::optional<double> offset =
        surfaceOffsetAtPixel(terrain->node.get(), epsg, column, row, knownHeight(column, row));
    QVERIFY(offset);
    QVERIFY2(std::abs(*offset) < metreTolerance, qPrintable(QString::number(*offset)));
}

void TestTerrain::demNodataIsFilled_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<double>("filled");

    // An interior hole takes the mean of its eight neighbours; on this plane
    // of heights that is the height the pixel would have had.
    QTest::newRow("interior hole") << 2 << 1 << knownHeight(2, 1);
    // A corner hole has only three neighbours: (1, 0), (0, 1), (1, 1).
    QTest::newRow("corner hole") << 0 << 0 << (knownHeight(1, 0) + knownHeight(0, 1) + knownHeight(1, 1)) / 3.0;
}

void TestTerrain::demNodataIsFilled()
{
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(double, filled);

    Raster raster = geographicRaster();
    raster.nodata = nodataValue;
    raster.values[static_cast<std::size_t>(row * width + column)] = static_cast<float>(nodataValue);
    const QString path = writeRaster(QStringLiteral("nodata.tif"), raster);
    QVERIFY(!path.isEmpty());

    QString error;
    const std::optional<Terrain> terrain = velmora::viewer::loadDemTerrain(path, error);
    QVERIFY2(terrain, qPrintable(error));

    // Without filling, the hole would be a 32 km deep spike in the mesh.
    QVERIFY(terrain->bounds.zMin() > -2000.0);
    const std::optional<double> offset = surfaceOffsetAtPixel(terrain->node.get(), 4326, column, row, filled);
    QVERIFY(offset);
    QVERIFY2(std::abs(*offset) < metreTolerance, qPrintable(QString::number(*offset)));
}

void TestTerrain::thinnedDemKeepsItsFarCorner()
{
    // 41 x 31 pixels thinned to at most 16 vertices a side takes every third
    // pixel, 0, 3, ..., 39: pixel 40, the far edge, is off the stride and
    // must still become a vertex.
    Raster raster = utmRaster();
    raster.columns = 41;
    raster.rows = 31;
    raster.values = knownHeights(raster.columns, raster.rows);
    const QString path = writeRaster(QStringLiteral("thinned.tif"), raster);
    QVERIFY(!path.isEmpty());

    QString error;
    const std::optional<Terrain> terrain = velmora::viewer::loadDemTerrain(path, error, 16);
    QVERIFY2(terrain, qPrintable(error));
    auto* geode = terrain->node->asGeode();
    QVERIFY(geode && geode->getNumDrawables() == 1);
    const osg::Geometry* geometry = geode->getDrawable(0)->asGeometry();
    QVERIFY(geometry);
    QVERIFY(geometry->getVertexArray()->getNumElements() <= 16u * 16u);
    // Picking on large terrain relies on the KdTree being there.
    QVERIFY(dynamic_cast<const osg::KdTree*>(geometry->getShape()));

    const std::optional<double> offset = surfaceOffsetAtPixel(terrain->node.get(), 32610, 40, 30, knownHeight(40, 30));
    QVERIFY(offset);
    QVERIFY2(std::abs(*offset) < metreTolerance, qPrintable(QString::number(*offset)));
}

void TestTerrain::demRefusals_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing file") << "missing" << "not found";
    // A file GDAL cannot open as a raster at all.
    QTest::newRow("text file") << "text" << "GDAL can read";
    // Pixels with no place on the Earth cannot be put in the local frame.
    QTest::newRow("no geotransform") << "nogeotransform" << "no georeferencing";
    QTest::newRow("geotransform but no crs") << "nocrs" << "no spatial reference";
    // A site grid with no tie to any datum: no transformation to WGS84 exists.
    QTest::newRow("engineering crs") << "sitegrid" << "cannot be transformed to WGS84";
    // A single pixel makes no triangle.
    QTest::newRow("one pixel") << "onepixel" << "at least 2 x 2";
    // Nothing to build a surface from.
    QTest::newRow("only nodata") << "allnodata" << "no valid elevation";
}

void TestTerrain::demRefusals()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);

    QString path = directory.filePath(QStringLiteral("refused.tif"));
    QFile::remove(path);
    Raster raster = geographicRaster();
    if (kind == QLatin1String("text")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("elevation,latitude,longitude\n1000,46.9,-121.8\n");
    } else if (kind == QLatin1String("nogeotransform")) {
        raster.geoTransform.reset();
        raster.epsg = 0;
        path = writeRaster(QStringLiteral("refused.tif"), raster);
    } else if (kind == QLatin1String("nocrs")) {
        raster.epsg = 0;
        path = writeRaster(QStringLiteral("refused.tif"), raster);
    } else if (kind == QLatin1String("sitegrid")) {
        raster.epsg = 0;
        raster.wkt = "LOCAL_CS[\"site grid\",LOCAL_DATUM[\"site\",0],UNIT[\"metre\",1],"
                     "AXIS[\"Easting\",EAST],AXIS[\"Northing\",NORTH]]";
        path = writeRaster(QStringLiteral("refused.tif"), raster);
    } else if (kind == QLatin1String("onepixel")) {
        raster.columns = 1;
        raster.rows = 1;
        raster.values = {1000.0f};
        path = writeRaster(QStringLiteral("refused.tif"), raster);
    } else if (kind == QLatin1String("allnodata")) {
        raster.nodata = nodataValue;
        std::fill(raster.values.begin(), raster.values.end(), static_cast<float>(nodataValue));
        path = writeRaster(QStringLiteral("refused.tif"), raster);
    }
    QVERIFY(!path.isEmpty());

    // A refused file must leave the current terrain's georeference alone.
    const osg::ref_ptr<TerrainManager> manager = TerrainManager::instance();
    manager->setOrigin(10.0, 20.0, 30.0);

    QString error;
    const std::optional<Terrain> terrain = velmora::viewer::loadDemTerrain(path, error);
    QVERIFY(!terrain);
    QVERIFY2(error.contains(reason, Qt::CaseInsensitive), qPrintable(error));
    QCOMPARE(manager->getOriginLatitude(), 10.0);
    QCOMPARE(manager->getOriginLongitude(), 20.0);
    QCOMPARE(manager->getOriginHeight(), 30.0);
}

QTEST_GUILESS_MAIN(TestTerrain)
#include "tst_terrain.moc"
