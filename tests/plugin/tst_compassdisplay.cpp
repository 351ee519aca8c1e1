#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include <velmora/application/plugin/FrameUpdatePlugin.h>
#include <velmora/application/plugin/MouseHandlerPlugin.h>
#include <velmora/terrain/TerrainManager.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsProxyWidget>
#include <QLabel>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QtTest>

#include <osg/Geode>
#include <osg/MatrixTransform>
#include <osg/Projection>
#include <osg/ShapeDrawable>
#include <osgText/Text>

#include <memory>

using velmora::application::plugin::FrameUpdatePlugin;
using velmora::application::plugin::MouseHandlerPlugin;
using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;

namespace {
// The worked example's place; the camera stands at the terrain origin.
constexpr double latitude = 45.123456, longitude = -75.654321, elevation = 123.45;
const QString gdcCamera = QStringLiteral("Camera: (  45.123456,  -75.654321,   123.45)");
const QString northHeading = QStringLiteral(", Heading (deg):   0.00");
constexpr double groundZ = -100.0;
constexpr double pixelTolerance = 1.0; // device pixels

template <typename T>
T* child(osg::Group* group, unsigned int i)
{
    return group && i < group->getNumChildren() ? dynamic_cast<T*>(group->getChild(i)) : nullptr;
}
} // namespace

Q_DECLARE_METATYPE(osg::Vec3d)

