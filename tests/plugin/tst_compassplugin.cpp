#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include <velmora/application/plugin/FrameUpdatePlugin.h>
#include <velmora/application/plugin/MouseHandlerPlugin.h>

#include <QClipboard>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QMetaMethod>
#include <QtTest>

#include <memory>

using velmora::application::plugin::FrameUpdatePlugin;
using velmora::application::plugin::MouseHandlerPlugin;
using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;
using velmora::widget::plugin::WidgetPlugin;

namespace {

constexpr int ownSlotCount = 23;
const char* const className = "velmora::plugin::compass_widget::CompassWidgetPlugin";

enum class CastAnswer { Null, Object, WidgetPluginBase, MouseHandlerBase, FrameUpdateBase };

} // namespace

Q_DECLARE_METATYPE(CastAnswer)

// How the host finds, creates and talks to the plugin through Qt's plugin
// and meta-object machinery alone.
class TestCompassPlugin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void metadataNamesTheInterface();
    void loadsAsTheCompassPanel();
    void instanceIsKeptUntilDeleted();
    void castsByInterfaceName_data();
    void castsByInterfaceName();
    void slotTable_data();
    void slotTable();
    void invokingSlotOneCopiesTheReport();
    void invokingBeyondTheTableRunsNothing_data();
    void invokingBeyondTheTableRunsNothing();
    void emptyInterfaceOperationsChangeNothing();

private:
    std::unique_ptr<TestHost> host;
};

void TestCompassPlugin::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void TestCompassPlugin::init()
{
    host = std::make_unique<TestHost>();
}

void TestCompassPlugin::cleanup()
{
    host.reset();
}

void TestCompassPlugin::metadataNamesTheInterface()
{
    // A host reads this before it creates any plugin object.
    QPluginLoader loader(LoadedCompassPlugin::fileName());
    const QJsonObject meta = loader.metaData();
    QCOMPARE(meta.value("IID").toString(), QString("org.velmora.WidgetPlugin/1.0"));
    QCOMPARE(meta.value("className").toString(), QString("CompassWidgetPlugin"));
    // Qt records the major and minor version it was built with; a host loads
    // a plugin of its own major version and of a minor version not above its own.
    const int version = meta.value("version").toInt();
    QCOMPARE(version >> 16, QT_VERSION_MAJOR);
    QVERIFY(((version >> 8) & 0xff) <= QT_VERSION_MINOR);
    QCOMPARE(meta.value("MetaData").toObject().value("name").toString(), QString("Compass"));
    QCOMPARE(meta.value("MetaData").toObject().value("interfaces").toArray().size(), 3);
}

void TestCompassPlugin::loadsAsTheCompassPanel()
{
    LoadedCompassPlugin plugin;
    QVERIFY2(plugin.object(), qPrintable(plugin.errorString()));
    QCOMPARE(plugin.object()->metaObject()->className(), className);
    QVERIFY(plugin.widgetPlugin());
    QCOMPARE(plugin.widgetPlugin()->getText(), QString("Compass"));
    // The icon is the host's flag, read from the configured icon directory.
    QVERIFY(!plugin.widgetPlugin()->getIcon().pixmap(16).isNull());
    QCOMPARE(plugin.panel()->windowTitle(), QString("Compass"));
}

void TestCompassPlugin::instanceIsKeptUntilDeleted()
{
    QPluginLoader loader(LoadedCompassPlugin::fileName());
    QPointer<QObject> first = loader.instance();
    QVERIFY2(first, qPrintable(loader.errorString()));
    QCOMPARE(loader.instance(), first.data());

    first->setProperty("seenBefore", true);
    delete first.data();
    QVERIFY(first.isNull());

    // The address may be reused, so tell the objects apart by what was done to the first.
    QObject* second = loader.instance();
    QVERIFY(second);
    QVERIFY(!second->property("seenBefore").isValid());
    QCOMPARE(loader.instance(), second);
    delete second;
}

void TestCompassPlugin::castsByInterfaceName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<CastAnswer>("answer");

    QTest::newRow("own class") << QByteArray(className) << CastAnswer::Object;
    QTest::newRow("GUI plugin") << QByteArray("velmora::widget::plugin::WidgetPlugin") << CastAnswer::WidgetPluginBase;
    QTest::newRow("mouse handler") << QByteArray("velmora::application::plugin::MouseHandlerPlugin")
                                   << CastAnswer::MouseHandlerBase;
    QTest::newRow("frame update") << QByteArray("velmora::application::plugin::FrameUpdatePlugin")
                                  << CastAnswer::FrameUpdateBase;
    QTest::newRow("QObject") << QByteArray("QObject") << CastAnswer::Object;
    // The form is a private base: nothing outside may reach it.
    QTest::newRow("form class") << QByteArray("Ui::CompassWidgetPlugin") << CastAnswer::Null;
    QTest::newRow("generated form") << QByteArray("Ui_CompassWidgetPlugin") << CastAnswer::Null;
    // Names are compared as spelled, so a short form finds nothing.
    QTest::newRow("unqualified interface") << QByteArray("WidgetPlugin") << CastAnswer::Null;
    QTest::newRow("unqualified class") << QByteArray("CompassWidgetPlugin") << CastAnswer::Null;
    QTest::newRow("unrelated") << QByteArray("QWidget") << CastAnswer::Null;
}

