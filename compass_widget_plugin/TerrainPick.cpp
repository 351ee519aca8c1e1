#include "TerrainPick.h"

#include <velmora/qtapplication/QtApplication.h>
#include <velmora/qtapplication/QtApplicationController.h>

#include <QAbstractButton>
#include <QCursor>
#include <QEvent>
#include <QGraphicsView>
#include <QKeyEvent>

namespace velmora::plugin::compass_widget {

namespace {
const char* const pickToolTip =
    "Pick a point on the terrain: click here, then click the terrain in the 3D view. Press Esc to cancel.";
} // namespace

TerrainPick::TerrainPick(QAbstractButton* pickButton, QWidget* panel)
    : QObject(pickButton), button(pickButton), panel(panel)
{
    button->setToolTip(tr(pickToolTip));
}

TerrainPick::~TerrainPick()
{
    // The button is going away; only the view, which may outlive it, needs its cursor back.
    if (view)
        view->viewport()->unsetCursor();
}

bool TerrainPick::isArmed() const
{
    return !button->isEnabled();
}

void TerrainPick::arm()
{
    if (isArmed())
        return;
    button->setEnabled(false);
    const qtapplication::QtApplication* host = qtapplication::QtApplicationController::instance()->getQtApplication();
    view = host ? host->getGraphicsView() : nullptr;
    if (view)
        view->viewport()->setCursor(Qt::CrossCursor);
    listen(true);
}

void TerrainPick::disarm()
{
    if (!isArmed())
        return;
    listen(false);
    if (view)
        view->viewport()->unsetCursor();
    view = nullptr;
    button->setEnabled(true);
}

void TerrainPick::listen(bool on)
{
    // Keys typed into the view's dialogs reach the view first; a panel shown
    // on its own gets them itself, after the focused field has ignored them.
    for (QObject* target : {static_cast<QObject*>(view.data()), static_cast<QObject*>(panel)}) {
        if (!target)
            continue;
        if (on)
            target->installEventFilter(this);
        else
            target->removeEventFilter(this);
    }
}

bool TerrainPick::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        disarm();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace velmora::plugin::compass_widget
