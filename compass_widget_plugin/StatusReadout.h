#pragma once

#include "CoordinateSystem.h"

#include <osg/Matrixd>
#include <osg/Vec3d>

#include <limits>
#include <optional>

class QComboBox;
class QLabel;
class QStatusBar;

namespace osg {
class Camera;
class Node;
} // namespace osg

namespace velmora::plugin::compass_widget {

// The status bar's readout: a choice of coordinate system and a text with
// the camera position, the terrain point under the cursor and the heading,
// written in the chosen system (see statusText).
//
// The cursor part names only a point measured under the camera shown: it is
// measured at the first frame after the cursor moved, dropped at once when
// the cursor leaves the 3D view or goes over a panel, and dropped when the
// camera moves under a resting cursor, since the pixel remembered may no
// longer be the one under it (the view may have been resized, or the
// cursor be on a button that moved the camera).
class StatusReadout
{
public:
    // Makes the text label and the choice and adds them to statusBar, which
    // takes them; with a null statusBar nothing is made and every operation
    // but the constructor does nothing.
    explicit StatusReadout(QStatusBar* statusBar);

    // The choice, for the caller to connect to; null without a status bar.
    QComboBox* choice() const { return coordinateSystemCombo; }
    QLabel* label() const { return statusLabel; }
    // The system chosen; GDC degrees, the first choice, without a status bar.
    CoordinateSystem system() const;

    // The cursor moved to (x, y) over the terrain view, in the view's widget
    // coordinates (logical pixels) of a view sceneHeight logical pixels high.
    void moveCursor(int x, int y, int sceneHeight);
    // The cursor left the terrain view or went over a panel: the cursor part
    // goes now, without waiting for a frame.
    void dropCursor();
    // Once per frame: when the camera's view matrix changed or the cursor
    // moved since the last update, takes the camera's eye, measures the
    // terrain point under a moved cursor (leaving out everything below
    // overlay, which may be null; pixelRatio device pixels per logical
    // pixel) and rewrites the text with headingDegrees.
    void update(osg::Camera& camera, const osg::Node* overlay, double pixelRatio, double headingDegrees);
    // Writes the text again from the eye, cursor point and heading of the
    // last update, in the system chosen now. Nothing before the first update.
    void rewrite();

private:
    static constexpr int noCursor = std::numeric_limits<int>::min();

    QLabel* statusLabel = nullptr;
    QComboBox* coordinateSystemCombo = nullptr;
    osg::Matrixd lastViewMatrix; // identity until the first update
    bool updated = false;
    int cursorX = noCursor;
    int cursorY = noCursor;
    int sceneHeight = 0;
    bool cursorMoved = false;
    osg::Vec3d eye;
    std::optional<osg::Vec3d> cursorPoint;
    double headingDegrees = 0.0;
};

} // namespace velmora::plugin::compass_widget
