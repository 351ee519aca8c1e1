#include <velmora/application/Application.h>
#include <velmora/application/plugin/FrameUpdatePlugin.h>
#include <velmora/application/plugin/MouseHandlerPlugin.h>
#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QLabel>
#include <QMap>
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

// A plugin that only counts what the host calls on it, so tests can check the
// host's side of the contract through Qt's meta-object system alone.
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
        // Magenta, easy to find in a screenshot.
        panelWidget->setAutoFillBackground(true);
        QPalette palette = panelWidget->palette();
        palette.setColor(QPalette::Window, Qt::magenta);
        panelWidget->setPalette(palette);
        panelWidget->setFixedSize(220, 120);
    }

    void initialize() override { ++calls["initialize"]; }
    void handleMouseMove(QMouseEvent* event, QGraphicsScene*) override
    {
        ++calls["handleMouseMove"];
        lastMove = event->pos();
    }
    void handleMouseClick(QMouseEvent*, QGraphicsScene*) override
    {
        ++calls["handleMouseClick"];
        const osg::Vec3d point = application::Application::instance()->getTerrainPointUnderMouse();
        clickTerrainPoint = {point.x(), point.y(), point.z()};
    }
    void handleMouseEnter() override {}
    void handleMouseLeave() override {}
    void frameUpdate() override { ++calls["frameUpdate"]; }
    void frameRendered() override { ++calls["frameRendered"]; }

    Q_INVOKABLE int callCount(const QString& call) const { return calls.value(call, 0); }
    Q_INVOKABLE QPoint lastMovePosition() const { return lastMove; }
    // The application's terrain point under the mouse as seen inside the last handleMouseClick (NaN for none).
    Q_INVOKABLE QVariantList terrainPointAtLastClick() const { return clickTerrainPoint; }
    // Asks the host whether (x, y) lies over any of its GUI dialogs.
    Q_INVOKABLE bool mouseWithinGuiDialog(int x, int y) const { return isMouseWithinGuiDialog(x, y, nullptr); }

private:
    QMap<QString, int> calls;
    QPoint lastMove;
    QVariantList clickTerrainPoint;
};

} // namespace velmora::testing

#include "RecordingPlugin.moc"
