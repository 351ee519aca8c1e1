#include "CompassWidgetPlugin.h"

#include "ClipboardReport.h"
#include "CompassWidget.h"
#include "CoordinateSystem.h"
#include "DegreeSplit.h"
#include "FieldRefusals.h"
#include "EscapeRestore.h"
#include "FieldValidators.h"
#include "GridInput.h"
#include "Heading.h"
#include "HudCompass.h"
#include "HudRoseHit.h"
#include "Location.h"
#include "LocationTransfer.h"
#include "NumberText.h"
#include "PanelAccessibility.h"
#include "StatusText.h"
#include "TerrainPick.h"

#include <velmora/application/Application.h>
#include <velmora/qtapplication/QtApplication.h>
#include <velmora/qtapplication/QtApplicationController.h>
#include <velmora/sceneutils/ShaderGenerator.h>
#include <velmora/terrain/TerrainManager.h>
#include <velmora/utility/CoordConverter.h>
#include <velmora/utility/CoreConfiguration.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleValidator>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGridLayout>
#include <QIcon>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>

#include <algorithm>
#include <initializer_list>
#include <cmath>
#include <iostream>
#include <vector>

namespace velmora::plugin::compass_widget {

namespace {

osg::Vec3d terrainOrigin()
{
    const osg::ref_ptr<terrain::TerrainManager> terrain = terrain::TerrainManager::instance();
    return {terrain->getOriginLatitude(), terrain->getOriginLongitude(), terrain->getOriginHeight()};
}

// The configured icon directory ends with its own separator.
QIcon pluginIcon()
{
    return QIcon(QString::fromStdString(utility::CoreConfiguration::getIconPath()) + QStringLiteral("flag_blue.png"));
}

// Null when the host has no Qt application or main window.
QStatusBar* hostStatusBar()
{
    const qtapplication::QtApplication* host = qtapplication::QtApplicationController::instance()->getQtApplication();
    QMainWindow* mainWindow = host ? host->getMainWindow() : nullptr;
    return mainWindow ? mainWindow->statusBar() : nullptr;
}

bool isFinite(const osg::Vec3d& point)
{
    return std::isfinite(point.x()) && std::isfinite(point.y()) && std::isfinite(point.z());
}

// Device pixels per logical pixel of the host's 3D view: OSG's window and
// intersections count device pixels, Qt's mouse events logical ones.
double viewPixelRatio()
{
    const qtapplication::QtApplication* app = qtapplication::QtApplicationController::instance()->getQtApplication();
    const QGraphicsView* view = app ? app->getGraphicsView() : nullptr;
    return view ? view->devicePixelRatioF() : 1.0;
}

// The host's graphics window in device pixels.
void windowSize(int& width, int& height)
{
    int x = 0;
    int y = 0;
    application::Application::instance()->getGraphicsWindow()->getWindowRectangle(x, y, width, height);
}

// The HUD's projection for a window of width x height device pixels: one
// unit is one logical pixel, like everything else a user sees, with the
// origin at the lower left.
osg::Matrixd hudProjectionFor(int width, int height)
{
    const double ratio = viewPixelRatio();
    return osg::Matrixd::ortho2D(0.0, width / ratio, 0.0, height / ratio);
}

// What the message line says after a warp to target put the camera's eye at eye (terrain-local metres): nothing
// when it is there, else where the host put it instead. A host keeps the eye above its ground.
QString warpOutcome(const gmtl::Vec<double, 3>& target, const osg::Vec3d& eye)
{
    constexpr double reached = 1e-3; // metres
    const osg::Vec3d offset = eye - osg::Vec3d(target[0], target[1], target[2]);
    if (offset.length() < reached)
        return QString();
    if (std::hypot(offset.x(), offset.y()) < reached && offset.z() > 0.0)
        return QStringLiteral("The camera was lifted to local Z %1 m to stay above the ground")
            .arg(formatDouble(eye.z(), metreDecimals));
    return QStringLiteral("The camera stopped at local %1, %2, %3 m")
        .arg(formatDouble(eye.x(), metreDecimals), formatDouble(eye.y(), metreDecimals), formatDouble(eye.z(), metreDecimals));
}

// Qt finishes an edit whenever a field loses focus, typed in or not. A form
// nobody typed in since the panel last showed a place is not read again:
// read back from its rounded digits, an MGRS reference would move the place
// to the corner of its 1 m square and the other forms would shift by their
// last digit, and a paste's note would go.
bool untouched(std::initializer_list<const QLineEdit*> form)
{
    return std::none_of(form.begin(), form.end(), [](const QLineEdit* field) { return field->isModified(); });
}

} // namespace

CompassWidgetPlugin::CompassWidgetPlugin()
    : QObject(nullptr), WidgetPlugin(QStringLiteral("Compass"), pluginIcon()), statusReadout(hostStatusBar())
{
    setupUi(panelWidget);
    terrainPick = new TerrainPick(pickCoordButton, panelWidget);
    // Beside the orientation text. The form caps the compass area at the
    // text's height, which would cut the painted compass off.
    paintedCompass = new CompassWidget(compassWidget);
    compassFrameLayout->addWidget(paintedCompass, 0, 1);
    compassFrameLayout->setSizeConstraint(QLayout::SetDefaultConstraint);
    paintedCompass->setObjectName(QStringLiteral("paintedCompass"));
    // Watching starts before the band field's upper-casing is connected, see EscapeRestore::watch.
    auto* escapeRestore = new EscapeRestore(this);
    for (QLineEdit* field : coordinateFields())
        escapeRestore->watch(field);
    describePanel(panelWidget);

    if (QComboBox* choice = statusReadout.choice())
        connect(choice, qOverload<int>(&QComboBox::currentIndexChanged), this,
                &CompassWidgetPlugin::on_coordinateSystemChoiceChanged);
    describeStatusWidgets(statusReadout.label(), statusReadout.choice());

    // Only the zone and band are kept: they are the in-values of the next conversion.
    double easting = 0.0;
    double northing = 0.0;
    utility::CoordConverter::convertGdcToUtm(0.0, 0.0, lastUtmZone, lastUtmBand, easting, northing);

    QDoubleValidator* anyDouble = createDoubleValidator(this);
    for (QLineEdit* field : {gdcLatitudeTextBox, gdcLongitudeTextBox, gdcElevationTextBox, elevDmsText, gccXTextBox,
                             gccYTextBox, gccZTextBox, localXTextBox, localYTextBox, localZTextBox,
                             utmEastingTextBox, utmNorthingTextBox})
        field->setValidator(anyDouble);
    utmZoneTextBox->setValidator(createIntValidator(1, 60, this));
    utmBandTextBox->setValidator(createBandValidator(this));
    latDegText->setValidator(createIntValidator(-90, 90, this));
    lonDegText->setValidator(createIntValidator(-180, 180, this));
    QIntValidator* minutes = createIntValidator(0, 59, this);
    latMinText->setValidator(minutes);
    lonMinText->setValidator(minutes);
    // The seconds fields show decimals, so they must take them back.
    QDoubleValidator* seconds = createSecondsValidator(this);
    latSecText->setValidator(seconds);
    lonSecText->setValidator(seconds);
    watchFields();
    fitTexts();
    locationTransfer = new LocationTransfer(
        panelWidget, {[this](const Location& location, const QString& note) { return showPastedPlace(location, note); },
                      [this](const QString& problem) { setLocationStatus(problem); }});

    buildHud();
}

CompassWidgetPlugin::~CompassWidgetPlugin() = default;

void CompassWidgetPlugin::initialize()
{
    connect(copyToClipboardButton, SIGNAL(clicked()), this, SLOT(on_copyToClipboardButton_clicked()));
    connect(pickCoordButton, SIGNAL(clicked()), this, SLOT(on_pickCoordButton_clicked()));
    connect(warpButton, SIGNAL(clicked()), this, SLOT(on_warpButton_clicked()));
    connect(warpToStartButton, SIGNAL(clicked()), this, SLOT(on_warpToStartButton_clicked()));
    connect(syncButton, SIGNAL(clicked()), this, SLOT(on_syncButton_clicked()));
    connect(toggleSyncButton, SIGNAL(clicked()), this, SLOT(on_toggleSyncButton_clicked()));
    connect(dmsCheckBox, SIGNAL(stateChanged(int)), this, SLOT(on_dmsCheckbox_state_changed(int)));
    for (QLineEdit* field : {gdcLatitudeTextBox, gdcLongitudeTextBox, gdcElevationTextBox})
        connect(field, SIGNAL(editingFinished()), this, SLOT(on_gdcTextBox_editingFinished()));
    for (QLineEdit* field : {latDegText, latMinText, latSecText, lonDegText, lonMinText, lonSecText, elevDmsText})
        connect(field, SIGNAL(editingFinished()), this, SLOT(on_gdcDmsTextBox_editingFinished()));
    for (QLineEdit* field : {gccXTextBox, gccYTextBox, gccZTextBox})
        connect(field, SIGNAL(editingFinished()), this, SLOT(on_gccTextBox_editingFinished()));
    for (QLineEdit* field : {localXTextBox, localYTextBox, localZTextBox})
        connect(field, SIGNAL(editingFinished()), this, SLOT(on_localTextBox_editingFinished()));
    connect(mgrsTextBox, SIGNAL(editingFinished()), this, SLOT(recalculateFromMgrsChange()));
    connect(utmZoneTextBox, SIGNAL(editingFinished()), this, SLOT(recalculateFromUtmChange()));
    // Upper-casing comes first, so the UTM check already sees the upper-case band.
    connect(utmBandTextBox, SIGNAL(textEdited(QString)), this, SLOT(toUpper(QString)));
    for (QLineEdit* field : {utmBandTextBox, utmEastingTextBox, utmNorthingTextBox})
        connect(field, SIGNAL(editingFinished()), this, SLOT(recalculateFromUtmChange()));
    connect(displayOn3DCheckBox, SIGNAL(stateChanged(int)), this, SLOT(displayCompassOn3D(int)));
    connect(sizeOn3DSpinBox, SIGNAL(valueChanged(int)), this, SLOT(setCompassOn3DSize(int)));
    connect(paintedCompass, &CompassWidget::turnToNorthRequested, this, &CompassWidgetPlugin::turnToNorth);

    // The panel's first content is the start location, exactly as "Warp to Start Location" shows it.
    on_warpToStartButton_clicked();
    shownTerrainOrigin = terrainOrigin();
}

void CompassWidgetPlugin::handleMouseMove(QMouseEvent* event, QGraphicsScene* scene)
{
    // Over a panel the cursor points at no terrain; without the scene its pixel cannot be placed.
    if (!scene || isMouseWithinGuiDialog(event->pos().x(), event->pos().y(), nullptr)) {
        statusReadout.dropCursor();
        return;
    }
    statusReadout.moveCursor(event->pos().x(), event->pos().y(), static_cast<int>(scene->sceneRect().height()));
}

void CompassWidgetPlugin::handleMouseClick(QMouseEvent* event, QGraphicsScene* scene)
{
    if (!terrainPick->isArmed() && isOnShownRose(*event, scene)) {
        turnToNorth();
        return;
    }
    if (!terrainPick->isArmed() || isMouseWithinGuiDialog(event->pos().x(), event->pos().y(), nullptr))
        return;
    application::Application* app = application::Application::instance();
    if (!app || !app->hasTerrainPointUnderMouse())
        return;
    // A copy: the host overwrites its point at the next press.
    const osg::Vec3d picked = app->getTerrainPointUnderMouse();
    // A press on the sky has no point (NaN); the pick waits for one on the terrain.
    if (!isFinite(picked))
        return;
    showLocalLocation(picked);
    terrainPick->disarm();
}

void CompassWidgetPlugin::handleMouseEnter()
{
}

void CompassWidgetPlugin::handleMouseLeave()
{
    statusReadout.dropCursor();
}

void CompassWidgetPlugin::frameUpdate()
{
    application::Application* app = application::Application::instance();
    if (!app)
        return;
    const osg::Matrixd view = app->getViewer()->getCamera()->getViewMatrix();
    const Heading heading = trueHeadingOfView(view);

    paintedCompass->setHeading(heading.degrees);
    orientationLabel->setText(QStringLiteral("Orientation (deg): ") + orientationText(heading.degrees));
    paintedCompass->repaint();

    hudRotation->setMatrix(osg::Matrixd::rotate(heading.radians, osg::Vec3d(0.0, 0.0, 1.0)));
    int width = 0;
    int height = 0;
    windowSize(width, height);
    hudProjection->setMatrix(hudProjectionFor(width, height));

    if (syncing)
        on_syncButton_clicked();
    // Another terrain brings another local frame, in which the local form's numbers name another place: the
    // panel starts again where the host put the camera, at the new terrain's start.
    if (const osg::Vec3d origin = terrainOrigin(); origin != shownTerrainOrigin) {
        shownTerrainOrigin = origin;
        showLocalLocation(app->getStartPosition());
    }

    refreshStatusText(*app->getViewer()->getCamera(), heading.degrees);
}

void CompassWidgetPlugin::frameRendered()
{
}

void CompassWidgetPlugin::on_copyToClipboardButton_clicked(bool)
{
    ClipboardReportTexts texts;
    texts.orientation = orientationLabel->text().toStdString();
    texts.latitudeLabel = gdcLatitudeLabel->text().toStdString();
    texts.latitude = gdcLatitudeTextBox->text().toStdString();
    texts.latitudeDegrees = latDegText->text().toStdString();
    texts.latitudeMinutes = latMinText->text().toStdString();
    texts.latitudeSeconds = latSecText->text().toStdString();
    texts.longitudeLabel = gdcLongitudeLabel->text().toStdString();
    texts.longitude = gdcLongitudeTextBox->text().toStdString();
    texts.longitudeDegrees = lonDegText->text().toStdString();
    texts.longitudeMinutes = lonMinText->text().toStdString();
    texts.longitudeSeconds = lonSecText->text().toStdString();
    texts.elevationLabel = gdcElevationLabel->text().toStdString();
    texts.elevation = gdcElevationTextBox->text().toStdString();
    texts.gccXLabel = gccXLabel->text().toStdString();
    texts.gccX = gccXTextBox->text().toStdString();
    texts.gccYLabel = gccYLabel->text().toStdString();
    texts.gccY = gccYTextBox->text().toStdString();
    texts.gccZLabel = gccZLabel->text().toStdString();
    texts.gccZ = gccZTextBox->text().toStdString();
    texts.localXLabel = localXLabel->text().toStdString();
    texts.localX = localXTextBox->text().toStdString();
    texts.localYLabel = localYLabel->text().toStdString();
    texts.localY = localYTextBox->text().toStdString();
    texts.localZLabel = localZLabel->text().toStdString();
    texts.localZ = localZTextBox->text().toStdString();
    texts.mgrs = mgrsTextBox->text().toStdString();
    texts.utmZone = utmZoneTextBox->text().toStdString();
    texts.utmBand = utmBandTextBox->text().toStdString();
    texts.utmEasting = utmEastingTextBox->text().toStdString();
    texts.utmNorthing = utmNorthingTextBox->text().toStdString();

    // Decoded as the texts were encoded, so what the user typed beyond ASCII survives.
    QApplication::clipboard()->setText(QString::fromStdString(clipboardReport(texts)), QClipboard::Clipboard);
}

void CompassWidgetPlugin::on_pickCoordButton_clicked(bool)
{
    // Following the camera would overwrite the picked point at the next frame.
    if (syncing)
        toggleSyncButton->click();
    terrainPick->arm();
}

void CompassWidgetPlugin::on_warpButton_clicked(bool)
{
    application::Application* app = application::Application::instance();
    if (!app)
        return;
    const gmtl::Vec<double, 3> target{fieldToDouble(localXTextBox), fieldToDouble(localYTextBox),
                                      fieldToDouble(localZTextBox)};
    // A refused edit leaves its text in the local fields; the camera goes only where the panel can show it.
    const QString problem = locationProblem(locationFromLocal(target));
    if (!problem.isEmpty()) {
        setLocationStatus(problem + QStringLiteral(": the camera stays where it is"));
        return;
    }
    app->warpToPosition(osg::Vec3d(target[0], target[1], target[2]));
    const QString outcome = warpOutcome(target, app->getViewer()->getCamera()->getInverseViewMatrix().getTrans());
    // A message about a refused edit still holds; one about an earlier warp does not.
    if (!outcome.isEmpty() || locationStatus->text() == lastWarpOutcome)
        setLocationStatus(outcome);
    lastWarpOutcome = outcome;
}

void CompassWidgetPlugin::on_warpToStartButton_clicked(bool)
{
    application::Application* app = application::Application::instance();
    if (!app)
        return;
    // The start position is asked for after the warp: that is where the camera now is.
    app->warpToStart();
    showLocalLocation(app->getStartPosition());
}

void CompassWidgetPlugin::on_syncButton_clicked(bool)
{
    if (const application::Application* app = application::Application::instance())
        showLocalLocation(app->getViewer()->getCamera()->getInverseViewMatrix().getTrans());
}

void CompassWidgetPlugin::on_toggleSyncButton_clicked(bool)
{
    syncing = toggleSyncButton->isChecked();
    // Locked while following, so no edit fights the per-frame refill.
    for (QLineEdit* field : coordinateFields())
        field->setEnabled(!syncing);
}

void CompassWidgetPlugin::on_gdcTextBox_editingFinished()
{
    if (untouched({gdcLatitudeTextBox, gdcLongitudeTextBox, gdcElevationTextBox}))
        return;
    if (!refusals->allTaken({gdcLatitudeTextBox, gdcLongitudeTextBox, gdcElevationTextBox}))
        return;
    const double elevation = fieldToDouble(gdcElevationTextBox);
    const double longitude = fieldToDouble(gdcLongitudeTextBox);
    const double latitude = fieldToDouble(gdcLatitudeTextBox);
    showLocation(locationFromGdc({latitude, longitude, elevation}), CoordinateSystem::GdcDegrees, locationStatus);
}

void CompassWidgetPlugin::on_gdcDmsTextBox_editingFinished()
{
    // A minutes field holding 60 must not turn into the next degree.
    if (untouched({latDegText, latMinText, latSecText, lonDegText, lonMinText, lonSecText, elevDmsText}))
        return;
    if (!refusals->allTaken({latDegText, latMinText, latSecText, lonDegText, lonMinText, lonSecText, elevDmsText}))
        return;
    showLocation(locationFromGdc(readDmsFields()), CoordinateSystem::GdcDms, locationStatus);
}

void CompassWidgetPlugin::on_gccTextBox_editingFinished()
{
    if (untouched({gccXTextBox, gccYTextBox, gccZTextBox}))
        return;
    if (!refusals->allTaken({gccXTextBox, gccYTextBox, gccZTextBox}))
        return;
    const double z = fieldToDouble(gccZTextBox);
    const double y = fieldToDouble(gccYTextBox);
    const double x = fieldToDouble(gccXTextBox);
    showLocation(locationFromGcc({x, y, z}), CoordinateSystem::Gcc, locationStatus);
}

void CompassWidgetPlugin::on_localTextBox_editingFinished()
{
    if (untouched({localXTextBox, localYTextBox, localZTextBox}))
        return;
    if (!refusals->allTaken({localXTextBox, localYTextBox, localZTextBox}))
        return;
    const double z = fieldToDouble(localZTextBox);
    const double y = fieldToDouble(localYTextBox);
    const double x = fieldToDouble(localXTextBox);
    showLocation(locationFromLocal({x, y, z}), CoordinateSystem::TerrainLocal, locationStatus);
}

void CompassWidgetPlugin::on_dmsCheckbox_state_changed(int state)
{
    gdcStackedWidget->setCurrentWidget(state == Qt::Checked ? gdcDmsPage : gdcDecimalPage);
}

void CompassWidgetPlugin::displayCompassOn3D(int state)
{
    hudPosition->setNodeMask(state > 0 ? 0xFFFFFFFFu : 0u);
}

void CompassWidgetPlugin::setCompassOn3DSize(int size)
{
    hudPosition->setMatrix(hudPlacement(size));
}

void CompassWidgetPlugin::on_coordinateSystemChoiceChanged(int)
{
    statusReadout.rewrite();
}

void CompassWidgetPlugin::recalculateFromMgrsChange()
{
    if (untouched({mgrsTextBox}))
        return;
    const std::string reference = mgrsTextBox->text().toStdString();
    // A reference with its own grid zone designation is read in its own band;
    // only one without (just the 100 km square) takes the remembered zone and band.
    const char ownBand = mgrsBandLetter(reference);
    UtmLocation utm;
    utm.zone = lastUtmZone;
    utm.band = ownBand != '\0' ? ownBand : lastUtmBand;
    std::string error;
    if (!utility::CoordConverter::convertMgrsToUtm(lastUtmZone, utm.band, reference, utm.zone, utm.easting,
                                                   utm.northing, error)) {
        mgrsStatus->setText(mgrsRefusal(reference, error));
        return;
    }
    const Location location = locationFromUtm(utm, fieldToDouble(gdcElevationTextBox));
    if (showLocation(location, CoordinateSystem::Mgrs, mgrsStatus))
        mgrsStatus->setText(placeBandNote(utm.band, location.utm.band));
}

void CompassWidgetPlugin::recalculateFromUtmChange()
{
    if (untouched({utmZoneTextBox, utmBandTextBox, utmEastingTextBox, utmNorthingTextBox}))
        return;
    UtmLocation utm;
    if (!validateUtmFields(utm))
        return;
    const Location location = locationFromUtm(utm, fieldToDouble(gdcElevationTextBox));
    if (!showLocation(location, CoordinateSystem::Utm, utmStatus)) {
        utmStatus->setText(QStringLiteral("No place in zone %1%2 has this easting and northing")
                               .arg(utm.zone)
                               .arg(QLatin1Char(utm.band)));
        return;
    }
    utmStatus->setText(placeBandNote(utm.band, location.utm.band));
}

void CompassWidgetPlugin::toUpper(const QString& text)
{
    auto* field = qobject_cast<QLineEdit*>(sender());
    if (!field || text == text.toUpper())
        return;
    // Replaced as the user's own edit (modified and undoable), so the edit
    // under way goes on; the upper-case text comes back here and stops.
    const int cursor = field->cursorPosition();
    field->selectAll();
    field->insert(text.toUpper());
    field->setCursorPosition(cursor);
}

double CompassWidgetPlugin::fieldToDouble(const QLineEdit* field) const
{
    return textToDouble(field->text());
}

gmtl::Vec<double, 3> CompassWidgetPlugin::readDmsFields() const
{
    return {joinDegrees(degreesFieldValue(latDegText->text()), fieldToDouble(latMinText), fieldToDouble(latSecText)),
            joinDegrees(degreesFieldValue(lonDegText->text()), fieldToDouble(lonMinText), fieldToDouble(lonSecText)),
            fieldToDouble(elevDmsText)};
}

bool CompassWidgetPlugin::validateUtmFields(UtmLocation& utm)
{
    UtmField faulty = UtmField::Zone;
    UtmLocation read;
    const QString problem = validateUtmTexts(
        {utmZoneTextBox->text(), utmBandTextBox->text(), utmEastingTextBox->text(), utmNorthingTextBox->text()}, read,
        faulty);
    const std::array<QLineEdit*, 4> fields{utmZoneTextBox, utmBandTextBox, utmEastingTextBox, utmNorthingTextBox};
    if (!problem.isEmpty()) {
        refusals->refuse(fields[static_cast<std::size_t>(faulty)], problem);
        return false;
    }
    // An unfinished easting ("1e") would otherwise be read as far as it goes.
    if (!refusals->allTaken({utmZoneTextBox, utmBandTextBox, utmEastingTextBox, utmNorthingTextBox}))
        return false;
    utmStatus->clear();
    utm = read;
    return true;
}

void CompassWidgetPlugin::watchFields()
{
    refusals = new FieldRefusals(this);
    const auto number = [](const char* name) {
        return QStringLiteral("%1 must be a number, such as -12.5 or 1.5e6").arg(QLatin1String(name));
    };
    const std::pair<QLineEdit*, QString> numbers[] = {
        {gdcLatitudeTextBox, number("Latitude")}, {gdcLongitudeTextBox, number("Longitude")},
        {gdcElevationTextBox, number("Elevation")}, {elevDmsText, number("Elevation")},
        {gccXTextBox, number("GCC X")}, {gccYTextBox, number("GCC Y")}, {gccZTextBox, number("GCC Z")},
        {localXTextBox, number("Local X")}, {localYTextBox, number("Local Y")}, {localZTextBox, number("Local Z")},
        {latDegText, QStringLiteral("Latitude degrees must be whole, from -90 to 90")},
        {lonDegText, QStringLiteral("Longitude degrees must be whole, from -180 to 180")},
        {latMinText, QStringLiteral("Minutes must be whole, from 0 to 59")},
        {lonMinText, QStringLiteral("Minutes must be whole, from 0 to 59")},
        {latSecText, QStringLiteral("Seconds must be from 0 to below 60")},
        {lonSecText, QStringLiteral("Seconds must be from 0 to below 60")}};
    for (const auto& [field, message] : numbers)
        refusals->watch(field, locationStatus, message);
    refusals->watch(utmZoneTextBox, utmStatus, QStringLiteral("The zone number must be from 1 to 60"));
    refusals->watch(utmBandTextBox, utmStatus, QStringLiteral("The band must be a letter from C to X"));
    refusals->watch(utmEastingTextBox, utmStatus, number("Easting"));
    refusals->watch(utmNorthingTextBox, utmStatus, number("Northing"));
}

void CompassWidgetPlugin::writeGdcFields(const gmtl::Vec<double, 3>& gdc)
{
    gdcLatitudeTextBox->setText(formatDouble(gdc[0], degreeDecimals));
    gdcLongitudeTextBox->setText(formatDouble(gdc[1], degreeDecimals));
    gdcElevationTextBox->setText(formatDouble(gdc[2], metreDecimals));
}

void CompassWidgetPlugin::writeDmsFields(const gmtl::Vec<double, 3>& gdc)
{
    const DegreeParts latitude = splitDegrees(gdc[0]);
    latDegText->setText(degreesText(latitude));
    latMinText->setText(QString::number(latitude.minutes));
    latSecText->setText(secondsText(latitude));
    const DegreeParts longitude = splitDegrees(gdc[1]);
    lonDegText->setText(degreesText(longitude));
    lonMinText->setText(QString::number(longitude.minutes));
    lonSecText->setText(secondsText(longitude));
    elevDmsText->setText(formatDouble(gdc[2], metreDecimals));
}

void CompassWidgetPlugin::writeGccFields(const gmtl::Vec<double, 3>& gcc)
{
    gccXTextBox->setText(formatDouble(gcc[0], metreDecimals));
    gccYTextBox->setText(formatDouble(gcc[1], metreDecimals));
    gccZTextBox->setText(formatDouble(gcc[2], metreDecimals));
}

void CompassWidgetPlugin::writeLocalFields(const gmtl::Vec<double, 3>& local)
{
    localXTextBox->setText(formatDouble(local[0], metreDecimals));
    localYTextBox->setText(formatDouble(local[1], metreDecimals));
    localZTextBox->setText(formatDouble(local[2], metreDecimals));
}

void CompassWidgetPlugin::writeUtmFields(const UtmLocation& utm)
{
    utmZoneTextBox->setText(QString::number(utm.zone));
    utmBandTextBox->setText(QString(QLatin1Char(utm.band)));
    utmEastingTextBox->setText(formatDouble(utm.easting, metreDecimals));
    utmNorthingTextBox->setText(formatDouble(utm.northing, metreDecimals));
}

bool CompassWidgetPlugin::showLocation(const Location& location, CoordinateSystem edited, QLabel* status)
{
    const QString problem = locationProblem(location);
    if (!problem.isEmpty()) {
        if (status == locationStatus)
            setLocationStatus(problem);
        else
            status->setText(problem);
        return false;
    }

    // A message about a form is stale once that form shows the new place.
    setLocationStatus(QString());
    locationTransfer->setShownPlace(location);
    if (edited != CoordinateSystem::GdcDegrees)
        writeGdcFields(location.gdc);
    if (edited != CoordinateSystem::GdcDms)
        writeDmsFields(location.gdc);
    if (edited != CoordinateSystem::Gcc)
        writeGccFields(location.gcc);
    if (edited != CoordinateSystem::TerrainLocal)
        writeLocalFields(location.local);
    if (edited != CoordinateSystem::Mgrs) {
        mgrsTextBox->setText(QString::fromStdString(location.mgrs));
        mgrsStatus->clear();
    }
    // A UTM edit keeps its zone, easting and northing as typed; its band
    // only picked the hemisphere, so the field shows the band of the place.
    if (edited != CoordinateSystem::Utm) {
        writeUtmFields(location.utm);
        utmStatus->clear();
    } else {
        utmBandTextBox->setText(QString(QLatin1Char(location.utm.band)));
    }
    // A reference without zone and band is read in the ones shown.
    lastUtmZone = location.utm.zone;
    lastUtmBand = location.utm.band;
    for (QLineEdit* field : coordinateFields())
        field->setModified(false);
    return true;
}

void CompassWidgetPlugin::setLocationStatus(const QString& text)
{
    locationStatus->setText(text);
}

void CompassWidgetPlugin::fitTexts()
{
    // Every field at least as wide as the longest text it is written (eight
    // significant digits, sign and point; '8' stands for any digit), so no
    // leading digit scrolls out of view, whatever the font and pixel ratio.
    const std::pair<const char*, std::vector<QLineEdit*>> widest[] = {
        {"-88.888888", {gdcLatitudeTextBox}},
        {"-188.88888", {gdcLongitudeTextBox}},
        {"-8888.8888", {gdcElevationTextBox, elevDmsText, gccXTextBox, gccYTextBox, gccZTextBox, localXTextBox,
                        localYTextBox, localZTextBox, utmEastingTextBox, utmNorthingTextBox}},
        {"-188", {latDegText, lonDegText}},
        {"88", {latMinText, lonMinText, utmZoneTextBox}},
        {"88.8888", {latSecText, lonSecText}},
        {"W", {utmBandTextBox}},
        {"88WWW8888888888", {mgrsTextBox}}};
    for (const auto& [text, fields] : widest) {
        for (QLineEdit* field : fields) {
            // The frame on both sides, Qt's 2-pixel text margins and the cursor.
            const int frame = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field);
            field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QLatin1String(text)) + 2 * frame + 5);
        }
    }
    // Seven fields side by side: at Qt's default field width the deg:min:sec
    // page, and with it the panel, would be twice as wide as the other forms.
    // Its width is left out of the panel's preferred size; its least width
    // (every field showing its longest text) still counts.
    gdcDmsPage->setSizePolicy(QSizePolicy::Ignored, gdcDmsPage->sizePolicy().verticalPolicy());
    // Two characters at most: the room goes to easting and northing.
    for (QLineEdit* field : {utmZoneTextBox, utmBandTextBox})
        field->setMaximumWidth(field->minimumWidth());
    // A button's text keeps clear of its edges, the longest one too.
    for (QPushButton* button : buttonArea->findChildren<QPushButton*>()) {
        const QFontMetrics metrics = button->fontMetrics();
        const int room = 4 * metrics.horizontalAdvance(QLatin1Char('M'));
        button->setMinimumWidth(metrics.horizontalAdvance(button->text()) + room);
    }
    // Messages appear in room kept for them: nothing moves or is cut off when
    // one does, and a long one wraps instead of widening the panel. The host's
    // reasons for refusing a reference can take two lines.
    for (auto [label, lines] : {std::pair{utmStatus, 1}, std::pair{mgrsStatus, 2}, std::pair{locationStatus, 1}}) {
        label->setWordWrap(true);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        // As tall as that many lines of its own text, margins and all.
        label->setText(QString(QStringLiteral("X\n")).repeated(lines).trimmed());
        label->setFixedHeight(label->sizeHint().height());
        label->clear();
    }
}

