#include "CompassWidgetPlugin.h"

#include "ClipboardReport.h"
#include "CompassWidget.h"
#include "CoordinateSystem.h"
#include "CursorPoint.h"
#include "DegreeSplit.h"
#include "FieldValidators.h"
#include "FixedPitchFont.h"
#include "GridInput.h"
#include "Heading.h"
#include "HudCompass.h"
#include "Location.h"
#include "NumberText.h"
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
#include <QStatusBar>

#include <cmath>
#include <iostream>

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

} // namespace

CompassWidgetPlugin::CompassWidgetPlugin()
    : QObject(nullptr), WidgetPlugin(QStringLiteral("Compass"), pluginIcon())
{
    setupUi(panelWidget);
    terrainPick = new TerrainPick(pickCoordButton, panelWidget);
    // Beside the orientation text. The form caps the compass area at the
    // text's height, which would cut the painted compass off.
    paintedCompass = new CompassWidget(compassWidget);
    compassFrameLayout->addWidget(paintedCompass, 0, 1);
    compassFrameLayout->setSizeConstraint(QLayout::SetDefaultConstraint);

    // The status bar takes ownership of both widgets when they are added;
    // without one they would belong to nobody, so they are not made.
    if (QStatusBar* statusBar = hostStatusBar()) {
        coordinateSystemCombo = new QComboBox;
        for (const CoordinateSystemChoice& choice : coordinateSystemChoices)
            coordinateSystemCombo->addItem(QString::fromLatin1(choice.text), static_cast<int>(choice.system));
        connect(coordinateSystemCombo, SIGNAL(currentIndexChanged(int)), this,
                SLOT(on_coordinateSystemChoiceChanged(int)));

        statusLabel = new QLabel;
        statusLabel->setFont(fixedPitchFont());
        statusBar->addPermanentWidget(statusLabel, 0);
        statusBar->addPermanentWidget(coordinateSystemCombo, 0);
    }

    // Only the zone and band are kept: they are the in-values of the next conversion.
    double easting = 0.0;
    double northing = 0.0;
    utility::CoordConverter::convertGdcToUtm(0.0, 0.0, lastUtmZone, lastUtmBand, easting, northing);

    QDoubleValidator* anyDouble = createDoubleValidator(this);
    for (QLineEdit* field : {gdcLatitudeTextBox, gdcLongitudeTextBox, gdcElevationTextBox, gccXTextBox, gccYTextBox,
                             gccZTextBox, localXTextBox, localYTextBox, localZTextBox, utmEastingTextBox,
                             utmNorthingTextBox})
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

    // The panel's first content is the start location, exactly as "Warp to Start Location" shows it.
    on_warpToStartButton_clicked();
    shownTerrainOrigin = terrainOrigin();
}

void CompassWidgetPlugin::handleMouseMove(QMouseEvent* event, QGraphicsScene* scene)
{
    if (isMouseWithinGuiDialog(event->pos().x(), event->pos().y(), nullptr))
        return;
    mouseX = event->pos().x();
    mouseY = event->pos().y();
    if (scene)
        sceneHeight = static_cast<int>(scene->sceneRect().height());
    mouseMoved = true;
}

void CompassWidgetPlugin::handleMouseClick(QMouseEvent* event, QGraphicsScene*)
{
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
    // A cursor outside the view points at no terrain; the next frame says so.
    mouseX = noCursor;
    mouseY = noCursor;
    mouseMoved = true;
}

void CompassWidgetPlugin::frameUpdate()
{
    application::Application* app = application::Application::instance();
    if (!app)
        return;
    const osg::Matrixd view = app->getViewer()->getCamera()->getViewMatrix();
    const Heading heading = headingOfView(view);

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

    // Exact compare: any change of the view, however small, may change the printed position.
    // Without a status bar there is no text to refresh.
    if (statusLabel && (view.compare(lastViewMatrix) != 0 || mouseMoved)) {
        refreshStatusText(mouseX, mouseY, osg::Matrixd::inverse(view).getTrans(), heading.degrees);
        lastViewMatrix = view;
        mouseMoved = false;
    }
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
    const double z = fieldToDouble(localZTextBox);
    const double y = fieldToDouble(localYTextBox);
    const double x = fieldToDouble(localXTextBox);
    if (application::Application* app = application::Application::instance())
        app->warpToPosition(osg::Vec3d(x, y, z));
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
    const double elevation = fieldToDouble(gdcElevationTextBox);
    const double longitude = fieldToDouble(gdcLongitudeTextBox);
    const double latitude = fieldToDouble(gdcLatitudeTextBox);
    showLocation(locationFromGdc({latitude, longitude, elevation}), CoordinateSystem::GdcDegrees, locationStatus);
}

