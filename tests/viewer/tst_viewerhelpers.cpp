#include "DemHeightField.h"
#include "DemLoadError.h"
#include "DemRaster.h"
#include "DepthRange.h"
#include "DevicePixelMapping.h"
#include "GridSampling.h"
#include "RayRefinement.h"
#include "StartViewFraming.h"
#include "Terrain.h"
#include "TestRaster.h"
#include "ViewerOptions.h"

#include <velmora/terrain/TerrainManager.h>

#include <QTemporaryDir>
#include <QtTest>

#include <GeographicLib/UTMUPS.hpp>

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/MatrixTransform>
#include <osg/PagedLOD>
#include <osgDB/Options>
#include <osgUtil/IntersectionVisitor>
#include <osgUtil/LineSegmentIntersector>

#include <algorithm>
#include <cmath>
#include <map>

using namespace velmora::viewer;
using namespace velmora::testing;
using velmora::terrain::TerrainManager;

Q_DECLARE_METATYPE(Raster)

namespace {

// The mesh holds floats a few kilometres from the origin, good to about a millimetre.
constexpr double metreTolerance = 0.01;
// The rasters' default size: its centre pixel is (2, 2).
const QSize small = Raster{}.size;
// A site grid with no tie to any datum: no transformation to WGS84 exists.
const QByteArray siteGrid =
    R"(LOCAL_CS["site grid",LOCAL_DATUM["site",0],UNIT["metre",1],AXIS["E",EAST],AXIS["N",NORTH]])";

// WGS84 latitude and longitude of a pixel centre, worked out independently
// of the library: the geotransform by hand, UTM through GeographicLib (the
// library goes through OGR/PROJ instead).
std::pair<double, double> pixelLatLon(int epsg, int column, int row)
{
    const std::array<double, 6> t = geoTransform(epsg);
    const double x = t[0] + (column + 0.5) * t[1], y = t[3] + (row + 0.5) * t[5];
    double latitude = y, longitude = x;
    if (epsg != 4326)
        GeographicLib::UTMUPS::Reverse(10, true, x, y, latitude, longitude);
    return {latitude, longitude};
}

// How far the surface lies above where a pixel's centre at the given elevation should be, found as the
// viewer's picking finds it: a vertical segment through the mesh, NaN where it misses. The segment is
// nudged a centimetre towards the origin so an edge vertex is not missed.
double surfaceOffsetAtPixel(osg::Node* node, int epsg, int column, int row, double elevation)
{
    const auto [latitude, longitude] = pixelLatLon(epsg, column, row);
    gmtl::Vec<double, 3> expected;
    TerrainManager::instance()->convertGdcToTerrainLocal(gmtl::Vec<double, 3>(latitude, longitude, elevation),
                                                         expected);
    const double nudge = 1.0 - 0.01 / std::max(std::hypot(expected[0], expected[1], expected[2]), 1.0);
    const double x = expected[0] * nudge, y = expected[1] * nudge;
    osg::ref_ptr<osgUtil::LineSegmentIntersector> intersector =
        new osgUtil::LineSegmentIntersector(osg::Vec3d(x, y, 20000.0), osg::Vec3d(x, y, -20000.0));
    osgUtil::IntersectionVisitor visitor(intersector.get());
    node->accept(visitor);
    return intersector->containsIntersections()
               ? intersector->getFirstIntersection().getWorldIntersectPoint().z() - expected[2]
               : std::nan("");
}

// Loads every paged tile below node through the read callback its PagedLOD names, as OSG's pager would.
void loadAllTiles(osg::Node* node)
{
    auto* paged = dynamic_cast<osg::PagedLOD*>(node);
    if (paged && paged->getNumChildren() < paged->getNumFileNames()) {
        const auto* options = static_cast<const osgDB::Options*>(paged->getDatabaseOptions());
        paged->addChild(options->getReadFileCallback()->readNode(paged->getFileName(1), options).getNode());
    }
    if (osg::Group* group = node->asGroup())
        for (unsigned i = 0; i < group->getNumChildren(); ++i)
            loadAllTiles(group->getChild(i));
}

// Calls visit with every PagedLOD below node.
template <typename Visit>
void forEachPagedTile(osg::Node* node, Visit visit)
{
    if (const auto* paged = dynamic_cast<const osg::PagedLOD*>(node))
        visit(*paged);
    if (osg::Group* group = node->asGroup())
        for (unsigned i = 0; i < group->getNumChildren(); ++i)
            forEachPagedTile(group->getChild(i), visit);
}

// Calls visit with the world position and normal of each vertex of the finest tiles below node (of every
// tile, coarser ones too, unless finestOnly), and the tile's mesh.
template <typename Visit>
void forEachFinestVertex(osg::Node* node, Visit visit, bool finestOnly = true,
                         const osg::Matrixd& toWorld = osg::Matrixd())
{
    const bool coarser = finestOnly && dynamic_cast<osg::PagedLOD*>(node) != nullptr;
    osg::Matrixd matrix = toWorld;
    if (const osg::MatrixTransform* placed = dynamic_cast<osg::MatrixTransform*>(node))
        matrix = placed->getMatrix() * toWorld;
    if (const osg::Geode* geode = node->asGeode()) {
        const osg::Geometry* geometry = geode->getDrawable(0)->asGeometry();
        const auto* vertices = static_cast<const osg::Vec3Array*>(geometry->getVertexArray());
        const auto* normals = static_cast<const osg::Vec3Array*>(geometry->getNormalArray());
        for (std::size_t k = 0; k < vertices->size(); ++k)
            visit(osg::Vec3d((*vertices)[k]) * matrix, (*normals)[k], geode);
    }
    if (osg::Group* group = node->asGroup())
        // A PagedLOD's first child is its coarse mesh: only what it pages in is finer.
        for (unsigned i = coarser ? 1 : 0; i < group->getNumChildren(); ++i)
            forEachFinestVertex(group->getChild(i), visit, finestOnly, matrix);
}

} // namespace

