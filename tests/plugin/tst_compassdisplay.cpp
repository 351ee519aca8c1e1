#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include <velmora/terrain/TerrainManager.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsProxyWidget>
#include <QLabel>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>

#include <osg/Geode>
#include <osg/MatrixTransform>
#include <osg/Projection>
#include <osg/ShapeDrawable>
#include <osgText/Text>

#include <memory>

using velmora::testing::TestHost;

Q_DECLARE_METATYPE(osg::Vec3d)

// The compasses, the frame update and the status bar as the host drives
// them, the HUD read back from the scene graph. A second run has a device
// pixel ratio of 2, where the window counts twice the logical pixels.
class TestCompassDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { plugin.reset(), host.reset(); }

    void init()
    {
        host = std::make_unique<TestHost>();
        // The worked example's place, with the camera at the terrain origin.
        velmora::terrain::TerrainManager::instance()->setOrigin(45.123456, -75.654321, 123.45);
        ratio = host->view().devicePixelRatioF();
        host->application().resize(qRound(TestHost::windowWidth * ratio), qRound(TestHost::windowHeight * ratio));
        look(osg::Vec3d(0, 1, 0));
        plugin = std::make_unique<velmora::testing::LoadedCompassPlugin>();
        // The status bar's own widgets are its direct children.
        status = host->mainWindow().statusBar()->findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
        combo = host->mainWindow().statusBar()->findChild<QComboBox*>(QString(), Qt::FindDirectChildrenOnly);
    }

    void hudRose_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("sizedWhileHidden");
        QTest::addColumn<int>("display"); // Qt::CheckState; only unchecked hides the rose
        QTest::newRow("start size 15: ring radius 33") << 15 << false << int(Qt::Checked);
        QTest::newRow("size 100: radius 220") << 100 << false << int(Qt::Checked);
        QTest::newRow("unchecked hides") << 15 << false << int(Qt::Unchecked);
        QTest::newRow("partly checked still shows") << 15 << false << int(Qt::PartiallyChecked);
        QTest::newRow("resized while hidden, shown at the new size") << 100 << true << int(Qt::Checked);
    }

    void hudRose()
    {
        QFETCH(int, size);
        QFETCH(int, display);
        auto* projection = dynamic_cast<osg::Projection*>(host->application().getSceneData()->getChild(0));
        QVERIFY(projection && projection->getNodeMask() == 0x1u);
        // In the absolute frame the camera's view does not reach the rose; drawn last, without a depth test.
        QCOMPARE(projection->getChild(0)->asTransform()->getReferenceFrame(), osg::Transform::ABSOLUTE_RF);
        auto* position = static_cast<osg::MatrixTransform*>(projection->getChild(0)->asGroup()->getChild(0));
        auto* rotation = static_cast<osg::MatrixTransform*>(position->getChild(0));
        QVERIFY(rotation->getStateSet()->getMode(GL_DEPTH_TEST) == osg::StateAttribute::OFF &&
                rotation->getStateSet()->getBinNumber() == 11);
        const osg::Geode* labels = rotation->getChild(1)->asGeode();
        for (unsigned int i = 0; i < 4; ++i) {
            const auto* label = static_cast<const osgText::Text*>(labels->getDrawable(i));
            QCOMPARE(label->getText().createUTF8EncodedString(), std::string(1, "NWES"[i]));
            // osgText quietly takes another font when it cannot find the one named.
            QVERIFY2(label->getFont()->getFileName().find("/LiberationSans-Regular.ttf") != std::string::npos,
                     label->getFont()->getFileName().c_str());
        }

        QFETCH(bool, sizedWhileHidden);
        auto* checkBox = plugin->find<QCheckBox>("displayOn3DCheckBox");
        if (sizedWhileHidden)
            checkBox->setCheckState(Qt::Unchecked);
        plugin->find<QSpinBox>("sizeOn3DSpinBox")->setValue(size);
        checkBox->setCheckState(Qt::CheckState(display));
        QCOMPARE(position->getNodeMask(), display == Qt::Unchecked ? 0u : ~0u);
        // The centre sits one ring radius in from the left and bottom edges, at depth -1.
        const double radius = size * 2.2;
        QVERIFY((osg::Vec3d(0, 0, 0) * position->getMatrix() - osg::Vec3d(radius, radius, -1)).length() < 1e-9);
        QVERIFY((osg::Vec3d(2.2, 0, 0) * position->getMatrix() - osg::Vec3d(2 * radius, radius, -1)).length() < 1e-9);

        // Facing east after a window resize: the rose turns a quarter counterclockwise, north to the
        // left, and the HUD counts the new window's logical pixels.
        look(osg::Vec3d(1, 0, -0.2));
        host->application().resize(qRound(640 * ratio), qRound(480 * ratio));
        plugin->frame();
        QCOMPARE(plugin->find<QLabel>("orientationLabel")->text(), QString("Orientation (deg): 90"));
        QVERIFY((osg::Vec3d(0, 1.5, 0) * rotation->getMatrix() - osg::Vec3d(-1.5, 0, 0)).length() < 1e-9);
        QVERIFY(projection->getMatrix() == osg::Matrixd::ortho2D(0, 640, 0, 480));
    }

    void shownWhole()
    {
        // The status text left of its choice, both kept while the host shows a temporary message.
        host->mainWindow().show();
        QVERIFY(QTest::qWaitForWindowExposed(&host->mainWindow()));
        QVERIFY(status->geometry().right() < combo->geometry().left());
        host->mainWindow().statusBar()->showMessage("Loading terrain");
        QVERIFY(status->isVisible() && combo->isVisible());
        // The painted compass beside the orientation text, where a user sees it turn, and not cut off.
        plugin->panel()->show();
        QVERIFY(QTest::qWaitForWindowExposed(plugin->panel()));
        QWidget* area = plugin->find("compassWidget");
        int shownWhole = 0;
        for (QWidget* compass : area->findChildren<QWidget*>("", Qt::FindDirectChildrenOnly))
            shownWhole += compass->inherits("velmora::plugin::compass_widget::CompassWidget") &&
                          area->rect().contains(compass->geometry());
        QCOMPARE(shownWhole, 1);
    }

    void statusText_data()
    {
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("camera");
        QTest::newRow("GDC deg:min:sec") << "GDC deg:min:sec" << "  45º 7'24.44\",  -75º39'15.56\",   123.45";
        QTest::newRow("GCC") << "GCC" << "1116945.41, -4367400.88, 4497126.96";
        QTest::newRow("UTM: easting and northing truncated") << "UTM" << "18T 448540 4996873";
        QTest::newRow("MGRS") << "MGRS" << "18TVQ4854096873";
        QTest::newRow("Terrain Local") << "Terrain Local" << "     0.00,      0.00,      0.00";
        // Choosing the current system again changes nothing, so nothing is rewritten.
        QTest::newRow("GDC degrees again: no rewrite") << "GDC degrees" << QString();
    }

    void statusText()
    {
        QFETCH(QString, camera);
        const QString heading = ", Heading (deg):   0.00";
        plugin->frame();
        QCOMPARE(status->text(), "Camera: (  45.123456,  -75.654321,   123.45)" + heading);
        // Camera and mouse still: no rewrite until the choice changes.
        status->setText("stale");
        plugin->frame();
        QCOMPARE(status->text(), QString("stale"));
        QFETCH(QString, system);
        combo->setCurrentIndex(combo->findText(system));
        plugin->frame();
        QCOMPARE(status->text(), camera.isNull() ? "stale" : "Camera: (" + camera + ")" + heading);
    }

    void cursorPart_data()
    {
        QTest::addColumn<osg::Vec3d>("direction");
        QTest::addColumn<QPoint>("cursor"); // logical pixels; null: no mouse move
        QTest::addColumn<bool>("dialog");   // a host dialog opens over the cursor after the move
        QTest::addColumn<bool>("onTerrain");
        const osg::Vec3d north(0, 1, 0);
        // Looking down, every pixel shows ground; still, no cursor means no cursor part.
        QTest::newRow("no mouse move yet") << osg::Vec3d(0, 1, -2) << QPoint() << false << false;
        QTest::newRow("over the terrain") << north << QPoint(640, 600) << false << true;
        QTest::newRow("over the sky") << north << QPoint(640, 100) << false << false;
        QTest::newRow("over a host dialog") << north << QPoint(640, 600) << true << false;
    }

    void cursorPart()
    {
        QFETCH(osg::Vec3d, direction);
        QFETCH(QPoint, cursor);
        QFETCH(bool, onTerrain);
        osg::ref_ptr<osg::Geode> ground = new osg::Geode; // its top at z = -100
        ground->addDrawable(new osg::ShapeDrawable(new osg::Box(osg::Vec3(0, 0, -101), 1e5f, 1e5f, 2)));
        host->application().getSceneData()->addChild(ground);
        look(direction);
        combo->setCurrentIndex(combo->findText("Terrain Local"));
        QMouseEvent move(QEvent::MouseMove, cursor, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        if (!cursor.isNull())
            plugin->mouse()->handleMouseMove(&move, &host->scene());
        QFETCH(bool, dialog);
        if (dialog)
            host->showAsDialog(new QLabel("over the cursor"), cursor.x() - 50, cursor.y() - 50)->resize(100, 100);
        plugin->frame();

        const QRegularExpressionMatch match =
            QRegularExpression(R"(Cursor: \( *(\S+), +(\S+), +(\S+)\))").match(status->text());
        QCOMPARE(match.hasMatch(), onTerrain);
        if (!onTerrain)
            return;
        // The point named lies on the ground and, projected back, under the cursor.
        const osg::Vec3d point(match.captured(1).toDouble(), match.captured(2).toDouble(),
                               match.captured(3).toDouble());
        QVERIFY(std::abs(point.z() + 100.0) < 0.01);
        const osg::Camera* camera = host->application().getViewer()->getCamera();
        const osg::Vec3d window = point * camera->getViewMatrix() * camera->getProjectionMatrix() *
                                  camera->getViewport()->computeWindowMatrix();
        const osg::Vec2d expected(cursor.x() * ratio, (TestHost::windowHeight - cursor.y()) * ratio);
        QVERIFY2((osg::Vec2d(window.x(), window.y()) - expected).length() < ratio * 1.5,
                 qPrintable(QString("%1 %2").arg(window.x()).arg(window.y())));
    }

private:
    void look(const osg::Vec3d& direction)
    {
        host->application().setStartView(osg::Vec3d(), direction, osg::Vec3d(0, 0, 1));
    }

    std::unique_ptr<TestHost> host;
    std::unique_ptr<velmora::testing::LoadedCompassPlugin> plugin;
    QLabel* status = nullptr;
    QComboBox* combo = nullptr;
    double ratio = 1.0;
};

QTEST_MAIN(TestCompassDisplay)
#include "tst_compassdisplay.moc"
