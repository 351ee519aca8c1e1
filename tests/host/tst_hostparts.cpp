#include "TestHost.h"

#include <velmora/sceneutils/SimpleGeometryGenerator.h>
#include <velmora/utility/CoreConfiguration.h>
#include <velmora/widget/plugin/WidgetPlugin.h>
#include <velmora/widget/plugin/WidgetPluginVisitor.h>

#include <QFileInfo>
#include <QGraphicsProxyWidget>
#include <QPointer>
#include <QTreeWidgetItem>
#include <QtTest>

#include <osg/Geode>
#include <osg/LineWidth>

#include <cmath>
#include <cstdlib>

using velmora::application::Application;
using velmora::sceneutils::SimpleGeometryGenerator;
using velmora::utility::CoreConfiguration;
using velmora::widget::plugin::WidgetPlugin;

Q_DECLARE_METATYPE(osg::Vec3d)

namespace {

osg::Vec3d lookDirection(const Application& app)
{
    osg::Vec3d eye, center, up;
    app.getViewer()->getCamera()->getViewMatrixAsLookAt(eye, center, up, 1.0);
    return (center - eye) / (center - eye).length();
}

osg::Vec3d eyeOf(const Application& app) { return app.getViewer()->getCamera()->getInverseViewMatrix().getTrans(); }

class Panel : public WidgetPlugin
{
public:
    explicit Panel(const QString& name) : WidgetPlugin(name, QIcon()) { panelWidget->resize(200, 150); }
    void initialize() override {}
    void adopt(Panel* child) { childWidgets.push_back(child); }
    bool overDialog(int x, int y, QWidget* widget = nullptr) const { return isMouseWithinGuiDialog(x, y, widget); }
};

struct NameCollector : velmora::widget::plugin::WidgetPluginVisitor
{
    void visit(WidgetPlugin& plugin) override { names << plugin.getText(); }
    QStringList names;
};

} // namespace

// The host layer's application, configuration, scene helpers and widget plugins.
class TestHostParts : public QObject
{
    Q_OBJECT

private slots:
    void applicationLifetimeAndWindow()
    {
        QCOMPARE(Application::instance(), nullptr);
        {
            Application app(640, 480);
            QCOMPARE(Application::instance(), &app);
            int x, y, width, height;
            app.getGraphicsWindow()->getWindowRectangle(x, y, width, height);
            QCOMPARE(QSize(width, height), QSize(640, 480));
            QCOMPARE(app.getViewer()->getSceneData(), app.getSceneData().get());
            // A zero-sized window would give a degenerate projection; it is kept at one pixel.
            app.resize(0, 0);
            app.getGraphicsWindow()->getWindowRectangle(x, y, width, height);
            QCOMPARE(QSize(width, height), QSize(1, 1));
            // Before any click there is no terrain point, and a click on the sky clears the last one.
            QVERIFY(!app.hasTerrainPointUnderMouse() && std::isnan(app.getTerrainPointUnderMouse().x()));
            app.setTerrainPointUnderMouse(osg::Vec3d(1, 2, 3));
            app.clearTerrainPointUnderMouse();
            QVERIFY(!app.hasTerrainPointUnderMouse());
        }
        QCOMPARE(Application::instance(), nullptr);
    }

    void warpKeepsTheLookDirection_data()
    {
        QTest::addColumn<osg::Vec3d>("center");
        QTest::addColumn<osg::Vec3d>("target");
        // The direction is a heading and a pitch; both must survive the warp.
        QTest::newRow("looking north, level") << osg::Vec3d(0, 100, 0) << osg::Vec3d(500, -20, 30);
        QTest::newRow("looking east and down") << osg::Vec3d(100, 0, -50) << osg::Vec3d(-1000, 2000, 800);
    }
    void warpKeepsTheLookDirection()
    {
        QFETCH(osg::Vec3d, center);
        QFETCH(osg::Vec3d, target);
        Application app;
        const osg::Vec3d start(10, -2000, 650);
        app.setStartView(start, start + center, osg::Vec3d(0, 0, 1));
        const osg::Vec3d before = lookDirection(app);
        app.warpToPosition(target);
        QVERIFY((eyeOf(app) - target).length() < 1e-6);
        QVERIFY2((lookDirection(app) - before).length() < 1e-9, "the camera turned while warping");
        app.warpToStart();
        QVERIFY((eyeOf(app) - start).length() < 1e-6 && (app.getStartPosition() - start).length() < 1e-6);
    }

    void dataPaths()
    {
        // Plugins append file names directly, so the paths end with '/'.
        QVERIFY(QFileInfo::exists(QString::fromStdString(CoreConfiguration::getImagePath() + "compass.png")));
        QVERIFY(QFileInfo::exists(QString::fromStdString(CoreConfiguration::getIconPath() + "flag_blue.png")));
        setenv("VELMORA_DATA_DIR", "/opt/velmora/share", 1);
        QCOMPARE(CoreConfiguration::getIconPath(), std::string("/opt/velmora/share/icons/"));
        CoreConfiguration::setImagePath("/tmp/images");
        QCOMPARE(CoreConfiguration::getImagePath(), std::string("/tmp/images/"));
        CoreConfiguration::setImagePath("");
        unsetenv("VELMORA_DATA_DIR");
    }

