#pragma once

#include <velmora/application/plugin/FrameUpdatePlugin.h>
#include <velmora/application/plugin/MouseHandlerPlugin.h>
#include <velmora/widget/plugin/WidgetPlugin.h>

#include <QMap>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QVariantList>
#include <QtPlugin>

Q_DECLARE_INTERFACE(velmora::widget::plugin::WidgetPlugin, "velmora::widget::plugin::WidgetPlugin")
Q_DECLARE_INTERFACE(velmora::application::plugin::MouseHandlerPlugin,
                    "velmora::application::plugin::MouseHandlerPlugin")
Q_DECLARE_INTERFACE(velmora::application::plugin::FrameUpdatePlugin,
                    "velmora::application::plugin::FrameUpdatePlugin")

namespace velmora::testing {

// A plugin that only counts what the host calls on it, so tests can check
// the host's side of the contract. Tests reach it through Qt's meta-object
// system (invokable methods), without this header.
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
    // The panel's background, easy to find in a screenshot.
    static constexpr QRgb panelColour = 0xffff00ff;

    RecordingPlugin();
    ~RecordingPlugin() override;

    void initialize() override;
    void handleMouseMove(QMouseEvent* event, QGraphicsScene* scene) override;
    void handleMouseClick(QMouseEvent* event, QGraphicsScene* scene) override;
    void handleMouseEnter() override;
    void handleMouseLeave() override;
    void frameUpdate() override;
    void frameRendered() override;

    // How often call ("initialize", "frameUpdate", "frameRendered",
    // "handleMouseMove", "handleMouseClick", "handleMouseEnter", "handleMouseLeave") came.
    Q_INVOKABLE int callCount(const QString& call) const;
    // The position of the last move and click, in the 3D view's coordinates.
    Q_INVOKABLE QPoint lastMovePosition() const { return lastMove; }
    Q_INVOKABLE QPoint lastClickPosition() const { return lastClick; }
    // The application's terrain point under the mouse as seen inside the last
    // handleMouseClick: x, y, z (NaN for none).
    Q_INVOKABLE QVariantList terrainPointAtLastClick() const { return clickTerrainPoint; }
    // Asks the host whether (x, y) lies over any of its GUI dialogs.
    Q_INVOKABLE bool mouseWithinGuiDialog(int x, int y) const;

private:
    void record(const QString& call);

    QMap<QString, int> calls;
    QPoint lastMove;
    QPoint lastClick;
    QVariantList clickTerrainPoint;
};

} // namespace velmora::testing
