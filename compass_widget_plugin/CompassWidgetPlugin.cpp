#include "CompassWidgetPlugin.h"

#include "ClipboardReport.h"
#include "CoordinateSystem.h"
#include "FieldValidators.h"
#include "FixedPitchFont.h"
#include "NumberText.h"
#include "TerrainPick.h"

#include <velmora/application/Application.h>
#include <velmora/qtapplication/QtApplication.h>
#include <velmora/qtapplication/QtApplicationController.h>
#include <velmora/utility/CoordConverter.h>
#include <velmora/utility/CoreConfiguration.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleValidator>
#include <QIcon>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMouseEvent>
#include <QStatusBar>

#include <cmath>

namespace velmora::plugin::compass_widget {

namespace {

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

} // namespace

CompassWidgetPlugin::CompassWidgetPlugin()
    : QObject(nullptr), WidgetPlugin(QStringLiteral("Compass"), pluginIcon())
{
    setupUi(panelWidget);
    terrainPick = new TerrainPick(pickCoordButton, panelWidget);

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
    QIntValidator* minutesOrSeconds = createIntValidator(0, 59, this);
    for (QLineEdit* field : {latMinText, latSecText, lonMinText, lonSecText})
        field->setValidator(minutesOrSeconds);
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
}

void CompassWidgetPlugin::handleMouseMove(QMouseEvent*, QGraphicsScene*)
{
}

void CompassWidgetPlugin::handleMouseClick(QMouseEvent* event, QGraphicsScene*)
{
    if (!terrainPick->isArmed() || isMouseWithinGuiDialog(event->x(), event->y(), nullptr))
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
}

void CompassWidgetPlugin::frameUpdate()
{
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

void CompassWidgetPlugin::displayCompassOn3D(int)
{
}

void CompassWidgetPlugin::setCompassOn3DSize(int)
{
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
    localXTextBox->setText(formatDouble(point.x()));
    localYTextBox->setText(formatDouble(point.y()));
    localZTextBox->setText(formatDouble(point.z()));
    // The other forms derive from the 8-digit text, not from the exact point.
    on_localTextBox_editingFinished();
}

} // namespace velmora::plugin::compass_widget