    void geometryKeepsItsColoursUnlit()
    {
        osg::ref_ptr<SimpleGeometryGenerator> node = new SimpleGeometryGenerator;
        node->addTriangle({0, 0, 0}, {0, 1, 0}, {-1, -1, 0}, {1, 0, 0, 1});
        node->addTriangle({0, 0, 0}, {1, -1, 0}, {0, 1, 0}, {0.8f, 0, 0, 1});
        node->addLine({0, 0, -0.2f}, {1, 0, -0.2f}, {0.8f, 0.8f, 0.8f, 0.4f});
        node->setLineThinkness(2.0f);
        const osg::Geode* geode = node->getChild(0)->asGeode();
        QCOMPARE(geode->getNumDrawables(), 2u);
        for (unsigned i = 0; i < 2; ++i) {
            const osg::Geometry* geometry = geode->getDrawable(i)->asGeometry();
            const auto* colours = static_cast<const osg::Vec4Array*>(geometry->getColorArray());
            if (geometry->getPrimitiveSet(0)->getMode() == GL_TRIANGLES) {
                QCOMPARE(static_cast<const osg::DrawArrays*>(geometry->getPrimitiveSet(0))->getCount(), 6);
                QCOMPARE((*colours)[3], osg::Vec4f(0.8f, 0, 0, 1));
            } else {
                QCOMPARE(static_cast<const osg::DrawArrays*>(geometry->getPrimitiveSet(0))->getCount(), 2);
                QCOMPARE((*colours)[1].a(), 0.4f);
                const auto* width = geometry->getStateSet()->getAttribute(osg::StateAttribute::LINEWIDTH);
                QCOMPARE(static_cast<const osg::LineWidth*>(width)->getWidth(), 2.0f);
            }
        }
        // The colours are meant as given: no lighting may shade them.
        QCOMPARE(node->getStateSet()->getMode(GL_LIGHTING) & osg::StateAttribute::ON, 0u);
    }

    void visitorSeesChildrenAfterTheirParent()
    {
        Panel parent("Tools"), first("Compass"), second("Ruler");
        QCOMPARE(first.getTreeItem()->text(0), QString("Compass"));
        // With no host view there is no dialog to be over.
        QVERIFY(!first.overDialog(10, 10));
        parent.adopt(&first);
        parent.adopt(&second);
        // Adding twice must not duplicate the tree entries.
        parent.addPlugins();
        parent.addPlugins();
        QCOMPARE(parent.getTreeItem()->childCount(), 2);
        NameCollector collector;
        parent.accept(collector);
        QCOMPARE(collector.names, QStringList({"Tools", "Compass", "Ruler"}));
        parent.getTreeItem()->takeChildren();
    }

    void mouseOverDialogs_data()
    {
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<bool>("anyDialog");
        QTest::addColumn<bool>("ownDialog");
        // The own panel is shown at (100, 100), 200 x 150; another at (600, 300).
        QTest::newRow("inside own dialog") << QPoint(150, 150) << true << true;
        QTest::newRow("inside the other dialog") << QPoint(650, 350) << true << false;
        QTest::newRow("open terrain") << QPoint(450, 500) << false << false;
        // The dialog's title bar belongs to the dialog as much as its content.
        QTest::newRow("own title bar") << QPoint(150, 95) << true << true;
    }
    void mouseOverDialogs()
    {
        QFETCH(QPoint, cursor);
        velmora::testing::TestHost host;
        Panel own("Compass"), other("Other");
        host.showAsDialog(own.getWidget(), 100, 100);
        host.showAsDialog(other.getWidget(), 600, 300);
        QTEST(own.overDialog(cursor.x(), cursor.y()), "anyDialog");
        QTEST(own.overDialog(cursor.x(), cursor.y(), own.getWidget()), "ownDialog");
        // A hidden dialog no longer covers the terrain.
        own.getWidget()->graphicsProxyWidget()->hide();
        other.getWidget()->graphicsProxyWidget()->hide();
        QVERIFY(!own.overDialog(cursor.x(), cursor.y()));
    }

    void panelGoesWithThePlugin()
    {
        velmora::testing::TestHost host;
        QPointer<QWidget> panelWidget;
        QPointer<QGraphicsProxyWidget> proxy;
        {
            Panel panel("Compass");
            panelWidget = panel.getWidget();
            proxy = host.showAsDialog(panelWidget, 0, 0);
        }
        QVERIFY(panelWidget.isNull() && proxy.isNull());
    }
};

QTEST_MAIN(TestHostParts)
#include "tst_hostparts.moc"
