#pragma once

#include <velmora/application/plugin/FrameUpdatePlugin.h>
#include <velmora/application/plugin/MouseHandlerPlugin.h>
#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QMap>
#include <QPluginLoader>
#include <QPointer>
#include <QtTest>

namespace velmora::testing {

// What the panel's fields show, by object name.
using Texts = QMap<QString, QString>;

// The compass plugin as the host gets it: loaded from the build tree through
// QPluginLoader, its interfaces reached by qt_metacast with the names the
// host spells. Construct a TestHost first: the constructor uses the main window.
class LoadedCompassPlugin
{
public:
    static QString fileName() { return QStringLiteral(VELMORA_PLUGIN_BUILD_DIR "/libvelmora_compass_widget_plugin.so"); }

    explicit LoadedCompassPlugin(bool initialize = true) : loader(fileName()), plugin(loader.instance())
    {
        if (!plugin)
            qFatal("%s", qPrintable(loader.errorString()));
        if (initialize)
            widgetPlugin()->initialize();
    }
    // Deletes the plugin object as the host does; the library stays loaded.
    ~LoadedCompassPlugin() { delete plugin.data(); }

    QObject* object() const { return plugin.data(); }
    widget::plugin::WidgetPlugin* widgetPlugin() const
    {
        return static_cast<widget::plugin::WidgetPlugin*>(plugin->qt_metacast("velmora::widget::plugin::WidgetPlugin"));
    }
    application::plugin::MouseHandlerPlugin* mouse() const
    {
        return static_cast<application::plugin::MouseHandlerPlugin*>(
            plugin->qt_metacast("velmora::application::plugin::MouseHandlerPlugin"));
    }
    void frame() const
    {
        static_cast<application::plugin::FrameUpdatePlugin*>(
            plugin->qt_metacast("velmora::application::plugin::FrameUpdatePlugin"))
            ->frameUpdate();
    }
    QWidget* panel() const { return widgetPlugin()->getWidget(); }

    // A form widget by its object name; null when there is none of that class.
    template <typename T = QWidget>
    T* find(const QString& name) const
    {
        return panel()->findChild<T*>(name);
    }
    QLineEdit* field(const QString& name) const { return find<QLineEdit>(name); }
    QAbstractButton* button(const QString& name) const { return find<QAbstractButton>(name); }

    // Sets the fields as a user leaves them, then presses Return in one whose
    // validator takes its text (Return finishes no other edit).
    void enter(const Texts& fields) const
    {
        QLineEdit* finish = nullptr;
        for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
            QLineEdit* edit = field(it.key());
            QVERIFY2(edit, qPrintable(it.key()));
            edit->setText(it.value());
            edit->setModified(true); // as typed
            if (edit->hasAcceptableInput())
                finish = edit;
        }
        QVERIFY(finish);
        QTest::keyClick(finish, Qt::Key_Return);
    }

    // Every coordinate field's text.
    Texts texts() const
    {
        Texts all;
        for (const QLineEdit* edit : panel()->findChildren<QLineEdit*>())
            if (!edit->objectName().startsWith("qt_"))
                all[edit->objectName()] = edit->text();
        return all;
    }
    QStringList localTexts() const
    {
        return {field("localXTextBox")->text(), field("localYTextBox")->text(), field("localZTextBox")->text()};
    }

private:
    QPluginLoader loader;
    QPointer<QObject> plugin;
};

} // namespace velmora::testing