void CompassWidgetPlugin::on_gdcDmsTextBox_editingFinished()
{
    showLocation(locationFromGdc(readDmsFields()), CoordinateSystem::GdcDms, locationStatus);
}

void CompassWidgetPlugin::on_gccTextBox_editingFinished()
{
    const double z = fieldToDouble(gccZTextBox);
    const double y = fieldToDouble(gccYTextBox);
    const double x = fieldToDouble(gccXTextBox);
    showLocation(locationFromGcc({x, y, z}), CoordinateSystem::Gcc, locationStatus);
}

void CompassWidgetPlugin::on_localTextBox_editingFinished()
{
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
    mouseMoved = true;
}

void CompassWidgetPlugin::recalculateFromMgrsChange()
{
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
        mgrsStatus->setText(QString::fromStdString(error));
        return;
    }
    if (showLocation(locationFromUtm(utm), CoordinateSystem::Mgrs, mgrsStatus))
        mgrsStatus->setText(QString::fromStdString(error));
}

void CompassWidgetPlugin::recalculateFromUtmChange()
{
    UtmLocation utm;
    if (!validateUtmFields(utm))
        return;
    if (!showLocation(locationFromUtm(utm), CoordinateSystem::Utm, utmStatus))
        utmStatus->setText(QStringLiteral("No place in zone %1%2 has this easting and northing")
                               .arg(utm.zone)
                               .arg(QLatin1Char(utm.band)));
}

void CompassWidgetPlugin::toUpper(const QString& text)
{
    if (auto* field = qobject_cast<QLineEdit*>(sender()))
        field->setText(text.toUpper());
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
    const QString problem = validateUtmTexts(
        {utmZoneTextBox->text(), utmBandTextBox->text(), utmEastingTextBox->text(), utmNorthingTextBox->text()}, utm);
    utmStatus->setText(problem);
    return problem.isEmpty();
}

void CompassWidgetPlugin::writeGdcFields(const gmtl::Vec<double, 3>& gdc)
{
    gdcLatitudeTextBox->setText(formatDouble(gdc[0]));
    gdcLongitudeTextBox->setText(formatDouble(gdc[1]));
    gdcElevationTextBox->setText(formatDouble(gdc[2]));
}

void CompassWidgetPlugin::writeDmsFields(const gmtl::Vec<double, 3>& gdc)
{
    const DegreeParts latitude = splitDegrees(gdc[0]);
    latDegText->setText(degreesText(latitude));
    latMinText->setText(QString::number(latitude.minutes));
    latSecText->setText(formatDouble(latitude.seconds));
    const DegreeParts longitude = splitDegrees(gdc[1]);
    lonDegText->setText(degreesText(longitude));
    lonMinText->setText(QString::number(longitude.minutes));
    lonSecText->setText(formatDouble(longitude.seconds));
    elevDmsText->setText(formatDouble(gdc[2]));
}

void CompassWidgetPlugin::writeGccFields(const gmtl::Vec<double, 3>& gcc)
{
    gccXTextBox->setText(formatDouble(gcc[0]));
    gccYTextBox->setText(formatDouble(gcc[1]));
    gccZTextBox->setText(formatDouble(gcc[2]));
}

void CompassWidgetPlugin::writeLocalFields(const gmtl::Vec<double, 3>& local)
{
    localXTextBox->setText(formatDouble(local[0]));
    localYTextBox->setText(formatDouble(local[1]));
    localZTextBox->setText(formatDouble(local[2]));
}

void CompassWidgetPlugin::writeUtmFields(const UtmLocation& utm)
{
    utmZoneTextBox->setText(QString::number(utm.zone));
    utmBandTextBox->setText(QString(QLatin1Char(utm.band)));
    utmEastingTextBox->setText(formatDouble(utm.easting));
    utmNorthingTextBox->setText(formatDouble(utm.northing));
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
    // A UTM edit keeps its fields as typed and the remembered zone and band.
    if (edited != CoordinateSystem::Utm) {
        writeUtmFields(location.utm);
        utmStatus->clear();
        lastUtmZone = location.utm.zone;
        lastUtmBand = location.utm.band;
    }
    return true;
}

void CompassWidgetPlugin::setLocationStatus(const QString& text)
{
    locationStatus->setText(text);
    locationStatus->setVisible(!text.isEmpty());
}

std::array<QLineEdit*, 21> CompassWidgetPlugin::coordinateFields() const
{
    return {gdcLatitudeTextBox, gdcLongitudeTextBox, gdcElevationTextBox, gccXTextBox,       gccYTextBox,
            gccZTextBox,        localXTextBox,       localYTextBox,       localZTextBox,     mgrsTextBox,
            utmZoneTextBox,     utmBandTextBox,      utmEastingTextBox,   utmNorthingTextBox, latDegText,
            latMinText,         latSecText,          lonDegText,          lonMinText,        lonSecText,
            elevDmsText};
}