bool CompassWidgetPlugin::showPastedPlace(const Location& location, const QString& note)
{
    if (const QString problem = locationProblem(location); !problem.isEmpty()) {
        setLocationStatus(problem);
        return false;
    }
    // Following the camera would overwrite the pasted place at the next frame.
    if (syncing)
        toggleSyncButton->click();
    // No form keeps typed text: the local form is written too.
    showLocation(location, CoordinateSystem::TerrainLocal, locationStatus);
    writeLocalFields(location.local);
    setLocationStatus(note);
    return true;
}

std::array<QLineEdit*, 21> CompassWidgetPlugin::coordinateFields() const
{
    return {gdcLatitudeTextBox, gdcLongitudeTextBox, gdcElevationTextBox, gccXTextBox,       gccYTextBox,
            gccZTextBox,        localXTextBox,       localYTextBox,       localZTextBox,     mgrsTextBox,
            utmZoneTextBox,     utmBandTextBox,      utmEastingTextBox,   utmNorthingTextBox, latDegText,
            latMinText,         latSecText,          lonDegText,          lonMinText,        lonSecText,
            elevDmsText};
}

void CompassWidgetPlugin::turnToNorth()
{
    if (application::Application* app = application::Application::instance())
        app->turnToNorth();
}

bool CompassWidgetPlugin::isOnShownRose(const QMouseEvent& event, const QGraphicsScene* scene) const
{
    // A hidden rose has nothing to click; the scene's height is the view's.
    return scene && event.button() == Qt::LeftButton && hudPosition->getNodeMask() != 0 &&
           !isMouseWithinGuiDialog(event.pos().x(), event.pos().y(), nullptr) &&
           isOnHudRose(QPointF(event.pos()), scene->sceneRect().height(), sizeOn3DSpinBox->value());
}