// The viewer's parts that need no window: command line, device pixels, terrain sampling and loading elevation models.
class TestViewerHelpers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        GDALAllRegister();
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("parsed"); // dem|plugins|size|screenshot|frames; empty: refused with a message
        QTest::newRow("everything") << QStringList{"--dem", "a.tif", "--plugins", "/p", "--size", "800x600",
                                                   "--screenshot", "s.png", "--frames", "30"}
                                    << "a.tif|/p|800x600|s.png|30";
        // Not -s -i -z -e, as Qt's parser reads a single dash by default.
        QTest::newRow("single dash, capital X") << QStringList{"-size", "640X480"} << "||640x480||0";
        QTest::newRow("unknown option") << QStringList{"--colour"} << "";
        QTest::newRow("size without x") << QStringList{"--size", "800"} << "";
        QTest::newRow("size too small") << QStringList{"--size", "10x10"} << "";
        QTest::newRow("frames zero") << QStringList{"--frames", "0"} << "";
        QTest::newRow("stray argument") << QStringList{"terrain.tif"} << "";
        // The first would be silently dropped.
        QTest::newRow("dem twice") << QStringList{"--dem", "a.tif", "--dem", "b.tif"} << "";
        // No format to write it in: the picture would not be what its name says.
        QTest::newRow("screenshot without image suffix") << QStringList{"--screenshot", "view.txt"} << "";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        ViewerOptions o;
        QString message;
        const bool run = ViewerOptions::parse(QStringList{"velmora_viewer"} + arguments, o, message) ==
                         ViewerOptions::Outcome::Run;
        const QString size = QString("%1x%2").arg(o.viewSize.width()).arg(o.viewSize.height());
        const QStringList parsed{o.demPath, o.pluginDir, o.viewSize.isValid() ? size : "", o.screenshotPath,
                                 QString::number(o.frames)};
        QTEST(run ? parsed.join('|') : QString(), "parsed");
        QVERIFY2(run == message.isEmpty(), "an error says what is wrong");
    }

    void devicePixels_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QPointF>("logical"); // in a 100 x 50 logical view
        QTest::addColumn<QSize>("physicalSize");
        QTest::addColumn<QPointF>("glWindow"); // exact binary fractions: compared exactly
        // The y axis turns over: the bottom row is GL's first.
        QTest::newRow("ratio 1, bottom right") << 1.0 << QPointF(99, 49) << QSize(100, 50) << QPointF(99.5, 0.5);
        // A fractional ratio must not be truncated.
        QTest::newRow("ratio 1.5") << 1.5 << QPointF(3, 4) << QSize(150, 75) << QPointF(4.5, 68.5);
        QTest::newRow("ratio 0 taken as 1") << 0.0 << QPointF(7, 8) << QSize(100, 50) << QPointF(7.5, 41.5);
    }
    void devicePixels()
    {
        QFETCH(double, ratio);
        QFETCH(QPointF, logical);
        const DevicePixelMapping mapping(ratio, QSize(100, 50));
        QTEST(mapping.physicalSize(), "physicalSize");
        QTEST(mapping.toGlWindow(logical), "glWindow");
    }

    void sampling_data()
    {
        QTest::addColumn<QSize>("raster");
        QTest::addColumn<int>("stride"); // at most 1024 vertices a side
        QTest::addColumn<QSize>("vertices");
        QTest::newRow("exactly at the limit, every pixel") << QSize(1024, 1024) << 1 << QSize(1024, 1024);
        // One pixel over must thin, or the limit is not a limit.
        QTest::newRow("one over the limit") << QSize(1025, 10) << 2 << QSize(513, 6);
        // An exact division would land one vertex over the limit without the extra step.
        QTest::newRow("last pixel pushes over") << QSize(2048, 2048) << 3 << QSize(684, 684);
    }
    void sampling()
    {
        QFETCH(QSize, raster);
        QFETCH(QSize, vertices);
        const GridSampling sampling(raster.width(), raster.height(), 1024);
        QTEST(sampling.stride(), "stride");
        QCOMPARE(QSize(sampling.columns(), sampling.rows()), vertices);
        // The mesh reaches the raster's far edges, and no pixel repeats (a degenerate row of triangles).
        QCOMPARE(sampling.pixelColumn(0), 0);
        QCOMPARE(sampling.pixelColumn(vertices.width() - 1), raster.width() - 1);
        QCOMPARE(sampling.pixelRow(vertices.height() - 1), raster.height() - 1);
        QVERIFY(sampling.pixelColumn(vertices.width() - 2) < sampling.pixelColumn(vertices.width() - 1));
    }

    void builtInTerrainIsMarkedMadeUp()
    {
        const Terrain terrain = makeBuiltInTerrain();
        // People must not mistake made-up heights for real ones.
        QVERIFY(terrain.synthetic && terrain.description.contains("Synthetic", Qt::CaseInsensitive));
    }

    void demSurface_data()
    {
        QTest::addColumn<int>("epsg");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("maxVerticesPerSide");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<QRect>("hole"); // pixels written as nodata
        QTest::addColumn<double>("elevation");
        // Geographic: the geotransform is already in degrees. The far corner
        // catches a mesh that stops one pixel short, and swapped rows and columns.
        QTest::newRow("wgs84 far corner") << 4326 << small << 1024 << QPoint(4, 3) << QRect() << knownHeight(4, 3);
        // Projected: every position passes through OGR's inverse UTM; a north-up raster's first row is its north edge.
        QTest::newRow("utm zone 10 north") << 32610 << small << 1024 << QPoint(3, 1) << QRect() << knownHeight(3, 1);
        // 41 pixels thinned to at most 16 vertices a side takes every third:
        // pixel 40, the far edge, is off the stride and must still become a vertex.
        QTest::newRow("thinned, far corner") << 32610 << QSize(41, 31) << 16 << QPoint(40, 30) << QRect()
                                             << knownHeight(40, 30);
        // Rows enough for two reading threads: the second's last row is placed where the first's would be.
        QTest::newRow("read by two threads, far corner") << 32610 << QSize(300, 600) << 1024 << QPoint(299, 599)
                                                         << QRect() << knownHeight(299, 599);
        // A corner hole takes the mean of its three neighbours (1, 0), (0, 1), (1, 1);
        // unfilled, it would be a 32 km deep spike in the mesh.
        QTest::newRow("corner nodata hole") << 4326 << small << 1024 << QPoint(0, 0) << QRect(0, 0, 1, 1)
                                            << (knownHeight(1, 0) + knownHeight(0, 1) + knownHeight(1, 1)) / 3.0;
        // A hole three pixels wide: its far corner has no valid neighbour and takes
        // the mean of the ring filled around it, (1314 + 1364) / 2; filled with the
        // lowest height instead, it would be a 400 m pit with walls.
        QTest::newRow("wide nodata hole") << 4326 << small << 1024 << QPoint(4, 0) << QRect(2, 0, 3, 2) << 1339.0;
        // An infinite height is no height: taken as one, the vertex and every height named near it were infinite.
        QTest::newRow("infinite hole") << 4326 << small << 1024 << QPoint(0, 0) << QRect(0, 0, 1, 1)
                                       << (knownHeight(1, 0) + knownHeight(0, 1) + knownHeight(1, 1)) / 3.0;
    }

    void demSurface()
    {
        QFETCH(int, epsg);
        QFETCH(QSize, size);
        QFETCH(QPoint, pixel);
        QFETCH(QRect, hole);
        QFETCH(double, elevation);
        const float holeValue = QByteArray(QTest::currentDataTag()).startsWith("infinite") ? INFINITY : nodataValue;
        QVERIFY(writeGeoTiff(path(), Raster{epsg, size, true, {}, hole, holeValue}));
        QString error;
        QFETCH(int, maxVerticesPerSide);
        const auto terrain = loadDemTerrain(path(), error, maxVerticesPerSide);
        QVERIFY2(terrain && !terrain->synthetic, qPrintable(error));
        // Unthinned, one mesh of every pixel; thinned, the coarsest tiles of a pyramid are no larger.
        const osg::Geode* mesh = terrain->node->asGeode();
        QVERIFY(!mesh || mesh->getDrawable(0)->asGeometry()->getVertexArray()->getNumElements() <=
                             unsigned(maxVerticesPerSide * maxVerticesPerSide));
        // Unthinned, the origin is the centre pixel at its height; 1e-7 degrees is about a centimetre.
        const osg::ref_ptr<TerrainManager> manager = TerrainManager::instance();
        const auto [latitude, longitude] = pixelLatLon(epsg, 2, 2);
        QVERIFY(size != small || std::hypot(manager->getOriginLatitude() - latitude,
                                            manager->getOriginLongitude() - longitude) < 1e-7);
        QVERIFY(size != small || std::abs(manager->getOriginHeight() - knownHeight(2, 2)) < metreTolerance);
        QCOMPARE(terrain->originHeight, manager->getOriginHeight());
        const double offset = surfaceOffsetAtPixel(terrain->node.get(), epsg, pixel.x(), pixel.y(), elevation);
        QVERIFY2(std::abs(offset) < metreTolerance, qPrintable(QString::number(offset)));
    }

    // Thinned, a DEM is a tile pyramid: loaded down to its finest tiles (as
    // the pager does near the eye), the mesh passes through every pixel at its own height.
    void pyramidReachesEveryPixel_data()
    {
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<bool>("overviews");
        // Odd pixels of the rough raster stand 40 m and 25 m above their neighbours: off the coarse stride.
        QTest::newRow("an odd pixel") << QPoint(1, 1) << false;
        QTest::newRow("the far corner") << QPoint(40, 30) << false;
        QTest::newRow("inside a tile, off every coarser stride") << QPoint(17, 13) << false;
        // The coarsest level comes from the file's overviews; the finest still from its own pixels.
        QTest::newRow("overviews: in the far corner's cell") << QPoint(38, 29) << true;
        QTest::newRow("overviews: an odd pixel inside") << QPoint(17, 13) << true;
    }

    void pyramidReachesEveryPixel()
    {
        QFETCH(QPoint, pixel);
        QFETCH(bool, overviews);
        Raster raster{32610, QSize(41, 31), true, {}, {}, nodataValue, true};
        raster.overviews = overviews;
        QVERIFY(writeGeoTiff(path(), raster));
        QString error;
        const auto terrain = loadDemTerrain(path(), error, 8);
        QVERIFY2(terrain, qPrintable(error));
        // Far away the coarsest level stands where the DEM is, give or take the relief of the 4 x 4 pixels an
        // overview pixel summarises (400 m here); read from the wrong overview pixels it strays by kilometres.
        const double height = heightOf(raster, pixel.x(), pixel.y());
        const double coarsest = surfaceOffsetAtPixel(terrain->node.get(), 32610, pixel.x(), pixel.y(), height);
        QVERIFY2(std::abs(coarsest) < 4 * (100 + 7 + 40 + 25), qPrintable(QString::number(coarsest)));
        loadAllTiles(terrain->node.get());
        const double offset = surfaceOffsetAtPixel(terrain->node.get(), 32610, pixel.x(), pixel.y(), height);
        QVERIFY2(std::abs(offset) < metreTolerance, qPrintable(QString::number(offset)));
    }

    // A finer tile with nothing of its own to show (all nodata, or the file gone since it was opened) shows
    // the coarsest level's surface, not a hole; and a file that cannot be read is not asked for finer tiles again.
    void finerTilesLeaveNoHole_data()
    {
        QTest::addColumn<QRect>("hole");
        QTest::addColumn<bool>("fileGone");
        QTest::newRow("nodata wider than the finest tiles") << QRect(8, 6, 24, 18) << false;
        QTest::newRow("the file gone after opening") << QRect() << true;
    }

    void finerTilesLeaveNoHole()
    {
        QFETCH(QRect, hole);
        QVERIFY(writeGeoTiff(path(), Raster{32610, QSize(41, 31), true, {}, hole, nodataValue, true}));
        QString error;
        const auto terrain = loadDemTerrain(path(), error, 8);
        QVERIFY2(terrain, qPrintable(error));
        // A pixel the coarsest level samples (every 6th): every level's surface passes there at one height.
        const QPoint pixel(18, 12);
        const double coarsest = surfaceOffsetAtPixel(terrain->node.get(), 32610, pixel.x(), pixel.y(), 0.0);
        QVERIFY(std::isfinite(coarsest));
        QFETCH(bool, fileGone);
        if (fileGone)
            QVERIFY(QFile::remove(path()));
        loadAllTiles(terrain->node.get());
        const double finest = surfaceOffsetAtPixel(terrain->node.get(), 32610, pixel.x(), pixel.y(), 0.0);
        // The probe passes a centimetre beside the vertex, where the filled hole slopes by metres a metre.
        QVERIFY2(std::abs(finest - coarsest) < 1.0, qPrintable(QString::number(finest - coarsest)));
        // Tiles side by side meet, inside the hole too: where two share a place, the top of each (above its
        // curtain) is at one height there.
        std::map<std::pair<long, long>, std::map<const osg::Geode*, double>> tops; // by x, y in millimetres
        const auto highest = [&](const osg::Vec3d& position, const osg::Vec3&, const osg::Geode* tile) {
            double& top = tops[{std::lround(position.x() * 1e3), std::lround(position.y() * 1e3)}]
                              .try_emplace(tile, position.z())
                              .first->second;
            top = std::max(top, position.z());
        };
        forEachFinestVertex(terrain->node.get(), highest);
        int steps = 0;
        for (const auto& [place, byTile] : tops)
            for (const auto& [tile, z] : byTile)
                steps += std::abs(z - byTile.begin()->second) > metreTolerance ? 1 : 0;
        QCOMPARE(steps, 0);
        int unanswered = 0;
        forEachPagedTile(terrain->node.get(), [&](const osg::PagedLOD& tile) {
            unanswered += tile.getNumChildren() < tile.getNumFileNames() ? 1 : 0;
        });
        QCOMPARE(unanswered, 0);
    }

    // Full-resolution tiles side by side give their shared edge one normal:
    // from their own samples alone, each edge showed as a line of light or shade.
    void neighbouringTilesShadeAlike()
    {
        QVERIFY(writeGeoTiff(path(), Raster{32610, QSize(41, 31), true, {}, {}, nodataValue, true}));
        QString error;
        const auto terrain = loadDemTerrain(path(), error, 8);
        QVERIFY2(terrain, qPrintable(error));
        loadAllTiles(terrain->node.get());
        std::map<std::array<long, 3>, osg::Vec3> normalAt; // by position in millimetres
        int shared = 0;
        int unlike = 0;
        forEachFinestVertex(terrain->node.get(), [&](const osg::Vec3d& position, const osg::Vec3& normal, auto) {
            const std::array<long, 3> key{std::lround(position.x() * 1e3), std::lround(position.y() * 1e3),
                                          std::lround(position.z() * 1e3)};
            const auto [it, added] = normalAt.emplace(key, normal);
            shared += added ? 0 : 1;
            unlike += !added && (it->second - normal).length() > 1e-3 ? 1 : 0;
        });
        QVERIFY(shared > 0);
        QCOMPARE(unlike, 0);
    }

    // Curtains hang below the edges tiles share, to hide the gaps between levels; where such an edge meets
    // the DEM's own outer edge, nothing may hang below that edge (it showed as a row of ticks under the DEM).
    void nothingHangsBelowTheOuterEdge()
    {
        const Raster raster{32610, QSize(41, 31), true, {}, {}, nodataValue, true};
        QVERIFY(writeGeoTiff(path(), raster));
        QString error;
        const auto terrain = loadDemTerrain(path(), error, 8);
        QVERIFY2(terrain, qPrintable(error));
        loadAllTiles(terrain->node.get());
        std::vector<osg::Vec3d> edge; // the last row's pixel centres, where the terrain ends
        for (int column = 0; column < raster.size.width(); ++column) {
            const auto [latitude, longitude] = pixelLatLon(32610, column, raster.size.height() - 1);
            gmtl::Vec<double, 3> local;
            TerrainManager::instance()->convertGdcToTerrainLocal(
                gmtl::Vec<double, 3>(latitude, longitude, heightOf(raster, column, raster.size.height() - 1)), local);
            edge.emplace_back(local[0], local[1], local[2]);
        }
        int below = 0;
        forEachFinestVertex(
            terrain->node.get(),
            [&](const osg::Vec3d& position, const osg::Vec3&, auto) {
                for (const osg::Vec3d& e : edge)
                    below += std::hypot(position.x() - e.x(), position.y() - e.y()) < 0.01 &&
                                     position.z() < e.z() - metreTolerance
                                 ? 1
                                 : 0;
            },
            false);
        QCOMPARE(below, 0);
    }

    void demRefusals_data()
    {
        QTest::addColumn<Raster>("raster");
        QTest::addColumn<QString>("reason");
        // Pixels with no place on the Earth cannot be put in the local frame.
        QTest::newRow("no geotransform") << Raster{4326, small, false, {}, {}} << "no georeferencing";
        QTest::newRow("geotransform but no crs") << Raster{4326, small, true, "none", {}} << "no spatial reference";
        QTest::newRow("engineering crs") << Raster{4326, small, true, siteGrid, {}} << "cannot be transformed to WGS84";
        // A single pixel makes no triangle.
        QTest::newRow("one pixel") << Raster{4326, QSize(1, 1), true, {}, {}} << "at least 2 x 2";
        QTest::newRow("only nodata") << Raster{4326, small, true, {}, QRect(QPoint(), small)} << "no valid elevation";
        QTest::newRow("only infinities") << Raster{4326, small, true, {}, QRect(QPoint(), small), -INFINITY}
                                         << "no valid elevation";
    }

    // The fraction read reaches the progress bar, and Cancel stops the read.
    void demProgress_data()
    {
        QTest::addColumn<int>("cancelAfter"); // calls answered true before the first false; -1: never false
        QTest::newRow("read to the end") << -1;
        QTest::newRow("cancelled at once") << 0;
        QTest::newRow("cancelled half way") << 3;
    }

    void demProgress()
    {
        QFETCH(int, cancelAfter);
        QVERIFY(writeGeoTiff(path(), Raster{4326, QSize(12, 100), true, {}, {}}));
        std::vector<double> fractions;
        QString error;
        const auto samples = readDemSamples(path(), 1024, error, [&](double fraction) {
            fractions.push_back(fraction);
            return cancelAfter < 0 || int(fractions.size()) <= cancelAfter;
        });
        // A cancelled read stops at the next report and returns nothing; a whole one reports often, up to 1.
        QCOMPARE(samples.has_value(), cancelAfter < 0);
        QVERIFY(cancelAfter < 0 ? fractions.size() > 4 : int(fractions.size()) == cancelAfter + 1);
        QVERIFY(std::is_sorted(fractions.begin(), fractions.end()) && fractions.back() <= 1.0);
        QVERIFY(cancelAfter >= 0 || fractions.back() == 1.0);
    }

    // The heights named on a DEM are its own at full resolution, at any
    // fractional pixel position (pixel centres at whole numbers).
    void demHeights_data()
    {
        QTest::addColumn<QPointF>("pixel");
        QTest::addColumn<QRect>("hole");
        QTest::addColumn<double>("elevation"); // NaN: none may be named
        // Off by half a pixel, every named height was 50 m out along a row.
        QTest::newRow("on a pixel centre") << QPointF(2, 1) << QRect() << knownHeight(2, 1);
        QTest::newRow("between four pixels: bilinear, not the nearest")
            << QPointF(2.25, 1.5) << QRect() << knownHeight(2, 1) + 25.0 + 3.5;
        // Read in windows of 256 pixels: both sides of a seam must come from the right window.
        QTest::newRow("across a window seam") << QPointF(255.5, 2) << QRect() << knownHeight(255, 2) + 50.0;
        QTest::newRow("a nodata neighbour left out") << QPointF(2.5, 1) << QRect(3, 1, 1, 1) << knownHeight(2, 1);
        // Beyond the outermost pixel centres the DEM says nothing; a clamped read would invent a height there.
        QTest::newRow("beyond the last pixel centre") << QPointF(299.6, 1) << QRect() << double(NAN);
    }

    void demHeights()
    {
        QFETCH(QPointF, pixel);
        QFETCH(QRect, hole);
        QFETCH(double, elevation);
        QVERIFY(writeGeoTiff(path(), Raster{4326, QSize(300, 4), true, {}, hole}));
        QString error;
        const std::shared_ptr<DemHeightField> heights = DemHeightField::open(path(), error);
        QVERIFY2(heights, qPrintable(error));
        const std::array<double, 6> t = geoTransform(4326);
        const double height = heights->heightAt(t[3] + (pixel.y() + 0.5) * t[5], t[0] + (pixel.x() + 0.5) * t[1]);
        QVERIFY2(std::isnan(elevation) ? std::isnan(height) : std::abs(height - elevation) < metreTolerance,
                 qPrintable(QString::number(height, 'f', 3)));
    }

    // Where the line of sight meets the DEM, from a hit on a coarser mesh: the
    // eye at 1000 m looks down at 45 degrees onto a mesh hit at height 0.
    void rayRefinement_data()
    {
        QTest::addColumn<double>("ground"); // the DEM's level there, metres; NaN: unknown
        // Returning the mesh's point named a height 50 m off the DEM.
        QTest::newRow("mesh above the ground: on to it") << -50.0;
        QTest::newRow("mesh below the ground: back to it") << 50.0;
        // Where the DEM says nothing no point is named, rather than a NaN one.
        QTest::newRow("ground unknown") << double(NAN);
    }

    void rayRefinement()
    {
        QFETCH(double, ground);
        const osg::Vec3d eye(0.0, 0.0, 1000.0);
        const auto hit = refineRayHit(eye, osg::Vec3d(1000.0, 0.0, 0.0), 1.0,
                                      [ground](const osg::Vec3d& p) { return p.z() - ground; });
        QCOMPARE(hit.has_value(), !std::isnan(ground));
        // On the line of sight (x + z = 1000) and on the ground, to the centimetre.
        QVERIFY(!hit || (std::abs(hit->z() - ground) < 0.01 && std::abs(hit->x() + hit->z() - 1000.0) < 0.01));
    }

    // The near and far planes for an eye aboveGround over the terrain and
    // aboveEllipsoid over WGS84, whose farthest terrain point lies farthest away (metres).
    void depthRange_data()
    {
        QTest::addColumn<double>("aboveGround");
        QTest::addColumn<double>("aboveEllipsoid");
        QTest::addColumn<double>("farthest");
        // A far plane fixed at 1000 km cut off a DEM of a few degrees and hid one of ten.
        QTest::newRow("20 degree DEM from 20 m") << 20.0 << 1500.0 << 2.5e6;
        QTest::newRow("high above: the earth's horizon") << 1e5 << 1e5 << 2e5;
        QTest::newRow("unknown heights: still a range") << double(NAN) << double(NAN) << double(NAN);
    }

    void depthRange()
    {
        QFETCH(double, aboveGround);
        QFETCH(double, aboveEllipsoid);
        QFETCH(double, farthest);
        const DepthRange range = depthRangeFor(aboveGround, aboveEllipsoid, farthest);
        QVERIFY(std::isfinite(range.zFar) && range.zNear > 0.0 && range.zNear < range.zFar);
        // The ground under the eye is not clipped; all the terrain and the horizon are within reach.
        QVERIFY(std::isnan(aboveGround) || range.zNear < aboveGround);
        const double horizon = std::sqrt(aboveEllipsoid * (2.0 * 6378137.0 + aboveEllipsoid));
        QVERIFY(std::isnan(farthest) || (range.zFar >= farthest && range.zFar >= horizon));
    }

    void demRefusals()
    {
        QFETCH(Raster, raster);
        QFETCH(QString, reason);
        QVERIFY(writeGeoTiff(path(), raster));
        // A refused file must leave the current terrain's georeference alone.
        const osg::ref_ptr<TerrainManager> manager = TerrainManager::instance();
        manager->setOrigin(10.0, 20.0, 30.0);
        QString error;
        QVERIFY(!loadDemTerrain(path(), error));
        QVERIFY2(error.contains(reason, Qt::CaseInsensitive), qPrintable(error));
        QVERIFY(manager->getOriginLatitude() == 10.0 && manager->getOriginLongitude() == 20.0 &&
                manager->getOriginHeight() == 30.0);
    }

    void demLoadErrorNamesTheFileOnce_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("message");
        // The reader's own sentences name the file already: "Cannot load" in front named it twice.
        QTest::newRow("reason names the path") << "File not found: /d/a.tif" << "File not found: /d/a.tif";
        QTest::newRow("reason names the file name") << "a.tif has no georeferencing" << "a.tif has no georeferencing";
        QTest::newRow("reason names no file") << "out of memory" << "Cannot load /d/a.tif: out of memory";
        // A longer name that ends in the file's name is another file.
        QTest::newRow("only a longer name") << "no data.tif" << "Cannot load /d/a.tif: no data.tif";
    }
    void demLoadErrorNamesTheFileOnce()
    {
        QFETCH(QString, reason);
        QTEST(demLoadErrorText("/d/a.tif", reason), "message");
    }

    void freePartOfTheView_data()
    {
        QTest::addColumn<QList<QRectF>>("covers");
        QTest::addColumn<QRectF>("free"); // in a 1000 x 600 view
        QTest::newRow("no panel: all of it") << QList<QRectF>{} << QRectF(0, 0, 1000, 600);
        QTest::newRow("panel at the right") << QList<QRectF>{{600, 10, 390, 500}} << QRectF(0, 0, 600, 600);
        // A panel rolled up to its title bar frees all below it.
        QTest::newRow("title bar only") << QList<QRectF>{{600, 10, 390, 20}} << QRectF(0, 30, 1000, 570);
        QTest::newRow("two panels, one reaching out of the view")
            << QList<QRectF>{{700, 0, 400, 600}, {400, 0, 300, 200}} << QRectF(0, 200, 700, 400);
        // Too little room to frame anything in: the terrain goes behind the panel rather than shrink to a dot.
        QTest::newRow("panel over nearly all") << QList<QRectF>{{100, 0, 900, 600}} << QRectF(0, 0, 1000, 600);
    }
    void freePartOfTheView()
    {
        QFETCH(QList<QRectF>, covers);
        QTEST(largestFreeRect(QRectF(0, 0, 1000, 600), std::vector<QRectF>(covers.begin(), covers.end())), "free");
    }

    void framingShowsAllOfTheTerrainInItsPart_data()
    {
        QTest::addColumn<QRectF>("area"); // fractions of the view from its top left
        QTest::addColumn<double>("aspect");
        QTest::newRow("whole view") << QRectF(0, 0, 1, 1) << 1.6;
        QTest::newRow("left part, tall and narrow") << QRectF(0, 0, 0.3, 1) << 1.6;
        QTest::newRow("lower right quarter") << QRectF(0.5, 0.5, 0.5, 0.5) << 0.8;
    }
    void framingShowsAllOfTheTerrainInItsPart()
    {
        QFETCH(QRectF, area);
        QFETCH(double, aspect);
        // A terrain 30 km by 20 km rising 4 km, seen from the south and 40 degrees above, as the viewer does.
        const osg::BoundingBox terrain(-15000, -10000, 500, 15000, 10000, 4500);
        const osg::Vec3d target(0, 0, 1000), forward(0, std::cos(0.698), -std::sin(0.698));
        const osg::Vec3d eye = framingEye(terrain, target, forward, 45.0, aspect, area);
        const osg::Matrixd toView = osg::Matrixd::lookAt(eye, eye + forward, osg::Vec3d(0, 0, 1)) *
                                    osg::Matrixd::perspective(45.0, aspect, 1.0, 1e6);
        // Each corner inside the area (as fractions, y down), one of them at its margin: not farther than needed.
        double gap = 1.0;
        for (unsigned i = 0; i < 8; ++i) {
            const osg::Vec3d ndc = terrain.corner(i) * toView;
            const QPointF at((ndc.x() + 1) / 2, (1 - ndc.y()) / 2);
            QVERIFY2(area.contains(at), qPrintable(QString("corner %1 at %2, %3").arg(i).arg(at.x()).arg(at.y())));
            gap = std::min({gap, (at.x() - area.left()) / area.width(), (area.right() - at.x()) / area.width(),
                            (at.y() - area.top()) / area.height(), (area.bottom() - at.y()) / area.height()});
        }
        QVERIFY2(gap < 0.05, qPrintable(QString::number(gap)));
    }

private:
    QString path() const { return directory.filePath("dem.tif"); }
    QTemporaryDir directory;
};

QTEST_GUILESS_MAIN(TestViewerHelpers)
#include "tst_viewerhelpers.moc"
