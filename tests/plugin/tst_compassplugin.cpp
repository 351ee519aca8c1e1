#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include <velmora/application/plugin/FrameUpdatePlugin.h>
#include <velmora/application/plugin/MouseHandlerPlugin.h>

#include <QClipboard>
#include <QJsonObject>
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

    void slotTable_data()
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

    void slotTable()
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

    void invokeByIndex_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("copies");
        // Index 1 is the copy button's slot without its bool.
        QTest::newRow("slot 1: copy to clipboard") << 1 << true;
        // Where a subclass's methods would start: nothing runs, the id comes back less the table.
        QTest::newRow("first past the table") << ownSlotCount << false;
    }

    void invokeByIndex()
    {
        QFETCH(int, index);
        QFETCH(bool, copies);

        LoadedCompassPlugin plugin;
        QObject* object = plugin.object();
        QApplication::clipboard()->setText("before");

        void* args[] = {nullptr, nullptr};
        const int id = object->metaObject()->methodOffset() + index;
        QCOMPARE(object->qt_metacall(QMetaObject::InvokeMetaMethod, id, args), index - ownSlotCount);

        const QString clipboard = QApplication::clipboard()->text();
        if (copies)
            QVERIFY2(clipboard.startsWith("Orientation (deg): 0\n    Latitude (deg): "), qPrintable(clipboard));
        else
            QCOMPARE(clipboard, QString("before"));
    }

private:
    std::unique_ptr<TestHost> host;
};

QTEST_MAIN(TestCompassPlugin)
#include "tst_compassplugin.moc"
