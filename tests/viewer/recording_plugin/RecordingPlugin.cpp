#include <velmora/application/Application.h>
#include <velmora/application/plugin/FrameUpdatePlugin.h>
#include <velmora/application/plugin/MouseHandlerPlugin.h>
#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QVariantList>
#include <QtPlugin>

Q_DECLARE_INTERFACE(velmora::widget::plugin::WidgetPlugin, "velmora::widget::plugin::WidgetPlugin")
Q_DECLARE_INTERFACE(velmora::application::plugin::MouseHandlerPlugin,
                    "velmora::application::plugin::MouseHandlerPlugin")
Q_DECLARE_INTERFACE(velmora::application::plugin::FrameUpdatePlugin,
                    "velmora::application::plugin::FrameUpdatePlugin")

namespace velmora::testing {

// A plugin that only records what the host calls on it, so tests can check the
// host's side of the contract without linking to the plugin.
class RecordingPlugin : public QObject,
                        public widget::plugin::WidgetPlugin,
                        public application::plugin::MouseHandlerPlugin,
                        public application::plugin::FrameUpdatePlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.velmora.WidgetPlugin/1.0")
    Q_INTERFACES(velmora::widget::plugin::WidgetPlugin velmora::application::plugin::MouseHandlerPlugin
                     velmora::application::plugin::FrameUpdatePlugin)

public:
    RecordingPlugin() : WidgetPlugin(QStringLiteral("Recorder"), QIcon())
    {
        auto* layout = new QVBoxLayout(panelWidget);
        layout->addWidget(new QLabel(QStringLiteral("Recording host calls")));
        layout->itemAt(0)->widget()->installEventFilter(this);
        panelWidget->setFixedSize(220, 120);
    }
    // Out of process the counts go to the file VELMORA_RECORDING_LOG names, one "call=count" a line.
    ~RecordingPlugin() override
    {
        QFile log(qEnvironmentVariable("VELMORA_RECORDING_LOG"));
        for (const QByteArray& call : dynamicPropertyNames())
            if (!log.fileName().isEmpty() && (log.isOpen() || log.open(QIODevice::WriteOnly)))
                log.write(call + '=' + property(call).toByteArray() + '\n');
    }

    void initialize() override { count("initialize"); }
    void handleMouseMove(QMouseEvent* event, QGraphicsScene*) override
    {
        count("handleMouseMove");
        // Asked where a plugin asks it: is the pointer over one of the host's dialogs?
        setProperty("moveOverDialog", isMouseWithinGuiDialog(event->pos().x(), event->pos().y(), nullptr));
    }
    void handleMouseClick(QMouseEvent*, QGraphicsScene*) override
    {
        count("handleMouseClick");
        // The application's terrain point under the mouse as seen inside the click handler (NaN for none).
        const osg::Vec3d point = application::Application::instance()->getTerrainPointUnderMouse();
        setProperty("clickPoint", QVariantList{point.x(), point.y(), point.z()});
    }
    void handleMouseEnter() override {}
    void handleMouseLeave() override {}
    void frameUpdate() override { count("frameUpdate"); }
    void frameRendered() override { count("frameRendered"); }

    // Counts double-clicks that reach the panel's label as double-clicks.
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick)
            count("labelDoubleClicked");
        return false;
    }

private:
    // Each call is counted in a dynamic property of its name, read by tests through Qt's meta-object system.
    void count(const char* call) { setProperty(call, property(call).toInt() + 1); }
};

} // namespace velmora::testing

#include "RecordingPlugin.moc"
