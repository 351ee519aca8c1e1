#include "PanelAccessibility.h"

#include <QCoreApplication>
#include <QWidget>

namespace velmora::plugin::compass_widget {

namespace {

struct Described
{
    const char* objectName;
    const char* name; // null: the widget's own text names it, as it does the buttons
    const char* description;
};

// In reading order; Tab follows it.
const Described panelWidgets[] = {
    {"paintedCompass", "Compass", "Shows the camera heading; a click turns the view to face north"},
    {"orientationLabel", nullptr, "Camera heading in degrees clockwise from north"},
    {"displayOn3DCheckBox", "Show compass on 3D view", "Shows or hides the compass rose over the 3D view"},
    {"sizeOn3DSpinBox", "Compass size on 3D view", "Size of the compass rose over the 3D view, a whole number"},
    {"sizeOn3DSlider", "Compass size slider", "Size of the compass rose over the 3D view"},
    {"utmZoneTextBox", "UTM zone", "Zone number from 1 to 60"},
    {"utmBandTextBox", "UTM band", "Band letter from C to X but not I or O, either case"},
    {"utmEastingTextBox", "UTM easting", "Easting in metres, within the zone"},
    {"utmNorthingTextBox", "UTM northing", "Northing in metres, within the zone"},
    {"utmStatus", nullptr, "Why the UTM fields name no place"},
    {"mgrsTextBox", "MGRS reference",
     "A reference such as 10TES9450789496, spaces and either case allowed, 0 to 5 digit pairs; without zone and "
     "band it is read in the zone and band shown"},
    {"mgrsStatus", nullptr, "Why the MGRS reference names no place"},
    {"locationStatus", nullptr, "Why the last edit names no place"},
    {"dmsCheckBox", "Degrees, minutes and seconds", "Shows latitude and longitude as degrees, minutes and seconds"},
    {"gdcLatitudeTextBox", "Latitude", "Decimal degrees from -90 to 90, north positive"},
    {"gdcLongitudeTextBox", "Longitude", "Decimal degrees, east positive"},
    {"gdcElevationTextBox", "Elevation", "Metres above the WGS84 ellipsoid"},
    {"latDegText", "Latitude degrees", "Whole degrees from -90 to 90; -0 for latitudes between -1 and 0"},
    {"latMinText", "Latitude minutes", "Whole minutes from 0 to 59"},
    {"latSecText", "Latitude seconds", "Seconds from 0 to below 60, decimals allowed"},
    {"lonDegText", "Longitude degrees", "Whole degrees from -180 to 180; -0 for longitudes between -1 and 0"},
    {"lonMinText", "Longitude minutes", "Whole minutes from 0 to 59"},
    {"lonSecText", "Longitude seconds", "Seconds from 0 to below 60, decimals allowed"},
    {"elevDmsText", "Elevation", "Metres above the WGS84 ellipsoid"},
    {"gccXTextBox", "Geocentric X", "Metres from the earth's centre towards latitude 0, longitude 0"},
    {"gccYTextBox", "Geocentric Y", "Metres from the earth's centre towards latitude 0, longitude 90 east"},
    {"gccZTextBox", "Geocentric Z", "Metres from the earth's centre towards the north pole"},
    {"localXTextBox", "Local east", "Metres east of the terrain's origin"},
    {"localYTextBox", "Local north", "Metres north of the terrain's origin"},
    {"localZTextBox", "Local up", "Metres up from the terrain origin's level"},
    {"warpButton", nullptr, "Moves the camera to the point in the Local fields"},
    {"pickCoordButton", nullptr, "Waits for a click on the terrain and shows that point; Escape cancels"},
    {"warpToStartButton", nullptr, "Moves the camera back to the start view and shows its place"},
    {"toggleSyncButton", nullptr, "While on, the fields follow the camera every frame and cannot be edited"},
    {"copyToClipboardButton", nullptr, "Puts a fourteen-line report of the place on the clipboard"},
    {"syncButton", nullptr, "Fills the fields once from the camera's position"},
};

void describe(QWidget* widget, const Described& described)
{
    if (described.name)
        widget->setAccessibleName(QCoreApplication::translate("PanelAccessibility", described.name));
    widget->setAccessibleDescription(QCoreApplication::translate("PanelAccessibility", described.description));
}

} // namespace

void describePanel(QWidget* panel)
{
    QWidget* previous = nullptr;
    for (const Described& described : panelWidgets) {
        auto* widget = panel->findChild<QWidget*>(QLatin1String(described.objectName));
        if (!widget)
            continue;
        describe(widget, described);
        if (!(widget->focusPolicy() & Qt::TabFocus))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void describeStatusWidgets(QWidget* statusText, QWidget* systemChoice)
{
    if (statusText)
        describe(statusText, {"", nullptr,
                              "Camera position, terrain point under the cursor and heading, in the coordinate "
                              "system chosen beside it"});
    if (systemChoice)
        describe(systemChoice, {"", "Status coordinate system", "The coordinate system of the status text"});
}

} // namespace velmora::plugin::compass_widget