void CompassWidgetPlugin::showLocalLocation(const osg::Vec3d& point)
{
    // The other forms derive from the 8-digit texts of the local fields, not
    // from the exact point, exactly as if those texts had been typed.
    auto asShown = [](double value) { return textToDouble(formatDouble(value, metreDecimals)); };
    const gmtl::Vec<double, 3> local{asShown(point.x()), asShown(point.y()), asShown(point.z())};
    if (showLocation(locationFromLocal(local), CoordinateSystem::TerrainLocal, locationStatus))
        writeLocalFields(local);
}

void CompassWidgetPlugin::buildHud()
{
    const HudCompassNodes nodes = buildHudCompass();
    hudProjection = nodes.projection;
    hudPosition = nodes.position;
    hudRotation = nodes.rotation;
    setCompassOn3DSize(hudStartSize);

    // Without a host application there is no scene to show the rose in.
    application::Application* app = application::Application::instance();
    if (!app)
        return;
    int width = 0;
    int height = 0;
    windowSize(width, height);
    std::cerr << "View = " << width << ' ' << height << '\n';
    hudProjection->setMatrix(hudProjectionFor(width, height));

    app->getSceneData()->addChild(hudProjection);
    sceneutils::ShaderGenerator::instance()->process(hudRotation.get(), false, false, false, false);
}

void CompassWidgetPlugin::refreshStatusText(osg::Camera& camera, double headingDegrees)
{
    statusReadout.update(camera, hudProjection.get(), viewPixelRatio(), headingDegrees);
}

void CompassWidgetPlugin::appendLocation(const osg::Vec3d& point, QString& text) const
{
    text += locationText(statusReadout.system(), point);
}

void CompassWidgetPlugin::appendFixed(QString& text, double value, int intDigits, int decimals) const
{
    text += fixedText(value, intDigits, decimals);
}

void CompassWidgetPlugin::appendInteger(QString& text, int value, int width) const
{
    text += integerText(value, width);
}

void CompassWidgetPlugin::appendDms(QString& text, double degrees) const
{
    text += dmsText(degrees);
}

} // namespace velmora::plugin::compass_widget
