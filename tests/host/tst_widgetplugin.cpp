#include "TestHost.h"

#include <velmora/widget/plugin/WidgetPlugin.h>
#include <velmora/widget/plugin/WidgetPluginVisitor.h>

#include <QGraphicsProxyWidget>
#include <QPointer>
#include <QTreeWidgetItem>
#include <QtTest>

using velmora::testing::TestHost;
using velmora::widget::plugin::WidgetPlugin;
using velmora::widget::plugin::WidgetPluginVisitor;

namespace {

class Panel : public WidgetPlugin
{
public:
    explicit Panel(const QString& name) : WidgetPlugin(name, QIcon()) { panelWidget->resize(200, 150); }
    void initialize() override {}
    void adopt(Panel* child) { childWidgets.push_back(child); }
    bool overDialog(int x, int y, QWidget* widget = nullptr) const { return isMouseWithinGuiDialog(x, y, widget); }
};

class NameCollector : public WidgetPluginVisitor
{
public:
    void visit(WidgetPlugin& plugin) override { names << plugin.getText(); }
    QStringList names;
};

} // namespace

class TestWidgetPlugin : public QObject
{
    Q_OBJECT

private slots:
    void treeItemCarriesTheName();
    void visitorSeesChildrenAfterTheirParent();
    void mouseOverDialogs_data();
    void mouseOverDialogs();
    void noHostViewMeansNoDialog();
    void panelGoesWithThePlugin();
};

void TestWidgetPlugin::treeItemCarriesTheName()
{
    Panel panel("Compass");
    QCOMPARE(panel.getText(), QString("Compass"));
    QCOMPARE(panel.getTreeItem()->text(0), QString("Compass"));
    QVERIFY(panel.getWidget());
}

void TestWidgetPlugin::visitorSeesChildrenAfterTheirParent()
{
    Panel parent("Tools"), first("Compass"), second("Ruler");
    parent.adopt(&first);
    parent.adopt(&second);
    parent.addPlugins();
    // Adding twice must not duplicate the tree entries.
    parent.addPlugins();
    QCOMPARE(parent.getTreeItem()->childCount(), 2);

    NameCollector collector;
    parent.accept(collector);
    QCOMPARE(collector.names, QStringList({"Tools", "Compass", "Ruler"}));
    parent.getTreeItem()->takeChildren();
}

void TestWidgetPlugin::mouseOverDialogs_data()
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

void TestWidgetPlugin::mouseOverDialogs()
{
    QFETCH(QPoint, cursor);
    QFETCH(bool, anyDialog);
    QFETCH(bool, ownDialog);

    TestHost host;
    Panel own("Compass"), other("Other");
    host.showAsDialog(own.getWidget(), 100, 100);
    host.showAsDialog(other.getWidget(), 600, 300);

    QCOMPARE(own.overDialog(cursor.x(), cursor.y()), anyDialog);
    QCOMPARE(own.overDialog(cursor.x(), cursor.y(), own.getWidget()), ownDialog);

    // A hidden dialog no longer covers the terrain.
    own.getWidget()->graphicsProxyWidget()->hide();
    other.getWidget()->graphicsProxyWidget()->hide();
    QVERIFY(!own.overDialog(cursor.x(), cursor.y()));
}

void TestWidgetPlugin::noHostViewMeansNoDialog()
{
    Panel panel("Compass");
    QVERIFY(!panel.overDialog(10, 10));
}

void TestWidgetPlugin::panelGoesWithThePlugin()
{
    TestHost host;
    QPointer<QWidget> panelWidget;
    QPointer<QGraphicsProxyWidget> proxy;
    {
        Panel panel("Compass");
        panelWidget = panel.getWidget();
        proxy = host.showAsDialog(panelWidget, 0, 0);
    }
    QVERIFY(panelWidget.isNull());
    QVERIFY(proxy.isNull());
}

QTEST_MAIN(TestWidgetPlugin)
#include "tst_widgetplugin.moc"