// The compasses, the frame update and the status bar as the host drives
// them: the plugin loaded into the test host, the HUD read back from the
// scene graph. Runs a second time at device pixel ratio 2.
class TestCompassDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void init()
    {
        host = std::make_unique<TestHost>();
        velmora::terrain::TerrainManager::instance()->setOrigin(latitude, longitude, elevation);
        // The viewer's window counts device pixels, its scene logical ones.
        ratio = host->view().devicePixelRatioF();
        host->application().resize(qRound(TestHost::windowWidth * ratio), qRound(TestHost::windowHeight * ratio));
        look(osg::Vec3d(0, 1, 0));
        plugin = std::make_unique<LoadedCompassPlugin>();
        QVERIFY2(plugin->object(), qPrintable(plugin->errorString()));
        plugin->widgetPlugin()->initialize();
        status = host->mainWindow().statusBar()->findChild<QLabel*>();
        QVERIFY(status);
    }

    void cleanup()
    {
        plugin.reset();
        host.reset();
    }

    void hudRose_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("sizedWhileHidden");
        QTest::addColumn<int>("display"); // Qt::CheckState
        QTest::addColumn<bool>("shown");

        QTest::newRow("start size 15: ring radius 33") << 15 << false << int(Qt::Checked) << true;
        QTest::newRow("size 5: radius 11") << 5 << false << int(Qt::Checked) << true;
        QTest::newRow("size 100: radius 220") << 100 << false << int(Qt::Checked) << true;
        QTest::newRow("unchecked hides") << 15 << false << int(Qt::Unchecked) << false;
        QTest::newRow("partly checked still shows") << 15 << false << int(Qt::PartiallyChecked) << true;
        QTest::newRow("resized while hidden, shown at the new size") << 100 << true << int(Qt::Checked) << true;
    }

    void hudRose()
    {
        QFETCH(int, size);
        QFETCH(bool, sizedWhileHidden);
        QFETCH(int, display);

        auto* projection = child<osg::Projection>(host->application().getSceneData().get(), 0);
        QVERIFY(projection);
        QCOMPARE(projection->getName(), std::string("HUD Projection"));
        QCOMPARE(projection->getNodeMask(), 0x1u);
        auto* modelView = child<osg::MatrixTransform>(projection, 0);
        QVERIFY(modelView && modelView->getName() == "HUD Model View Matrix");
        QCOMPARE(modelView->getReferenceFrame(), osg::Transform::ABSOLUTE_RF);
        QVERIFY(modelView->getMatrix().isIdentity());
        auto* position = child<osg::MatrixTransform>(modelView, 0);
        QVERIFY(position && position->getName() == "Compass Position");
        auto* rotation = child<osg::MatrixTransform>(position, 0);
        QVERIFY(rotation && rotation->getStateSet());
        QCOMPARE(rotation->getStateSet()->getMode(GL_DEPTH_TEST), osg::StateAttribute::OFF);
        QCOMPARE(rotation->getStateSet()->getBinNumber(), 11);
        auto* labels = child<osg::Geode>(rotation, 1);
        QVERIFY(labels && labels->getNumDrawables() == 4);
        const QString letters[] = {"N", "W", "E", "S"};
        for (unsigned int i = 0; i < 4; ++i) {
            auto* label = dynamic_cast<osgText::Text*>(labels->getDrawable(i));
            QCOMPARE(QString::fromStdString(label->getText().createUTF8EncodedString()), letters[i]);
            // osgText quietly takes another font when it cannot find the one named.
            QVERIFY2(QString::fromStdString(label->getFont()->getFileName()).endsWith("/LiberationSans-Regular.ttf"),
                     label->getFont()->getFileName().c_str());
        }

        auto* checkBox = plugin->find<QCheckBox>("displayOn3DCheckBox");
        if (sizedWhileHidden)
            checkBox->setCheckState(Qt::Unchecked);
        plugin->find<QSpinBox>("sizeOn3DSpinBox")->setValue(size);
        checkBox->setCheckState(Qt::CheckState(display));
        QCOMPARE(position->getNodeMask(), QTest::currentDataTag() == QLatin1String("unchecked hides") ? 0u : ~0u);
        // The centre sits one ring radius in from the left and bottom edges, at depth -1.
        const double radius = size * 2.2;
        QVERIFY((osg::Vec3d(0, 0, 0) * position->getMatrix() - osg::Vec3d(radius, radius, -1)).length() < 1e-9);
        QVERIFY((osg::Vec3d(2.2, 0, 0) * position->getMatrix() - osg::Vec3d(2 * radius, radius, -1)).length() < 1e-9);
    }

    void frameTurnsTheRoseAndFollowsTheWindow()
    {
        look(osg::Vec3d(1, 0, -0.2));
        host->application().resize(qRound(640 * ratio), qRound(480 * ratio));
        frame();
        QCOMPARE(plugin->find<QLabel>("orientationLabel")->text(), QString("Orientation (deg): 90"));
        auto* projection = child<osg::Projection>(host->application().getSceneData().get(), 0);
        // Facing east, the rose turns a quarter counterclockwise: north to the left.
        auto* rotation = child<osg::MatrixTransform>(child<osg::Group>(child<osg::Group>(projection, 0), 0), 0);
        QVERIFY((osg::Vec3d(0, 1.5, 0) * rotation->getMatrix() - osg::Vec3d(-1.5, 0, 0)).length() < 1e-9);
        // The HUD works in the window's logical pixels.
        QVERIFY(projection->getMatrix() == osg::Matrixd::ortho2D(0, 640, 0, 480));
    }

    void statusTextSystems_data()
    {
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("camera");

        QTest::newRow("GDC deg:min:sec") << "GDC deg:min:sec" << "Camera: (  45º 7'24.44\",  -75º39'15.56\",   123.45)";
        QTest::newRow("GCC") << "GCC" << "Camera: (1116945.41, -4367400.88, 4497126.96)";
        QTest::newRow("UTM: easting and northing truncated") << "UTM" << "Camera: (18T 448540 4996873)";
        QTest::newRow("MGRS") << "MGRS" << "Camera: (18TVQ4854096873)";
        QTest::newRow("Terrain Local") << "Terrain Local" << "Camera: (     0.00,      0.00,      0.00)";
        // Choosing the current system again changes nothing, so nothing is rewritten.
        QTest::newRow("GDC degrees again: no rewrite") << "GDC degrees" << "stale";
    }

    void statusTextSystems()
    {
        QFETCH(QString, system);
        QFETCH(QString, camera);
        frame();
        QCOMPARE(status->text(), gdcCamera + northHeading);
        // With camera and mouse still, only the new choice asks for the rewrite.
        status->setText("stale");
        frame();
        QCOMPARE(status->text(), QString("stale"));
        auto* combo = host->mainWindow().statusBar()->findChild<QComboBox*>();
        combo->setCurrentIndex(combo->findText(system));
        frame();
        QCOMPARE(status->text(), camera == "stale" ? camera : camera + northHeading);
    }

    void cursorPart_data()
    {
        QTest::addColumn<osg::Vec3d>("look");
        QTest::addColumn<QPoint>("cursor"); // logical pixels; null: no mouse move
        QTest::addColumn<bool>("dialog");   // a dialog opens over the cursor after the move
        QTest::addColumn<bool>("onTerrain");

        const osg::Vec3d north(0, 1, 0);
        // Looking down, every pixel shows terrain; still, no cursor means no cursor part.
        QTest::newRow("no mouse move yet") << osg::Vec3d(0, 1, -2) << QPoint() << false << false;
        QTest::newRow("over the terrain") << north << QPoint(640, 600) << false << true;
        QTest::newRow("over the sky") << north << QPoint(640, 100) << false << false;
        QTest::newRow("over a host dialog") << north << QPoint(640, 600) << true << false;
    }

    void cursorPart()
    {
        QFETCH(osg::Vec3d, look);
        QFETCH(QPoint, cursor);
        QFETCH(bool, dialog);
        QFETCH(bool, onTerrain);

        osg::ref_ptr<osg::Geode> ground = new osg::Geode;
        ground->addDrawable(new osg::ShapeDrawable(new osg::Box(osg::Vec3(0, 0, groundZ - 1), 1e5f, 1e5f, 2)));
        host->application().getSceneData()->addChild(ground);
        this->look(look);
        auto* combo = host->mainWindow().statusBar()->findChild<QComboBox*>();
        combo->setCurrentIndex(combo->findText("Terrain Local"));
        if (!cursor.isNull()) {
            QMouseEvent move(QEvent::MouseMove, cursor, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            mouse()->handleMouseMove(&move, &host->scene());
        }
        if (dialog)
            host->showAsDialog(new QLabel("over the cursor"), cursor.x() - 50, cursor.y() - 50)->resize(100, 100);
        frame();

        const QRegularExpressionMatch match =
            QRegularExpression(R"(Cursor: \( *(\S+), +(\S+), +(\S+)\))").match(status->text());
        QCOMPARE(match.hasMatch(), onTerrain);
        if (!onTerrain)
            return;
        // The point named lies on the ground and, projected back, under the cursor.
        const osg::Vec3d point(match.captured(1).toDouble(), match.captured(2).toDouble(), match.captured(3).toDouble());
        QVERIFY(std::abs(point.z() - groundZ) < 0.01);
        const osg::Camera* camera = host->application().getViewer()->getCamera();
        const osg::Vec3d window = point * camera->getViewMatrix() * camera->getProjectionMatrix() *
                                  camera->getViewport()->computeWindowMatrix();
        const double windowHeight = TestHost::windowHeight * ratio;
        QVERIFY2(std::abs(window.x() - cursor.x() * ratio) < pixelTolerance * ratio &&
                     std::abs(window.y() - (windowHeight - cursor.y() * ratio)) < pixelTolerance * ratio,
                 qPrintable(QString("%1 %2").arg(window.x()).arg(window.y())));
    }

    void rewritesOnlyWhenTheViewOrTheCursorChanged()
    {
        frame();
        status->setText("stale");
        frame();
        QCOMPARE(status->text(), QString("stale"));
        QMouseEvent move(QEvent::MouseMove, QPoint(10, 10), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        mouse()->handleMouseMove(&move, &host->scene());
        frame();
        QVERIFY(status->text().startsWith("Camera: ("));
        // The request is used up by that rewrite.
        status->setText("stale");
        frame();
        QCOMPARE(status->text(), QString("stale"));
        look(osg::Vec3d(0, 1, -1e-12));
        frame();
        QVERIFY(status->text().startsWith("Camera: ("));
    }

private:
    void look(const osg::Vec3d& direction)
    {
        host->application().setStartView(osg::Vec3d(), direction, osg::Vec3d(0, 0, 1));
    }
    void frame()
    {
        static_cast<FrameUpdatePlugin*>(plugin->object()->qt_metacast("velmora::application::plugin::FrameUpdatePlugin"))
            ->frameUpdate();
    }
    MouseHandlerPlugin* mouse() const
    {
        return static_cast<MouseHandlerPlugin*>(
            plugin->object()->qt_metacast("velmora::application::plugin::MouseHandlerPlugin"));
    }

    std::unique_ptr<TestHost> host;
    std::unique_ptr<LoadedCompassPlugin> plugin;
    QLabel* status = nullptr;
    double ratio = 1.0;
};

QTEST_MAIN(TestCompassDisplay)
#include "tst_compassdisplay.moc"
