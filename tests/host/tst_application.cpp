#include <velmora/application/Application.h>

#include <QtTest>

#include <cmath>

using velmora::application::Application;

Q_DECLARE_METATYPE(osg::Vec3d)

namespace {

osg::Vec3d lookDirection(const Application& app)
{
    osg::Vec3d eye, center, up;
    app.getViewer()->getCamera()->getViewMatrixAsLookAt(eye, center, up, 1.0);
    return center - eye;
}

osg::Vec3d eyeOf(const Application& app)
{
    return app.getViewer()->getCamera()->getInverseViewMatrix().getTrans();
}

bool near(const osg::Vec3d& a, const osg::Vec3d& b, double tolerance = 1e-6)
{
    return (a - b).length() < tolerance;
}

} // namespace

class TestApplication : public QObject
{
    Q_OBJECT

private slots:
    void instanceIsTheLatestLiving();
    void windowHasTheAskedSize();
    void warpKeepsTheLookDirection_data();
    void warpKeepsTheLookDirection();
    void warpToStartReturnsToTheStartView();
    void terrainPointUnderMouseSaysWhenThereIsNone();
};

void TestApplication::instanceIsTheLatestLiving()
{
    QCOMPARE(Application::instance(), nullptr);
    {
        Application app(320, 200);
        QCOMPARE(Application::instance(), &app);
    }
    QCOMPARE(Application::instance(), nullptr);
}

void TestApplication::windowHasTheAskedSize()
{
    Application app(640, 480);
    int x, y, width, height;
    app.getGraphicsWindow()->getWindowRectangle(x, y, width, height);
    QCOMPARE(width, 640);
    QCOMPARE(height, 480);
    QVERIFY(app.getSceneData().valid());
    QCOMPARE(app.getViewer()->getSceneData(), app.getSceneData().get());

    // A zero-sized window would give a degenerate projection; it is kept at one pixel.
    app.resize(0, 0);
    app.getGraphicsWindow()->getWindowRectangle(x, y, width, height);
    QCOMPARE(width, 1);
    QCOMPARE(height, 1);
}

void TestApplication::warpKeepsTheLookDirection_data()
{
    QTest::addColumn<osg::Vec3d>("center");
    QTest::addColumn<osg::Vec3d>("target");

    QTest::newRow("looking north, level") << osg::Vec3d(0, 100, 0) << osg::Vec3d(500, -20, 30);
    // The direction is a heading and a pitch; both must survive the warp.
    QTest::newRow("looking east and down") << osg::Vec3d(100, 0, -50) << osg::Vec3d(-1000, 2000, 800);
    QTest::newRow("looking south-west") << osg::Vec3d(-70, -70, 10) << osg::Vec3d(0, 0, 0);
}

void TestApplication::warpKeepsTheLookDirection()
{
    QFETCH(osg::Vec3d, center);
    QFETCH(osg::Vec3d, target);

    Application app;
    app.setStartView(osg::Vec3d(0, 0, 0), center, osg::Vec3d(0, 0, 1));
    osg::Vec3d before = lookDirection(app);
    app.warpToPosition(target);

    QVERIFY(near(eyeOf(app), target, 1e-6));
    osg::Vec3d after = lookDirection(app);
    before.normalize();
    after.normalize();
    QVERIFY2(near(before, after, 1e-9), "the camera turned while warping");
}

void TestApplication::warpToStartReturnsToTheStartView()
{
    Application app;
    const osg::Vec3d start(10, -2000, 650);
    app.setStartView(start, start + osg::Vec3d(0, 1, -0.2), osg::Vec3d(0, 0, 1));
    QVERIFY(near(app.getStartPosition(), start));

    app.warpToPosition(osg::Vec3d(5000, 5000, 5000));
    QVERIFY(!near(eyeOf(app), start));
    app.warpToStart();
    QVERIFY(near(eyeOf(app), start));
    QVERIFY(near(app.getStartPosition(), start));
}

void TestApplication::terrainPointUnderMouseSaysWhenThereIsNone()
{
    Application app;
    QVERIFY(!app.hasTerrainPointUnderMouse());
    QVERIFY(std::isnan(app.getTerrainPointUnderMouse().x()));

    app.setTerrainPointUnderMouse(osg::Vec3d(1, 2, 3));
    QVERIFY(app.hasTerrainPointUnderMouse());
    QCOMPARE(app.getTerrainPointUnderMouse(), osg::Vec3d(1, 2, 3));

    // A press on the sky must not leave the previous hit behind.
    app.clearTerrainPointUnderMouse();
    QVERIFY(!app.hasTerrainPointUnderMouse());
}

QTEST_GUILESS_MAIN(TestApplication)
#include "tst_application.moc"