void CompassWidgetPlugin::showLocalLocation(const osg::Vec3d& point)
{
    // The other forms derive from the 8-digit texts of the local fields, not
    // from the exact point, exactly as if those texts had been typed.
    auto asShown = [](double value) { return textToDouble(formatDouble(value)); };
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

void CompassWidgetPlugin::refreshStatusText(int x, int y, const osg::Vec3d& eye, double headingDegrees)
{
    QString text;
    text.reserve(128);
    text += QLatin1String("Camera: (");
    appendLocation(eye, text);
    text += QLatin1Char(')');

    // Before the first mouse move there is no cursor to speak of.
    if (x != noCursor && !isMouseWithinGuiDialog(x, y, nullptr)) {
        osg::Camera* camera = application::Application::instance()->getViewer()->getCamera();
        osg::Vec3d cursor;
        // The rose's triangles and letters lie under the cursor too, but name no place on the terrain.
        if (scenePointUnder(*camera, cursorWindowPosition(x, y, sceneHeight, viewPixelRatio()), hudProjection.get(),
                            cursor)) {
            text += QLatin1String(", Cursor: (");
            appendLocation(cursor, text);
            text += QLatin1Char(')');
        }
    }

    text += QLatin1String(", Heading (deg): ");
    text += headingText(headingDegrees);
    statusLabel->setText(text);
}

void CompassWidgetPlugin::appendLocation(const osg::Vec3d& point, QString& text) const
{
    const QLatin1String separator(", ");
    const auto appendFixedTriple = [&](double a, double b, double c, int intDigits, int decimals) {
        appendFixed(text, a, intDigits, decimals);
        text += separator;
        appendFixed(text, b, intDigits, decimals);
        text += separator;
        appendFixed(text, c, intDigits, decimals);
    };
    const gmtl::Vec3d local(point.x(), point.y(), point.z());
    gmtl::Vec3d converted; // GDC as longitude, latitude, elevation; GCC as x, y, z

    const auto system = static_cast<CoordinateSystem>(coordinateSystemCombo->currentData().toInt());
    switch (system) {
    case CoordinateSystem::GdcDegrees:
    case CoordinateSystem::GdcDms:
        terrain::TerrainManager::instance()->convertTerrainLocalToGdc(local, converted);
        if (system == CoordinateSystem::GdcDegrees) {
            appendFixed(text, converted[1], 4, gdcDecimals);
            text += separator;
            appendFixed(text, converted[0], 4, gdcDecimals);
        } else {
            appendDms(text, converted[1]);
            text += separator;
            appendDms(text, converted[0]);
        }
        text += separator;
        appendFixed(text, converted[2], 5, elevationDecimals);
        return;
    case CoordinateSystem::Utm:
    case CoordinateSystem::Mgrs: {
        terrain::TerrainManager::instance()->convertTerrainLocalToGdc(local, converted);
        // The panel's remembered zone and band are neither used nor changed here.
        unsigned int zone = 0;
        char band = '\0';
        double easting = 0.0;
        double northing = 0.0;
        utility::CoordConverter::convertGdcToUtm(converted[1], converted[0], zone, band, easting, northing);
        if (system == CoordinateSystem::Mgrs) {
            text += QString::fromStdString(
                utility::CoordConverter::convertUtmToMgrs(easting, northing, zone, band, mgrsPrecision));
            return;
        }
        // Without a position there is no band letter, and NaN has no integer part.
        if (band == '\0' || !std::isfinite(easting) || !std::isfinite(northing)) {
            text += QLatin1String(noValueText);
            return;
        }
        appendInteger(text, static_cast<int>(zone), 2);
        text += QLatin1Char(band);
        text += QLatin1Char(' ');
        // Truncated, not rounded: the printed metre is the one the point lies in.
        appendInteger(text, static_cast<int>(easting), 5);
        text += QLatin1Char(' ');
        appendInteger(text, static_cast<int>(northing), 5);
        return;
    }
    case CoordinateSystem::Gcc:
        terrain::TerrainManager::instance()->convertTerrainLocalToGcc(local, converted);
        appendFixedTriple(converted[0], converted[1], converted[2], 7, gccDecimals);
        return;
    case CoordinateSystem::TerrainLocal:
        appendFixedTriple(point.x(), point.y(), point.z(), 6, localDecimals);
        return;
    }
    // Any other choice leaves the parentheses empty.
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
