#include "TestHost.h"

#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QGraphicsProxyWidget>
#include <QPointer>
#include <QtTest>

using velmora::application::Application;
using velmora::widget::plugin::WidgetPlugin;

namespace {

class Panel : public WidgetPlugin
{
public:
    explicit Panel(const QString& name) : WidgetPlugin(name, QIcon()) { panelWidget->resize(200, 150); }
    void initialize() override {}
    bool overDialog(int x, int y, QWidget* widget = nullptr) const { return isMouseWithinGuiDialog(x, y, widget); }
};

} // namespace

// The host layer's application and widget plugins.
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
            // A zero-sized window would give a degenerate projection; it is kept at one pixel.
            app.resize(0, 0);
            int x, y, width, height;
            app.getGraphicsWindow()->getWindowRectangle(x, y, width, height);
            QCOMPARE(QSize(width, height), QSize(1, 1));
        }
        QCOMPARE(Application::instance(), nullptr);
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
        // With no host view there is no dialog to be over.
        QVERIFY(!Panel("Compass").overDialog(10, 10));
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
