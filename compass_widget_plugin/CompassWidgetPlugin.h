#pragma once

#include <velmora/application/plugin/FrameUpdatePlugin.h>
#include <velmora/application/plugin/MouseHandlerPlugin.h>
#include <velmora/widget/plugin/WidgetPlugin.h>

#include "CoordinateSystem.h"
#include "StatusReadout.h"
#include "UtmLocation.h"

// The form is a private base, so its complete type is needed here.
#include "ui_CompassWidgetPlugin.h"

#include <QObject>
#include <QString>

#include <gmtl/Vec.h>
#include <osg/Matrixd>
#include <osg/MatrixTransform>
#include <osg/Projection>
#include <osg/Vec3d>
#include <osg/ref_ptr>

#include <array>

class QGraphicsScene;
class QLabel;
class QLineEdit;
class QMouseEvent;

namespace osg {
class Camera;
}

namespace velmora::plugin::compass_widget {

struct Location;
class LocationTransfer;
class TerrainPick;
class CompassWidget;
class FieldRefusals;

// The compass and location plugin: the "Compass" panel with one location in
// six coordinate forms, the host's mouse events over the 3D view, the
// per-frame heading update, and the coordinate-system choice and status text
// in the host's status bar. Every form widget is a member through the
// private form base. Lives on the host's GUI thread; the host owns it.
//
// The base list spells every base with its full name: moc answers the
// interface names in qt_metacast exactly as they are written here, and it
// leaves the private form base out.
class CompassWidgetPlugin : public QObject,
                            public velmora::widget::plugin::WidgetPlugin,
                            public velmora::application::plugin::MouseHandlerPlugin,
                            public velmora::application::plugin::FrameUpdatePlugin,
                            private Ui::CompassWidgetPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.velmora.WidgetPlugin/1.0" FILE "CompassWidgetPlugin.json")

public:
    // Builds the panel on the base's panel widget and puts the status label
    // and the coordinate-system choice into the host main window's status
    // bar. A host without a main window gets no status-bar widgets (both
    // stay null). The fields stay empty until initialize.
    CompassWidgetPlugin();
    // Deletes nothing itself: widgets stay with their Qt parents, the status
    // bar keeps its two widgets, validators go with this object.
    ~CompassWidgetPlugin() override;

    // Connects the panel's signals, moves the camera to its start location
    // and shows that location in the panel (without an application object
    // the panel stays empty). The host calls it once; a second call would
    // connect every signal twice.
    void initialize() override;

    // Records the cursor position (view widget coordinates, logical pixels)
    // and the scene height for the status text, whose next frame names the
    // terrain point there. A move over one of the host's GUI dialogs drops
    // the cursor part of the status text at once.
    void handleMouseMove(QMouseEvent* event, QGraphicsScene* scene) override;
    // Completes an armed terrain pick with the terrain point under the mouse
    // at this press. A press over a host dialog or on the sky (no terrain
    // point) leaves the pick armed and the panel unchanged. While no pick is
    // armed, a left press on the shown compass rose over the 3D view turns the
    // camera to face north; any other press changes nothing.
    void handleMouseClick(QMouseEvent* event, QGraphicsScene* scene) override;
    // Nothing to do when the cursor enters the 3D view: its first move counts.
    void handleMouseEnter() override;
    // Drops the cursor part of the status text at once, until the cursor moves over the view again.
    void handleMouseLeave() override;

    // Once per rendered frame on the GUI thread: computes the camera heading
    // from true north at the camera (trueHeadingOfView) and shows it in the
    // orientation text, the painted compass and the HUD rose, fits the HUD
    // to the window, refills the panel from the camera in follow mode, and
    // rewrites the status text when the camera's view matrix changed or the
    // cursor moved since the last rewrite.
    void frameUpdate() override;
    // Nothing to do after the frame is drawn.
    void frameRendered() override;

private slots:
    // Puts the fourteen-line plain-text location report made from the
    // panel's current texts on the system clipboard. checked is not used.
    void on_copyToClipboardButton_clicked(bool checked = false);
    // Arms a terrain pick, leaving follow mode first: the next press on the
    // terrain in the 3D view fills the panel; Escape cancels.
    void on_pickCoordButton_clicked(bool checked = false);
    // Moves the camera to the terrain-local point in the local fields; the
    // panel's fields stay as they are. Fields that name no place move
    // nothing, and the message line says why; a camera that the host put
    // elsewhere (lifted above the ground) is reported there too.
    void on_warpButton_clicked(bool checked = false);
    // Moves the camera to its start location and shows that location.
    void on_warpToStartButton_clicked(bool checked = false);
    // Fills the panel once from the camera's eye position (scene coordinates
    // are terrain-local).
    void on_syncButton_clicked(bool checked = false);
    // Follow mode on or off with the button's checked state: the panel tracks
    // the camera every frame and its 21 coordinate fields are locked.
    void on_toggleSyncButton_clicked(bool checked = false);
    // Recomputes every other form from the GDC decimal-degree fields.
    void on_gdcTextBox_editingFinished();
    // Recomputes every other form from the degrees-minutes-seconds fields.
    void on_gdcDmsTextBox_editingFinished();
    // Recomputes every other form from the geocentric fields.
    void on_gccTextBox_editingFinished();
    // Recomputes every other form from the terrain-local fields.
    void on_localTextBox_editingFinished();
    // Shows the degrees-minutes-seconds page for Qt::Checked (2), the
    // decimal-degree page for any other state.
    void on_dmsCheckbox_state_changed(int state);
    // Hides the compass rose over the 3D view for Qt::Unchecked (0) and shows
    // it for any other state, partly checked included.
    void displayCompassOn3D(int state);
    // Scales the compass rose over the 3D view to size pixels per model unit
    // (its ring radius is 2.2 units), whether it is shown or not.
    void setCompassOn3DSize(int size);
    // Rewrites the status text at once in the newly chosen system, from the
    // camera and cursor point it shows; the index is not needed for that.
    void on_coordinateSystemChoiceChanged(int);
    // Recomputes every other form from the MGRS field.
    void recalculateFromMgrsChange();
    // Checks the UTM fields and recomputes every other form from them.
    void recalculateFromUtmChange();
    // Upper-cases the band letter while it is typed; does nothing unless the
    // sender is a line edit.
    void toUpper(const QString& text);

private:
    // The number at the start of field's text, read in the C locale; 0 when
    // the text does not start with a number ("", "-", ".").
    double fieldToDouble(const QLineEdit* field) const;
    // The latitude, longitude (degrees) and elevation (metres) that the seven
    // deg:min:sec fields stand for; the sign comes from the degrees fields.
    gmtl::Vec<double, 3> readDmsFields() const;
    // Reads the four UTM fields into utm and shows what is wrong with them in
    // utmStatus, marking the field at fault; false (and utm untouched) when
    // they hold no position.
    bool validateUtmFields(UtmLocation& utm);
    // Gives every coordinate field with a validator the message that Return
    // or leaving it shows while the validator does not take its text.
    void watchFields();

