#include "StatusReadout.h"

#include "CursorPoint.h"
#include "FixedPitchFont.h"
#include "StatusText.h"

#include <QComboBox>
#include <QLabel>
#include <QStatusBar>

#include <osg/Camera>

namespace velmora::plugin::compass_widget {

StatusReadout::StatusReadout(QStatusBar* statusBar)
{
    // The status bar takes ownership of both widgets when they are added;
    // without one they would belong to nobody, so they are not made.
    if (!statusBar)
        return;
    coordinateSystemCombo = new QComboBox;
    for (const CoordinateSystemChoice& choice : coordinateSystemChoices)
        coordinateSystemCombo->addItem(QString::fromLatin1(choice.text), static_cast<int>(choice.system));
    statusLabel = new QLabel;
    statusLabel->setFont(fixedPitchFont());
    statusBar->addPermanentWidget(statusLabel, 0);
    statusBar->addPermanentWidget(coordinateSystemCombo, 0);
}

void StatusReadout::moveCursor(int x, int y, int height)
{
    cursorX = x;
    cursorY = y;
    sceneHeight = height;
    cursorMoved = true;
}

void StatusReadout::dropCursor()
{
    cursorX = noCursor;
    cursorY = noCursor;
    cursorMoved = false;
    if (!cursorPoint)
        return;
    cursorPoint.reset();
    rewrite();
}

void StatusReadout::update(osg::Camera& camera, const osg::Node* overlay, double pixelRatio, double heading)
{
    // Exact compare: any change of the view, however small, may change the printed position.
    const osg::Matrixd& view = camera.getViewMatrix();
    const bool viewChanged = !updated || view.compare(lastViewMatrix) != 0;
    if (!statusLabel || (!viewChanged && !cursorMoved))
        return;
    cursorPoint.reset();
    osg::Vec3d point;
    // The rose's triangles and letters lie under the cursor too, but name no place on the terrain.
    if (cursorMoved && cursorX != noCursor &&
        scenePointUnder(camera, cursorWindowPosition(cursorX, cursorY, sceneHeight, pixelRatio), overlay, point))
        cursorPoint = point;
    eye = camera.getInverseViewMatrix().getTrans();
    headingDegrees = heading;
    lastViewMatrix = view;
    cursorMoved = false;
    updated = true;
    rewrite();
}

void StatusReadout::rewrite()
{
    if (statusLabel && updated)
        statusLabel->setText(statusText(system(), eye, cursorPoint, headingDegrees));
}

CoordinateSystem StatusReadout::system() const
{
    if (!coordinateSystemCombo)
        return coordinateSystemChoices.front().system;
    return static_cast<CoordinateSystem>(coordinateSystemCombo->currentData().toInt());
}

} // namespace velmora::plugin::compass_widget
