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
        const QSize defaultSize(1280, 720);
        QTest::newRow("no arguments") << QStringList{} << run << "" << "" << defaultSize << "" << 0;
        QTest::newRow("everything") << QStringList{"--dem", "a.tif", "--plugins", "/p", "--size", "800x600",
                                                   "--screenshot", "s.png", "--frames", "30"}
                                    << run << "a.tif" << "/p" << QSize(800, 600) << "s.png" << 30;
        QTest::newRow("size with capital X") << QStringList{"--size", "640X480"} << run << "" << "" << QSize(640, 480)
                                             << "" << 0;
        QTest::newRow("help") << QStringList{"--help"} << ViewerOptions::Outcome::ShowHelp << "" << "" << defaultSize
                              << "" << 0;
        QTest::newRow("unknown option") << QStringList{"--colour"} << error << "" << "" << defaultSize << "" << 0;
        QTest::newRow("dem without file") << QStringList{"--dem"} << error << "" << "" << defaultSize << "" << 0;
        QTest::newRow("size without x") << QStringList{"--size", "800"} << error << "" << "" << defaultSize << "" << 0;
        QTest::newRow("size too small") << QStringList{"--size", "10x10"} << error << "" << "" << defaultSize << ""
                                        << 0;
        QTest::newRow("size negative") << QStringList{"--size", "-800x600"} << error << "" << "" << defaultSize << ""
                                       << 0;
        QTest::newRow("frames zero") << QStringList{"--frames", "0"} << error << "" << "" << defaultSize << "" << 0;
        QTest::newRow("frames not a number") << QStringList{"--frames", "many"} << error << "" << "" << defaultSize
                                             << "" << 0;
        QTest::newRow("stray argument") << QStringList{"terrain.tif"} << error << "" << "" << defaultSize << "" << 0;
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
        if (outcome == ViewerOptions::Outcome::ShowHelp) {
            QVERIFY(message.contains(QStringLiteral("--screenshot")));
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
        QTest::newRow("other Qt plugin") << QJsonObject{{"IID", "org.qt-project.Qt.QImageIOHandlerFactoryInterface"}}
                                         << false;
        QTest::newRow("no Qt plugin") << QJsonObject{} << false;
    }

    void pluginMetadata()
    {
        QFETCH(QJsonObject, metaData);
        QFETCH(bool, accepted);
        const PluginMetadata metadata(metaData);
        QCOMPARE(metadata.isWidgetPlugin(), accepted);
        QCOMPARE(metadata.rejectionReason().isEmpty(), accepted);
    }

    void devicePixels_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QPointF>("logical");
        QTest::addColumn<QSize>("physicalSize");
        QTest::addColumn<QPointF>("physical");
        QTest::addColumn<QPointF>("glWindow");
        // A 100 x 50 logical view.
        QTest::newRow("ratio 1, top left") << 1.0 << QPointF(0, 0) << QSize(100, 50) << QPointF(0, 0)
                                           << QPointF(0.5, 49.5);
        QTest::newRow("ratio 1, bottom right") << 1.0 << QPointF(99, 49) << QSize(100, 50) << QPointF(99, 49)
                                               << QPointF(99.5, 0.5);
        QTest::newRow("ratio 2") << 2.0 << QPointF(10, 20) << QSize(200, 100) << QPointF(20, 40)
                                 << QPointF(20.5, 59.5);
        QTest::newRow("ratio 1.5") << 1.5 << QPointF(3, 4) << QSize(150, 75) << QPointF(4.5, 6) << QPointF(4.5, 68.5);
        QTest::newRow("ratio 0 taken as 1") << 0.0 << QPointF(7, 8) << QSize(100, 50) << QPointF(7, 8)
                                            << QPointF(7.5, 41.5);
    }

    void devicePixels()
    {
        QFETCH(double, ratio);
        QFETCH(QPointF, logical);
        QFETCH(QSize, physicalSize);
        QFETCH(QPointF, physical);
        QFETCH(QPointF, glWindow);
        const DevicePixelMapping mapping(ratio, QSize(100, 50));
        QCOMPARE(mapping.physicalSize(), physicalSize);
        // Exact binary fractions: compared exactly.
        QCOMPARE(mapping.toPhysical(logical), physical);
        QCOMPARE(mapping.toGlWindow(logical), glWindow);
    }
};

QTEST_GUILESS_MAIN(TestViewerHelpers)
#include "tst_viewerhelpers.moc"
