#include "RecordingPlugin.h"

#include <velmora/application/Application.h>

#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace velmora::testing {

RecordingPlugin::RecordingPlugin() : WidgetPlugin(QStringLiteral("Recorder"), QIcon())
{
    auto* layout = new QVBoxLayout(panelWidget);
    layout->addWidget(new QLabel(QStringLiteral("Recording host calls")));
    panelWidget->setAutoFillBackground(true);
    QPalette palette = panelWidget->palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(panelColour));
    panelWidget->setPalette(palette);
    panelWidget->setFixedSize(220, 120);
}

RecordingPlugin::~RecordingPlugin() = default;

void RecordingPlugin::record(const QString& call)
{
    ++calls[call];
}

void RecordingPlugin::initialize()
{
    record(QStringLiteral("initialize"));
}

void RecordingPlugin::handleMouseMove(QMouseEvent* event, QGraphicsScene*)
{
    record(QStringLiteral("handleMouseMove"));
    lastMove = event->pos();
}

void RecordingPlugin::handleMouseClick(QMouseEvent* event, QGraphicsScene*)
{
    record(QStringLiteral("handleMouseClick"));
    lastClick = event->pos();
    const osg::Vec3d point = application::Application::instance()->getTerrainPointUnderMouse();
    clickTerrainPoint = {point.x(), point.y(), point.z()};
}

void RecordingPlugin::handleMouseEnter()
{
    record(QStringLiteral("handleMouseEnter"));
}

void RecordingPlugin::handleMouseLeave()
{
    record(QStringLiteral("handleMouseLeave"));
}

void RecordingPlugin::frameUpdate()
{
    record(QStringLiteral("frameUpdate"));
}

void RecordingPlugin::frameRendered()
{
    record(QStringLiteral("frameRendered"));
}

int RecordingPlugin::callCount(const QString& call) const
{
    return calls.value(call, 0);
}

bool RecordingPlugin::mouseWithinGuiDialog(int x, int y) const
{
    return isMouseWithinGuiDialog(x, y, nullptr);
}

} // namespace velmora::testing
