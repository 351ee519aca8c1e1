#include "CompassWidgetPlugin.h"

#include "ClipboardReport.h"
#include "CompassWidget.h"
#include "CoordinateSystem.h"
#include "CursorPoint.h"
#include "FieldValidators.h"
#include "FixedPitchFont.h"
#include "Heading.h"
#include "HudCompass.h"
#include "NumberText.h"
#include "StatusText.h"

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

// The configured icon directory ends with its own separator.
QIcon pluginIcon()
{
    return QIcon(QString::fromStdString(utility::CoreConfiguration::getIconPath()) + QStringLiteral("flag_blue.png"));
}

QStatusBar* hostStatusBar()
{
    return qtapplication::QtApplicationController::instance()->getQtApplication()->getMainWindow()->statusBar();
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
    // Beside the orientation text. The form caps the compass area at the
    // text's height, which would cut the painted compass off.
    paintedCompass = new CompassWidget(compassWidget);
    compassFrameLayout->addWidget(paintedCompass, 0, 1);
    compassFrameLayout->setSizeConstraint(QLayout::SetDefaultConstraint);

    QStatusBar* statusBar = hostStatusBar();

    // The status bar takes ownership of both widgets when they are added.
    coordinateSystemCombo = new QComboBox;
    for (const CoordinateSystemChoice& choice : coordinateSystemChoices)
        coordinateSystemCombo->addItem(QString::fromLatin1(choice.text), static_cast<int>(choice.system));
    connect(coordinateSystemCombo, SIGNAL(currentIndexChanged(int)), this, SLOT(on_coordinateSystemChoiceChanged(int)));

    statusLabel = new QLabel;
    statusLabel->setFont(fixedPitchFont());
    statusBar->addPermanentWidget(statusLabel, 0);
    statusBar->addPermanentWidget(coordinateSystemCombo, 0);

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
    QIntValidator* minutesOrSeconds = createIntValidator(0, 59, this);
    for (QLineEdit* field : {latMinText, latSecText, lonMinText, lonSecText})
        field->setValidator(minutesOrSeconds);

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
    application::Application::instance()->warpToStart();
    showLocalLocation(application::Application::instance()->getStartPosition());
}

void CompassWidgetPlugin::handleMouseMove(QMouseEvent* event, QGraphicsScene* scene)
{
    if (isMouseWithinGuiDialog(event->x(), event->y(), nullptr))
        return;
    mouseX = event->x();
    mouseY = event->y();
    if (scene)
        sceneHeight = static_cast<int>(scene->sceneRect().height());
    mouseMoved = true;
}

void CompassWidgetPlugin::handleMouseClick(QMouseEvent*, QGraphicsScene*)
{
}

void CompassWidgetPlugin::handleMouseEnter()
{
}

void CompassWidgetPlugin::handleMouseLeave()
{
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

    // Exact compare: any change of the view, however small, may change the printed position.
    if (view.compare(lastViewMatrix) != 0 || mouseMoved) {
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

    // Every text the panel writes is plain ASCII, so Latin-1 gives it back unchanged.
    const std::string report = clipboardReport(texts);
    QApplication::clipboard()->setText(QString::fromLatin1(report.data(), static_cast<int>(report.size())),
                                       QClipboard::Clipboard);
}

void CompassWidgetPlugin::on_pickCoordButton_clicked(bool)
{
}

void CompassWidgetPlugin::on_warpButton_clicked(bool)
{
}

void CompassWidgetPlugin::on_warpToStartButton_clicked(bool)
{
}

void CompassWidgetPlugin::on_syncButton_clicked(bool)
{
}

void CompassWidgetPlugin::on_toggleSyncButton_clicked(bool)
{
}

void CompassWidgetPlugin::on_gdcTextBox_editingFinished()
{
}

void CompassWidgetPlugin::on_gdcDmsTextBox_editingFinished()
{
}

void CompassWidgetPlugin::on_gccTextBox_editingFinished()
{
}

void CompassWidgetPlugin::on_localTextBox_editingFinished()
{
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
}

void CompassWidgetPlugin::recalculateFromUtmChange()
{
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

void CompassWidgetPlugin::showLocalLocation(const osg::Vec3d& point)
{
    localXTextBox->setText(formatDouble(point.x()));
    localYTextBox->setText(formatDouble(point.y()));
    localZTextBox->setText(formatDouble(point.z()));
    // The other forms derive from the 8-digit text, not from the exact point.
    on_localTextBox_editingFinished();
}

void CompassWidgetPlugin::buildHud()
{
    const HudCompassNodes nodes = buildHudCompass();
    hudProjection = nodes.projection;
    hudPosition = nodes.position;
    hudRotation = nodes.rotation;
    setCompassOn3DSize(hudStartSize);

    int width = 0;
    int height = 0;
    windowSize(width, height);
    std::cerr << "View = " << width << ' ' << height << '\n';
    hudProjection->setMatrix(hudProjectionFor(width, height));

    application::Application::instance()->getSceneData()->addChild(hudProjection);
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