    // Each writer sets its form's fields as formatDouble writes them (degrees
    // to degreeDecimals, metres to metreDecimals), the seconds as secondsText
    // does, with '.' whatever the locale.
    void writeGdcFields(const gmtl::Vec<double, 3>& gdc);
    void writeDmsFields(const gmtl::Vec<double, 3>& gdc);
    void writeGccFields(const gmtl::Vec<double, 3>& gcc);
    void writeLocalFields(const gmtl::Vec<double, 3>& local);
    void writeUtmFields(const UtmLocation& utm);

    // Writes location into every form but the edited one, which keeps the
    // text as typed (a UTM edit's band field excepted: it shows the band of
    // the place), clears the messages of the forms it rewrote and remembers
    // the zone and band shown for references without them. When the
    // location has no value in some form (out-of-domain input), nothing but
    // status changes: the reason goes there and false is returned.
    bool showLocation(const Location& location, CoordinateSystem edited, QLabel* status);
    // Shows text in the message line under the MGRS form.
    void setLocationStatus(const QString& text);
    // Sizes the fields to their longest texts and keeps room for the messages.
    void fitTexts();
    // Shows a pasted or dropped place in all six forms, leaving follow mode
    // first, with note in the message line; a place without a value in some
    // form changes nothing but the message line and gives false.
    bool showPastedPlace(const Location& location, const QString& note);

    // Makes the terrain-local point (metres) the shown location: writes it
    // into the local fields (as writeLocalFields does) and derives every
    // other form from that text. A point without a place (NaN) changes
    // nothing but the message line.
    void showLocalLocation(const osg::Vec3d& point);
    // The 21 coordinate fields, in the order follow mode locks them.
    std::array<QLineEdit*, 21> coordinateFields() const;

    // Asks the host to turn the camera to face north; nothing without a host application.
    void turnToNorth();
    // Whether event is a left press on the compass rose shown over the 3D view, outside the host's dialogs.
    bool isOnShownRose(const QMouseEvent& event, const QGraphicsScene* scene) const;

    // Builds the compass rose over the 3D view and hangs it under the host's
    // scene root; writes "View = <width> <height>" to standard error.
    void buildHud();
    // Rewrites the status text when the camera's view changed or the cursor moved
    // (see StatusReadout::update), with the heading in degrees.
    void refreshStatusText(osg::Camera& camera, double headingDegrees);
    // Appends the terrain-local point (metres) to text in the coordinate
    // system chosen in the status bar; nothing for an unknown choice.
    void appendLocation(const osg::Vec3d& point, QString& text) const;
    // Appends value with decimals decimals, right-aligned in intDigits + 1 +
    // decimals characters.
    void appendFixed(QString& text, double value, int intDigits, int decimals) const;
    // Appends value right-aligned in width characters.
    void appendInteger(QString& text, int value, int width) const;
    // Appends an angle in degrees as degrees, minutes and seconds.
    void appendDms(QString& text, double degrees) const;

    CompassWidget* paintedCompass = nullptr; // owned by the panel, beside the orientation text
    FieldRefusals* refusals = nullptr;       // a child of this object
    bool syncing = false;
    unsigned int lastUtmZone = 0;
    char lastUtmBand = ' ';
    // The terrain origin (latitude, longitude, height) the local form was filled in.
    osg::Vec3d shownTerrainOrigin;
    // What the message line said after the last warp; empty when it said nothing.
    QString lastWarpOutcome;
    // The coordinate-system choice and text in the host's status bar.
    StatusReadout statusReadout;
    // Arming, cancelling and the cross-hair of "Pick Location"; a child of its button.
    TerrainPick* terrainPick = nullptr;
    // Paste, drop and copy of places as text; a child of the panel.
    LocationTransfer* locationTransfer = nullptr;
    osg::ref_ptr<osg::Projection> hudProjection;
    osg::ref_ptr<osg::MatrixTransform> hudRotation;
    osg::ref_ptr<osg::MatrixTransform> hudPosition;
};

} // namespace velmora::plugin::compass_widget
