#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include <velmora/application/plugin/FrameUpdatePlugin.h>
#include <velmora/application/plugin/MouseHandlerPlugin.h>

#include <QJsonObject>
#include <QtTest>

#include <memory>

using velmora::application::plugin::FrameUpdatePlugin;
using velmora::application::plugin::MouseHandlerPlugin;
using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;
using velmora::widget::plugin::WidgetPlugin;

namespace {
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
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void init() { host = std::make_unique<TestHost>(); }
    void cleanup() { host.reset(); }

    void loadsAsTheCompassPanel()
    {
        // A host reads the metadata before it creates any plugin object.
        QPluginLoader loader(LoadedCompassPlugin::fileName());
        QCOMPARE(loader.metaData().value("IID").toString(), QString("org.velmora.WidgetPlugin/1.0"));
        QCOMPARE(loader.metaData().value("MetaData").toObject().value("name").toString(), QString("Compass"));

        LoadedCompassPlugin plugin;
        QVERIFY2(plugin.object(), qPrintable(plugin.errorString()));
        QCOMPARE(plugin.object()->metaObject()->className(), className);
        QCOMPARE(plugin.widgetPlugin()->getText(), QString("Compass"));
        // The icon is the host's flag, read from the configured icon directory.
        QVERIFY(!plugin.widgetPlugin()->getIcon().pixmap(16).isNull());
        QCOMPARE(plugin.panel()->windowTitle(), QString("Compass"));
    }

    void instanceIsKeptUntilDeleted()
    {
        QPluginLoader loader(LoadedCompassPlugin::fileName());
        QPointer<QObject> first = loader.instance();
        QVERIFY2(first, qPrintable(loader.errorString()));
        QCOMPARE(loader.instance(), first.data());

        first->setProperty("seenBefore", true);
        delete first.data();
        // The address may be reused, so tell the objects apart by what was done to the first.
        QObject* second = loader.instance();
        QVERIFY(second);
        QVERIFY(!second->property("seenBefore").isValid());
        QCOMPARE(loader.instance(), second);
        delete second;
    }

    void castsByInterfaceName_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<CastAnswer>("answer");

        QTest::newRow("null name") << QByteArray() << CastAnswer::Null;
        QTest::newRow("own class") << QByteArray(className) << CastAnswer::Object;
        QTest::newRow("GUI plugin") << QByteArray("velmora::widget::plugin::WidgetPlugin") << CastAnswer::WidgetPluginBase;
        QTest::newRow("mouse handler") << QByteArray("velmora::application::plugin::MouseHandlerPlugin")
                                       << CastAnswer::MouseHandlerBase;
        QTest::newRow("frame update") << QByteArray("velmora::application::plugin::FrameUpdatePlugin")
                                      << CastAnswer::FrameUpdateBase;
        QTest::newRow("QObject") << QByteArray("QObject") << CastAnswer::Object;
        // The form is a private base: nothing outside may reach it.
        QTest::newRow("form class") << QByteArray("Ui::CompassWidgetPlugin") << CastAnswer::Null;
        // Names are compared as spelled, so a short form finds nothing.
        QTest::newRow("unqualified interface") << QByteArray("WidgetPlugin") << CastAnswer::Null;
        QTest::newRow("unrelated") << QByteArray("QWidget") << CastAnswer::Null;
    }

    void castsByInterfaceName()
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
        QVERIFY(answer == CastAnswer::Null || expected);
        QCOMPARE(object->qt_metacast(name.isNull() ? nullptr : name.constData()), expected);
    }

private:
    std::unique_ptr<TestHost> host;
};

QTEST_MAIN(TestCompassPlugin)
#include "tst_compassplugin.moc"
