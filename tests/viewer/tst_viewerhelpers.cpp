#include "DevicePixelMapping.h"
#include "PluginMetadata.h"
#include "ViewerOptions.h"

#include <QJsonObject>
#include <QLocale>
#include <QTest>

using velmora::viewer::DevicePixelMapping;
using velmora::viewer::PluginMetadata;
using velmora::viewer::ViewerOptions;

Q_DECLARE_METATYPE(ViewerOptions::Outcome)

class TestViewerHelpers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<ViewerOptions::Outcome>("outcome");
        QTest::addColumn<QString>("dem");
        QTest::addColumn<QString>("plugins");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("screenshot");
        QTest::addColumn<int>("frames");

        const auto run = ViewerOptions::Outcome::Run;
        const auto error = ViewerOptions::Outcome::Error;
        const QSize defaultSize; // invalid: fit the screen
        QTest::newRow("no arguments") << QStringList{} << run << "" << "" << defaultSize << "" << 0;
        QTest::newRow("everything") << QStringList{"--dem", "a.tif", "--plugins", "/p", "--size", "800x600",
                                                   "--screenshot", "s.png", "--frames", "30"}
                                    << run << "a.tif" << "/p" << QSize(800, 600) << "s.png" << 30;
        QTest::newRow("size with capital X") << QStringList{"--size", "640X480"} << run << "" << "" << QSize(640, 480)
                                             << "" << 0;
        // Not -s -i -z -e, as Qt's parser reads a single dash by default.
        QTest::newRow("single-dash long option") << QStringList{"-size", "800x600"} << run << "" << "" << QSize(800, 600)
                                                 << "" << 0;
        QTest::newRow("screenshot as JPEG") << QStringList{"--screenshot", "s.jpg"} << run << "" << "" << defaultSize
                                            << "s.jpg" << 0;
        const auto refused = [&](const char* name, const QStringList& arguments) {
            QTest::newRow(name) << arguments << error << "" << "" << defaultSize << "" << 0;
        };
        refused("unknown option", {"--colour"});
        refused("dem without file", {"--dem"});
        refused("size without x", {"--size", "800"});
        refused("size too small", {"--size", "10x10"});
        refused("frames zero", {"--frames", "0"});
        refused("frames not a number", {"--frames", "many"});
        refused("stray argument", {"terrain.tif"});
        // The first would be silently dropped.
        refused("dem twice", {"--dem", "a.tif", "--dem", "b.tif"});
        // No format to write it in: the picture would not be what its name says.
        refused("screenshot without image suffix", {"--screenshot", "view.txt"});
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(ViewerOptions::Outcome, outcome);
        arguments.prepend(QStringLiteral("velmora_viewer"));

        ViewerOptions options;
        QString message;
        QCOMPARE(ViewerOptions::parse(arguments, options, message), outcome);
        if (outcome == ViewerOptions::Outcome::Error) {
            QVERIFY2(!message.isEmpty(), "an error says what is wrong");
            return;
        }
        QTEST(options.demPath, "dem");
        QTEST(options.pluginDir, "plugins");
        QTEST(options.viewSize, "size");
        QTEST(options.screenshotPath, "screenshot");
        QTEST(options.frames, "frames");
    }

    void pluginMetadata_data()
    {
        QTest::addColumn<QJsonObject>("metaData");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("velmora plugin") << QJsonObject{{"IID", "org.velmora.WidgetPlugin/1.0"}} << true;
        QTest::newRow("other version") << QJsonObject{{"IID", "org.velmora.WidgetPlugin/2.0"}} << false;
        QTest::newRow("no Qt plugin") << QJsonObject{} << false;
    }

    void pluginMetadata()
    {
        QFETCH(QJsonObject, metaData);
        QFETCH(bool, accepted);
        const PluginMetadata metadata(metaData);
        // A prefix is not enough: the version belongs to the interface.
        QCOMPARE(metadata.isWidgetPlugin(), accepted);
        QCOMPARE(metadata.rejectionReason().isEmpty(), accepted);
    }

    void devicePixels_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QPointF>("logical");
        QTest::addColumn<QSize>("physicalSize");
        QTest::addColumn<QPointF>("glWindow");
        // A 100 x 50 logical view.
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
        // Exact binary fractions: compared exactly.
        QTEST(mapping.toGlWindow(logical), "glWindow");
    }
};

QTEST_GUILESS_MAIN(TestViewerHelpers)
#include "tst_viewerhelpers.moc"
