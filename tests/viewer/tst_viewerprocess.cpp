#include "TestVrt.h"

#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

// The viewer executable as a user starts it: what only a separate process
// shows (exit codes, refusals before a display is opened, the saved picture).
class TestViewerProcess : public QObject
{
    Q_OBJECT

private slots:
    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("display");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("help") << QStringList{"--help"} << true << 0;
        // The plugins, the window and the scene go down in order, without a crash.
        QTest::newRow("frames, then a clean exit") << QStringList{"--frames", "30", "--size", "480x300"} << true << 0;
        QTest::newRow("missing DEM") << QStringList{"--dem", "/nonexistent/terrain.tif", "--frames", "1"} << true << 2;
        // The width made a row buffer of 8 GB: std::bad_alloc aborted the viewer (134).
        QTest::newRow("absurd width") << QStringList{"--dem", vrt("wide", 1000000000, 47.0), "--frames", "1"} << true
                                      << 2;
        // Every vertex was NaN: the viewer showed sky and called the DEM loaded.
        QTest::newRow("beyond the pole") << QStringList{"--dem", vrt("polar", 10, 95.0), "--frames", "1"} << true << 2;
        // Qt would abort with its platform message before the options were read.
        QTest::newRow("unknown option, no display") << QStringList{"--bogus"} << false << 2;
        QTest::newRow("no display") << QStringList{"--frames", "1"} << false << 2;
        QTest::newRow("screenshot") << QStringList{"--screenshot", outputDir.filePath("view.jpg"), "--size", "640x400"}
                                    << true << 0;
    }

    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, display);
        QFETCH(int, exitCode);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!display)
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                environment.remove(name);
        // With the recording plugin; a crash or a hang counts as exit code -1.
        QProcess viewer;
        viewer.setProcessEnvironment(environment);
        viewer.setProcessChannelMode(QProcess::MergedChannels);
        viewer.start(VELMORA_VIEWER_EXE, QStringList{"--plugins", VELMORA_RECORDING_PLUGIN_DIR} + arguments);
        if (!viewer.waitForFinished(20000))
            viewer.kill();
        viewer.waitForFinished();
        const QByteArray output = viewer.readAll();
        const int exited = viewer.exitStatus() == QProcess::NormalExit ? viewer.exitCode() : -1;
        QVERIFY2(exited == exitCode, output.constData());
        // A refusal tells the user why; help shows the options.
        QVERIFY(exitCode == 0 || output.contains("velmora_viewer"));
        QVERIFY(arguments.first() != "--help" || output.contains("--screenshot"));
        if (arguments.first() != "--screenshot")
            return;
        // Written in the format its name says.
        QCOMPARE(QImageReader::imageFormat(arguments[1]), QByteArray("jpeg"));
        const QImage image = QImage(arguments[1]).convertToFormat(QImage::Format_RGB32);
        // The view is at the window's right, above a status bar about 20 pixels high.
        const QRect view(image.width() - 640, image.height() - 420, 640, 400);
        // Looking down, the top of the view shows the earth beyond the terrain, not sky as if it floated in a void.
        QVERIFY2(!isSky(image.pixel(view.left() + 10, view.top() + 10)), "the earth in the top left corner");
        // Around the middle of the part the recorder's dialog at the right leaves free: lit, varied terrain.
        QSet<QRgb> colours;
        int sky = 0;
        for (int y = view.top() + 170; y < view.top() + 260; y += 3)
            for (int x = view.left() + 120; x < view.left() + 280; x += 3) {
                colours.insert(image.pixel(x, y));
                sky += isSky(image.pixel(x, y)) ? 1 : 0;
            }
        QVERIFY2(sky == 0 && colours.size() > 50, "shaded terrain beside the dialog");
    }

private:
    QString vrt(const QString& name, int side, double north)
    {
        const QString path = outputDir.filePath(name + ".vrt");
        velmora::testing::writeVrt(path, side, north);
        return path;
    }

    // Sky blue as the viewer clears to, give or take the picture's compression.
    static bool isSky(QRgb pixel)
    {
        return std::abs(qRed(pixel) - 135) <= 8 && std::abs(qGreen(pixel) - 186) <= 8 &&
               std::abs(qBlue(pixel) - 235) <= 8;
    }

    QTemporaryDir outputDir;
};

QTEST_GUILESS_MAIN(TestViewerProcess)
#include "tst_viewerprocess.moc"
