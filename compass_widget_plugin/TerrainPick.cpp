#include "TerrainPick.h"

#include <velmora/qtapplication/QtApplication.h>
#include <velmora/qtapplication/QtApplicationController.h>

#include <QAbstractButton>
#include <QCursor>
#include <QEvent>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>

#include <limits>

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
    // The button is going away already; only the scene may outlive it.
    removeCrossHair();
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
    if (view && view->scene())
        showCrossHair(view->scene());
    listen(true);
}

void TerrainPick::disarm()
{
    if (!isArmed())
        return;
    listen(false);
    removeCrossHair();
    view = nullptr;
    button->setEnabled(true);
}

void TerrainPick::showCrossHair(QGraphicsScene* scene)
{
    // The graphics view sets its viewport's cursor from the items under the
    // mouse and puts its own one back when it leaves them, so a cursor set on
    // the viewport directly would be lost at the first dialog the mouse
    // crosses. An empty item under everything, over the whole scene, gives the
    // terrain its cursor the view's own way; it takes no buttons and no hover.
    crossHairScene = scene;
    crossHair = new QGraphicsRectItem(scene->sceneRect());
    crossHair->setPen(Qt::NoPen);
    crossHair->setAcceptedMouseButtons(Qt::NoButton);
    crossHair->setZValue(std::numeric_limits<qreal>::lowest());
    scene->addItem(crossHair);
    connect(scene, &QGraphicsScene::sceneRectChanged, this, [this](const QRectF& rect) {
        if (crossHair)
            crossHair->setRect(rect);
    });
    // Set once in the scene, so the view shows it at once when the mouse is over it.
    crossHair->setCursor(Qt::CrossCursor);
}

void TerrainPick::removeCrossHair()
{
    if (crossHairScene) {
        disconnect(crossHairScene, nullptr, this, nullptr);
        // Unset first: the view then gives the viewport back its own cursor.
        crossHair->unsetCursor();
        delete crossHair;
    }
    crossHair = nullptr;
    crossHairScene = nullptr;
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