void TestCompassPlugin::castsByInterfaceName()
{
    QFETCH(QByteArray, name);
    QFETCH(CastAnswer, answer);

    LoadedCompassPlugin plugin;
    QObject* object = plugin.object();
    QVERIFY(object);
    void* expected = nullptr;
    switch (answer) {
    case CastAnswer::Null: break;
    case CastAnswer::Object: expected = object; break;
    case CastAnswer::WidgetPluginBase: expected = dynamic_cast<WidgetPlugin*>(object); break;
    case CastAnswer::MouseHandlerBase: expected = dynamic_cast<MouseHandlerPlugin*>(object); break;
    case CastAnswer::FrameUpdateBase: expected = dynamic_cast<FrameUpdatePlugin*>(object); break;
    }
    if (answer != CastAnswer::Null)
        QVERIFY(expected);
    QCOMPARE(object->qt_metacast(name.constData()), expected);
}

void TestCompassPlugin::slotTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<QByteArray>("parameterName");

    // Each button slot has a bool with a default, which the meta object lists
    // twice: the full signature first, then the one without the argument.
    const char* const buttons[] = {"copyToClipboardButton", "pickCoordButton", "warpButton", "warpToStartButton",
                                   "syncButton", "toggleSyncButton"};
    int index = 0;
    for (const char* button : buttons) {
        const QByteArray name = QByteArray("on_") + button + "_clicked";
        QTest::addRow("%d", index) << index << name + "(bool)" << QByteArray("checked");
        ++index;
        QTest::addRow("%d", index) << index << name + "()" << QByteArray();
        ++index;
    }
    const std::pair<const char*, const char*> rest[] = {
        {"on_gdcTextBox_editingFinished()", ""},
        {"on_gdcDmsTextBox_editingFinished()", ""},
        {"on_gccTextBox_editingFinished()", ""},
        {"on_localTextBox_editingFinished()", ""},
        {"on_dmsCheckbox_state_changed(int)", "state"},
        {"displayCompassOn3D(int)", "state"},
        {"setCompassOn3DSize(int)", "size"},
        {"on_coordinateSystemChoiceChanged(int)", ""},
        {"recalculateFromMgrsChange()", ""},
        {"recalculateFromUtmChange()", ""},
        {"toUpper(QString)", "text"},
    };
    for (const auto& [signature, parameter] : rest) {
        QTest::addRow("%d", index) << index << QByteArray(signature) << QByteArray(parameter);
        ++index;
    }
}

void TestCompassPlugin::slotTable()
{
    QFETCH(int, index);
    QFETCH(QByteArray, signature);
    QFETCH(QByteArray, parameterName);

    LoadedCompassPlugin plugin;
    const QMetaObject* meta = plugin.object()->metaObject();
    // Slots only: no signals or other methods of its own.
    QCOMPARE(meta->methodCount() - meta->methodOffset(), ownSlotCount);
    const QMetaMethod method = meta->method(meta->methodOffset() + index);
    QCOMPARE(method.methodSignature(), signature);
    QCOMPARE(method.methodType(), QMetaMethod::Slot);
    QCOMPARE(method.access(), QMetaMethod::Private);
    if (method.parameterCount() == 1)
        QCOMPARE(method.parameterNames().at(0), parameterName);
}

void TestCompassPlugin::invokingSlotOneCopiesTheReport()
{
    LoadedCompassPlugin plugin;
    QObject* object = plugin.object();
    QApplication::clipboard()->setText("before");

    void* args[] = {nullptr};
    const int id = object->metaObject()->methodOffset() + 1;
    QCOMPARE(object->qt_metacall(QMetaObject::InvokeMetaMethod, id, args), 1 - ownSlotCount);

    const QString report = QApplication::clipboard()->text(QClipboard::Clipboard);
    QVERIFY(report.startsWith("Orientation (deg): 0\n    Latitude (deg): "));
    QCOMPARE(report.count('\n'), 14);
}

void TestCompassPlugin::invokingBeyondTheTableRunsNothing_data()
{
    QTest::addColumn<int>("beyond");
    // The first index past the table is where a subclass's methods would start.
    QTest::newRow("first past the table") << 0;
    QTest::newRow("far past the table") << 7;
}

void TestCompassPlugin::invokingBeyondTheTableRunsNothing()
{
    QFETCH(int, beyond);

    LoadedCompassPlugin plugin;
    QObject* object = plugin.object();
    QApplication::clipboard()->setText("before");

    void* args[] = {nullptr, nullptr};
    const int id = object->metaObject()->methodOffset() + ownSlotCount + beyond;
    QCOMPARE(object->qt_metacall(QMetaObject::InvokeMetaMethod, id, args), beyond);
    QCOMPARE(QApplication::clipboard()->text(), QString("before"));
}

void TestCompassPlugin::emptyInterfaceOperationsChangeNothing()
{
    LoadedCompassPlugin plugin;
    plugin.widgetPlugin()->initialize();
    auto* mouse = static_cast<MouseHandlerPlugin*>(plugin.object()->qt_metacast(
        "velmora::application::plugin::MouseHandlerPlugin"));
    auto* frame = static_cast<FrameUpdatePlugin*>(plugin.object()->qt_metacast(
        "velmora::application::plugin::FrameUpdatePlugin"));
    const QString localX = plugin.find<QLineEdit>("localXTextBox")->text();
    const std::size_t warps = host->application().warpCalls.size();

    mouse->handleMouseEnter();
    mouse->handleMouseLeave();
    frame->frameRendered();

    QCOMPARE(plugin.find<QLineEdit>("localXTextBox")->text(), localX);
    QCOMPARE(host->application().warpCalls.size(), warps);
}

QTEST_MAIN(TestCompassPlugin)
#include "tst_compassplugin.moc"
