#include "LoadedCompassPlugin.h"
#include "NumberText.h"
#include "SixForms.h"
#include "StatusText.h"
#include "TestHost.h"

#include <velmora/qtapplication/QtApplication.h>
#include <velmora/qtapplication/QtApplicationController.h>
#include <velmora/terrain/TerrainManager.h>

#include <QAction>
#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleValidator>
#include <QFile>
#include <QGraphicsProxyWidget>
#include <QLabel>
#include <QMimeData>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QPushButton>
#include <QSpinBox>
#include <QStyleOptionFrame>
#include <QStatusBar>
#include <QTestAccessibility>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <osg/Geode>
#include <osg/MatrixTransform>
#include <osg/Projection>
#include <osg/ShapeDrawable>
#include <osgText/Text>

#include <cmath>
#include <memory>

using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;
using velmora::testing::Texts;
using Warp = velmora::testing::TestApplication::WarpCall;
using velmora::plugin::compass_widget::CoordinateSystem;
using velmora::plugin::compass_widget::locationText;

namespace {
enum class Press { Terrain, Sky, OverDialog, EscapeInView, EscapeInField, Rose, BesideRose };
// What happens after the status text named the cursor point.
enum class Then { Nothing, Leave, OntoDialog, Warp, ChooseGcc };

// The places of data/places.txt, elevation 0, each as the columns of its line:
// name latitude longitude zone band easting northing mgrs gccX gccY gccZ localX localY localZ.
QList<QStringList> readPlaces()
{
    QList<QStringList> places;
    QFile file(QStringLiteral(VELMORA_TEST_DATA_DIR "/places.txt"));
    file.open(QIODevice::ReadOnly | QIODevice::Text);
    while (!file.atEnd()) {
        const QStringList columns = QString::fromLatin1(file.readLine()).split(' ', Qt::SkipEmptyParts);
        if (columns.size() == 14 && !columns[0].startsWith('#'))
            places.append(columns);
    }
    return places;
}

// Eight significant digits of values up to about 1e7 m leave a metre.
constexpr double metres = 2.0;

// Degrees, minutes and seconds as a user writes them: the sign on the degrees.
QStringList dmsTexts(double value)
{
    const double magnitude = std::fabs(value);
    const int degrees = int(magnitude);
    const int minutes = int((magnitude - degrees) * 60.0);
    const double seconds = (magnitude - degrees - minutes / 60.0) * 3600.0;
    const QString sign = value < 0 ? "-" : "";
    return {sign + QString::number(degrees), QString::number(minutes), QString::number(seconds, 'f', 4)};
}
} // namespace

Q_DECLARE_METATYPE(Press)
Q_DECLARE_METATYPE(Then)
Q_DECLARE_METATYPE(osg::Vec3d)

// The loaded plugin as the host drives it without a display: the fields as a
// user types into them in the C, German and process locale, every form's edit
// checked against reference values made with GeographicLib's command-line
// tools, refused edits, the buttons, the mouse, the clipboard report, the
// compasses and the status bar, the HUD read back from the scene graph.
// ctest runs it again under LC_ALL=de_DE.UTF-8, and at a device pixel ratio
// of 2, where the window counts twice the logical pixels.
class TestCompassPanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        // Qt sends accessibility events only while an assistive technology listens; the test listens.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        QTestAccessibility::initialize();
    }
    // The events a test heard are its own; kept they would pile up over the run.
    void cleanup() { plugin.reset(), host.reset(), QLocale::setDefault(QLocale::c()), forgetEvents(); }
    void cleanupTestCase() { QTestAccessibility::cleanup(); }

    void init()
    {
        host = std::make_unique<TestHost>();
        ratio = host->view().devicePixelRatioF();
        host->application().resize(qRound(TestHost::windowWidth * ratio), qRound(TestHost::windowHeight * ratio));
        look(osg::Vec3d(0, 1, 0));
        plugin = std::make_unique<LoadedCompassPlugin>();
        // The status bar's own widgets are its direct children.
        status = host->mainWindow().statusBar()->findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
        combo = host->mainWindow().statusBar()->findChild<QComboBox*>(QString(), Qt::FindDirectChildrenOnly);
    }

    void initializeFillsAndClipboardReports()
    {
        plugin.reset();
        host->setStartPosition(osg::Vec3d(1234.56789, -98765.4321, 0.000012345));
        plugin = std::make_unique<LoadedCompassPlugin>(false);
        host->application().warpCalls.clear();
        plugin->widgetPlugin()->initialize();
        QCOMPARE(host->application().warpCalls.size(), size_t(1));
        QCOMPARE(host->application().warpCalls.front().kind, Warp::Kind::ToStart);

        // Every text distinct, so each is seen to land in its own place; UTF-8 kept.
        const std::pair<const char*, const char*> filled[] = {
            {"gdcLatitudeTextBox", "33.5"}, {"latDegText", "33"}, {"latMinText", "30"}, {"latSecText", "1"},
            {"gdcLongitudeTextBox", "-117.25"}, {"gccXTextBox", "-2437543.1"}, {"gccYTextBox", "-4650203.3"},
            {"gccZTextBox", "3503916.6"}, {"mgrsTextBox", "10T é"}, {"utmZoneTextBox", "10"},
            {"utmBandTextBox", "T"}, {"utmEastingTextBox", "594321.5"}, {"utmNorthingTextBox", "5189012.25"},
            {"lonDegText", "-117"}, {"lonMinText", "15"}, {"lonSecText", "2"}, {"gdcElevationTextBox", "12"}};
        for (const auto& [name, text] : filled)
            plugin->field(name)->setText(QString::fromUtf8(text));
        QTest::mouseClick(plugin->button("copyToClipboardButton"), Qt::LeftButton);
        // Both geodetic forms share a line; the local fields hold the start position
        // in eight significant digits, none below a tenth of a millimetre; zone and band joined, easting first.
        const QString expected = QString::fromUtf8("Orientation (deg): 0\n"
                                                   "    Latitude (deg): 33.5 (33 30' 1\")\n"
                                                   "    Longitude(deg): -117.25 (-117 15' 2\")\n"
                                                   "    Elevation (m): 12\n"
                                                   "GCC:\n    X: -2437543.1\n    Y: -4650203.3\n    Z: 3503916.6\n"
                                                   "Local:\n    X: 1234.5679\n    Y: -98765.432\n    Z: 0\n"
                                                   "    MGRS:10T é\n    UTM:10T 594321.5 5189012.25\n");
        QCOMPARE(QApplication::clipboard()->text(QClipboard::Clipboard), expected);
    }

    void warpSyncAndFollowButtons()
    {
        plugin->enter({{"localXTextBox", "1"}, {"localYTextBox", "2"}, {"localZTextBox", "3"}});
        plugin->button("warpButton")->click();
        QCOMPARE(host->application().warpCalls.back().kind, Warp::Kind::ToPosition);
        QCOMPARE(host->application().warpCalls.back().position, osg::Vec3d(1, 2, 3));
        host->setStartPosition(osg::Vec3d(-5.5, 7, 1500));
        plugin->button("warpToStartButton")->click();
        QCOMPARE(plugin->localTexts(), (QStringList{"-5.5", "7", "1500"}));
        // The eye has digits below a tenth of a millimetre; the panel shows none.
        host->application().Application::warpToPosition(osg::Vec3d(100.123456789, 0, 50));
        plugin->button("syncButton")->click();
        QCOMPARE(plugin->localTexts(), (QStringList{"100.1235", "0", "50"}));

        // Follow mode locks exactly the 21 coordinate fields, not the size spin box's editor.
        for (bool following : {true, false}) {
            plugin->button("toggleSyncButton")->click();
            int locked = 0;
            for (QWidget* widget : plugin->panel()->findChildren<QWidget*>())
                locked += widget->isEnabled() ? 0 : 1;
            QCOMPARE(locked, following ? 21 : 0);
        }
        // On another terrain the local numbers would name another place: the next frame shows its start.
        plugin->frame();
        QCOMPARE(plugin->localTexts(), (QStringList{"100.1235", "0", "50"}));
        velmora::terrain::TerrainManager::instance()->setOrigin(46.85, -121.76, 1500.0);
        plugin->frame();
        QCOMPARE(plugin->localTexts(), (QStringList{"-5.5", "7", "1500"}));
    }

    void pick_data()
    {
        QTest::addColumn<bool>("arm"); // from follow mode, which arming leaves
        QTest::addColumn<Press>("press");
        QTest::addColumn<bool>("stillArmed");
        QTest::addColumn<bool>("picked");
        QTest::newRow("nothing armed: a press changes nothing") << false << Press::Terrain << false << false;
        QTest::newRow("a press on the terrain picks") << true << Press::Terrain << false << true;
        QTest::newRow("over a dialog: stays armed") << true << Press::OverDialog << true << false;
        // Showing the host's NaN would fill every form with "nan".
        QTest::newRow("on the sky: stays armed") << true << Press::Sky << true << false;
        QTest::newRow("Escape in the 3D view cancels") << true << Press::EscapeInView << false << false;
        QTest::newRow("Escape in a panel field cancels") << true << Press::EscapeInField << false << false;
        // The rose's ring touches the lower-left corner, radius 33 pixels at the start size.
        QTest::newRow("on the HUD rose: turns north") << false << Press::Rose << false << false;
        QTest::newRow("beside the rose's ring: no turn") << false << Press::BesideRose << false << false;
        QTest::newRow("on the rose while armed: picks") << true << Press::Rose << false << true;
    }

    void pick()
    {
        QFETCH(bool, arm);
        QFETCH(Press, press);
        QFETCH(bool, stillArmed);
        host->showAsDialog(plugin->panel(), 700, 20);
        look(osg::Vec3d(1, 0, -0.2));
        if (arm) {
            plugin->button("toggleSyncButton")->click();
            plugin->button("pickCoordButton")->click();
        }
        QVERIFY(!plugin->button("toggleSyncButton")->isChecked() && plugin->field("gccXTextBox")->isEnabled());
        const QStringList before = plugin->localTexts();

        // After Escape the press on the terrain must find nothing armed.
        if (press == Press::EscapeInView || press == Press::EscapeInField)
            QTest::keyClick(press == Press::EscapeInView ? static_cast<QWidget*>(&host->view())
                                                         : plugin->field("mgrsTextBox"),
                            Qt::Key_Escape);
        if (press == Press::Sky)
            host->application().clearTerrainPointUnderMouse();
        else
            host->setTerrainPointUnderMouse(osg::Vec3d(250.5, -1250.25, 1712.125));
        // The terrain is left of and below the panel's dialog.
        const QMap<Press, QPoint> at{
            {Press::OverDialog, {710, 30}}, {Press::Rose, {33, 700}}, {Press::BesideRose, {3, 717}}};
        const QPointF pressed = at.value(press, {300, 400});
        QMouseEvent event(QEvent::MouseButtonPress, pressed, pressed, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        plugin->mouse()->handleMouseClick(&event, &host->scene());
        plugin->frame();
        QCOMPARE(plugin->find<QLabel>("orientationLabel")->text().endsWith(": 0"), press == Press::Rose && !arm);

        QCOMPARE(!plugin->button("pickCoordButton")->isEnabled(), stillArmed);
        QFETCH(bool, picked);
        QCOMPARE(plugin->localTexts(), picked ? QStringList({"250.5", "-1250.25", "1712.125"}) : before);
    }

    void withoutHostObjectsNothingIsDereferenced()
    {
        cleanup();
        auto* controller = velmora::qtapplication::QtApplicationController::instance();
        velmora::qtapplication::QtApplication noWindow(nullptr);
        // No application and no Qt application, then a Qt application without a main window.
        for (auto* qtApplication : {static_cast<velmora::qtapplication::QtApplication*>(nullptr), &noWindow}) {
            controller->setQtApplication(qtApplication);
            plugin = std::make_unique<LoadedCompassPlugin>();
            QMouseEvent event(QEvent::MouseButtonPress, QPoint(1, 1), QPoint(1, 1), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            for (QAbstractButton* each : plugin->panel()->findChildren<QAbstractButton*>()) {
                each->click();
                plugin->mouse()->handleMouseMove(&event, nullptr);
                plugin->mouse()->handleMouseClick(&event, nullptr);
                plugin->frame();
            }
            QCOMPARE(plugin->localTexts(), (QStringList{"", "", ""}));
            plugin.reset();
        }
        controller->setQtApplication(nullptr);
    }

    void hudRose()
    {
        auto* projection = static_cast<osg::Projection*>(host->application().getSceneData()->getChild(0));
        auto* position = static_cast<osg::MatrixTransform*>(projection->getChild(0)->asGroup()->getChild(0));
        auto* rotation = static_cast<osg::MatrixTransform*>(position->getChild(0));
        const osg::Geode* labels = rotation->getChild(1)->asGeode();
        // osgText quietly takes another font when it cannot find the one named.
        for (unsigned int i = 0; i < 4; ++i) {
            const auto* label = static_cast<const osgText::Text*>(labels->getDrawable(i));
            const std::string font = label->getFont()->getFileName();
            QVERIFY2(font.find("/LiberationSans-Regular.ttf") != std::string::npos, font.c_str());
        }

        // Resized while hidden, the rose shows at its new size: its centre one ring radius (2.2 x size)
        // in from the left and bottom edges, at depth 0.
        auto* checkBox = plugin->find<QCheckBox>("displayOn3DCheckBox");
        checkBox->setCheckState(Qt::Unchecked);
        QCOMPARE(position->getNodeMask(), 0u);
        plugin->find<QSpinBox>("sizeOn3DSpinBox")->setValue(100);
        checkBox->setCheckState(Qt::Checked);
        QCOMPARE(position->getNodeMask(), ~0u);
        QVERIFY((osg::Vec3d(0, 0, 0) * position->getMatrix() - osg::Vec3d(220, 220, 0)).length() < 1e-9);

        // Facing east after a window resize (how the rose turns is seen in the real window): the
        // orientation follows, and the HUD counts the new window's logical pixels.
        look(osg::Vec3d(1, 0, -0.2));
        host->application().resize(qRound(640 * ratio), qRound(480 * ratio));
        plugin->frame();
        QCOMPARE(plugin->find<QLabel>("orientationLabel")->text(), QString("Orientation (deg): 90"));
        QVERIFY(projection->getMatrix() == osg::Matrixd::ortho2D(0, 640, 0, 480));

        // 240 km east of the origin the scene's +y lies 2.29 degrees east of true north: text, rose and status bar.
        host->application().setStartView({240000, 0, 2000}, {240000, 1, 2000}, {0, 0, 1});
        plugin->frame();
        QVERIFY(plugin->find<QLabel>("orientationLabel")->text().startsWith("Orientation (deg): 2.29"));
        QVERIFY(std::abs(std::asin(rotation->getMatrix()(0, 1)) - osg::DegreesToRadians(2.2919)) < 1e-5);
        QVERIFY2(status->text().endsWith("Heading (deg):   2.29"), qPrintable(status->text()));
    }

    void shownWhole_data()
    {
        QTest::addColumn<bool>("narrowest");
        QTest::newRow("default size") << false;
        // As narrow and short as its layout allows, as in a small window.
        QTest::newRow("narrowest") << true;
    }

    void shownWhole()
    {
        QFETCH(bool, narrowest);
        QWidget* panel = plugin->panel();
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        // The painted compass beside the orientation text, where a user sees it turn, and not cut off.
        QWidget* area = plugin->find("compassWidget");
        int compasses = 0;
        for (QWidget* compass : area->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            compasses += compass->inherits("velmora::plugin::compass_widget::CompassWidget") &&
                         area->rect().contains(compass->geometry());
        QCOMPARE(compasses, 1);

        // The longest texts each form writes, on both geodetic pages.
        plugin->enter({{"gdcLatitudeTextBox", "-45.987654"}, {"gdcLongitudeTextBox", "-179.98765"},
                       {"gdcElevationTextBox", "-1234.5678"}});
        plugin->enter({{"lonSecText", "59.9999"}});
        panel->resize(narrowest ? panel->minimumSizeHint() : panel->sizeHint());
        for (bool dms : {false, true}) {
            plugin->find<QCheckBox>("dmsCheckBox")->setChecked(dms);
            QCoreApplication::sendPostedEvents();
            QVERIFY2(wronglyShown().isEmpty(), qPrintable(wronglyShown().join(", ")));
        }

        // Messages, the longest of each line, appear in room kept for them: nothing moves or is cut off.
        const QList<QRect> where = widgetPlaces();
        plugin->enter({{"gdcLatitudeTextBox", "95"}});
        plugin->enter({{"utmEastingTextBox", "90000000"}});
        plugin->enter({{"mgrsTextBox", "10TES 945 0789496"}});
        QCoreApplication::sendPostedEvents();
        for (const char* name : {"locationStatus", "utmStatus", "mgrsStatus"}) {
            const auto* message = plugin->find<QLabel>(name);
            QVERIFY2(!message->text().isEmpty() && message->heightForWidth(message->width()) <= message->height(),
                     name);
        }
        QCOMPARE(widgetPlaces(), where);
    }

    // A newly chosen system rewrites the status text and a screen reader is told; the choice has a name.
    void statusTextAnnounced()
    {
        forgetEvents();
        combo->setCurrentIndex(combo->findText("GCC"));
        plugin->frame();
        QVERIFY(announced(status));
        const QAccessibleInterface* choice = QAccessible::queryAccessibleInterface(combo);
        QVERIFY(!choice->text(QAccessible::Name).isEmpty() && !choice->text(QAccessible::Description).isEmpty());
        combo->setCurrentIndex(0);
    }

    void cursorPart_data()
    {
        QTest::addColumn<osg::Vec3d>("direction");
        QTest::addColumn<QPoint>("cursor"); // logical pixels; null: no mouse move
        QTest::addColumn<Then>("then");     // after the first frame; no frame follows unless it is a warp
        QTest::addColumn<bool>("onTerrain");
        const osg::Vec3d north(0, 1, 0);
        const QPoint ground(640, 600);
        // Looking down, every pixel shows ground; still, no cursor means no cursor part.
        QTest::newRow("no mouse move yet") << osg::Vec3d(0, 1, -2) << QPoint() << Then::Nothing << false;
        QTest::newRow("over the terrain") << north << ground << Then::Nothing << true;
        QTest::newRow("over the sky") << north << QPoint(640, 100) << Then::Nothing << false;
        // A cursor part kept until some later frame names a place the cursor has left.
        QTest::newRow("left the view") << north << ground << Then::Leave << false;
        QTest::newRow("moved onto a panel") << north << ground << Then::OntoDialog << false;
        // The remembered pixel under another camera is no point the user pointed at.
        QTest::newRow("camera warped") << north << ground << Then::Warp << false;
        // Written at once in the new system, cursor part included.
        QTest::newRow("GCC chosen") << north << ground << Then::ChooseGcc << true;
    }

    void cursorPart()
    {
        QFETCH(osg::Vec3d, direction);
        QFETCH(QPoint, cursor);
        QFETCH(Then, then);
        QFETCH(bool, onTerrain);
        osg::ref_ptr<osg::Geode> ground = new osg::Geode; // its top at z = -100
        ground->addDrawable(new osg::ShapeDrawable(new osg::Box(osg::Vec3(0, 0, -101), 1e5f, 1e5f, 2)));
        host->application().getSceneData()->addChild(ground);
        look(direction);
        combo->setCurrentIndex(combo->findText("Terrain Local"));
        QMouseEvent move(QEvent::MouseMove, cursor, cursor, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        if (!cursor.isNull())
            plugin->mouse()->handleMouseMove(&move, &host->scene());
        plugin->frame();
        if (then == Then::Leave)
            plugin->mouse()->handleMouseLeave();
        if (then == Then::OntoDialog) {
            host->showAsDialog(new QLabel("under the cursor"), cursor.x() - 50, cursor.y() - 50)->resize(100, 100);
            plugin->mouse()->handleMouseMove(&move, &host->scene());
        }
        if (then == Then::Warp)
            host->application().warpToPosition({0, 0, 50}), plugin->frame();
        if (then == Then::ChooseGcc)
            combo->setCurrentIndex(combo->findText("GCC"));

        QCOMPARE(status->text().contains("Cursor: ("), onTerrain);
        if (then == Then::ChooseGcc)
            QVERIFY(status->text().startsWith("Camera: (" + locationText(CoordinateSystem::Gcc, {}) + "), Cursor"));
        if (!onTerrain || then != Then::Nothing)
            return;
        // The point named lies on the ground and, projected back, under the cursor.
        const QRegularExpressionMatch match =
            QRegularExpression(R"(Cursor: \( *(\S+), +(\S+), +(\S+)\))").match(status->text());
        const osg::Vec3d point(match.captured(1).toDouble(), match.captured(2).toDouble(),
                               match.captured(3).toDouble());
        QVERIFY(std::abs(point.z() + 100.0) < 0.01);
        const osg::Camera* camera = host->application().getViewer()->getCamera();
        const osg::Vec3d window = point * camera->getViewMatrix() * camera->getProjectionMatrix() *
                                  camera->getViewport()->computeWindowMatrix();
        const osg::Vec2d expected(cursor.x() * ratio, (TestHost::windowHeight - cursor.y()) * ratio);
        QVERIFY((osg::Vec2d(window.x(), window.y()) - expected).length() < ratio * 1.5);
    }

    void typing_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("finished");
        // Proves that the German run of this test really runs under German.
        if (qgetenv("LC_ALL").startsWith("de_DE"))
            QCOMPARE(QLocale::system().decimalPoint(), QChar(','));
        // Empty means the locale of the process, which is German in the German ctest run.
        for (const QString& locale : {QString("C"), QString("de_DE"), QString()}) {
            const QByteArray tag = locale.isEmpty() ? QByteArray("system") : locale.toLatin1();
            auto row = [&](const char* name, const char* field, const char* typed, const char* shown, bool finished) {
                QTest::addRow("%s: %s", tag.constData(), name) << locale << field << typed << shown << finished;
            };
            // A decimal comma is what a German user means by a point; elsewhere it is
            // refused as typed, and in neither case read as 12 later.
            const bool commaLocale = (locale.isEmpty() ? QLocale::system() : QLocale(locale)).decimalPoint() == ',';
            row("decimal comma", "gdcLatitudeTextBox", "12,5", commaLocale ? "12.5" : "125", true);
            // Without a validator letters were taken and "1234,5" read as 1234.
            row("deg:min:sec elevation as GDC's", "elevDmsText", "12,5x", commaLocale ? "12.5" : "125", true);
            // German grouping would mean 1000.5; the field keeps only what reads back.
            row("german grouping refused", "gccXTextBox", "1.000,5", "1.0005", true);
            // Intermediate input finishes no edit and so starts no recomputation.
            row("lone minus", "localYTextBox", "-", "-", false);
            // Out of range but as long as the limit: shown, yet no edit finishes.
            row("zone above 60", "utmZoneTextBox", "61", "61", false);
            // The '-' was dropped, and the zone read as 5.
            row("zone -5 kept as typed", "utmZoneTextBox", "-5", "-5", false);
            row("zone grouping refused", "utmZoneTextBox", "1,5", "15", true);
            // I and O pass here, the UTM check refuses them with its own message.
            row("band outside C-X", "utmBandTextBox", "A", "", false);
            row("latitude above 90", "latDegText", "91", "91", false);
            row("longitude above 180", "lonDegText", "181", "181", false);
            row("minutes 60", "lonMinText", "60", "60", false);
            // Seconds are shown with decimals, so they are taken back with decimals, below 60.
            row("seconds decimals", "latSecText", "24.444437", "24.444437", true);
            row("seconds 60", "lonSecText", "60", "60", false);
            // One digit, so C's "15" stays below 60: Qt 5 and 6 differ on typing past the limit.
            row("seconds decimal comma", "lonSecText", "1,5", commaLocale ? "1.5" : "15", true);
            // The sign of an angle between -1 and 0 stands on its zero degrees.
            row("degrees minus zero", "latDegText", "-0", "-0", true);
            row("minutes keep their sign", "latMinText", "-5", "-5", false);
        }
    }

    void typing()
    {
        QFETCH(QString, locale);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(bool, finished);

        plugin.reset();
        QLocale::setDefault(locale.isEmpty() ? QLocale::system() : QLocale(locale));
        plugin = std::make_unique<LoadedCompassPlugin>(false);
        QLineEdit* edit = plugin->field(field);
        QSignalSpy finishedSpy(edit, &QLineEdit::editingFinished);

        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, Qt::Key_Return);

        QTEST(edit->text(), "shown");
        QCOMPARE(finishedSpy.count(), finished ? 1 : 0);
        // Return on a text that cannot be taken says why and marks the field, instead of doing nothing.
        const auto* message = plugin->find<QLabel>(field.startsWith("utm") ? "utmStatus" : "locationStatus");
        QCOMPARE(edit->property("refused").toBool(), !finished);
        QVERIFY(finished || !message->text().isEmpty());
        // Whatever a field lets through means the same to its reader as to the user.
        if (finished && qobject_cast<const QDoubleValidator*>(edit->validator()))
            QCOMPARE(velmora::plugin::compass_widget::textToDouble(edit->text()), QLocale::c().toDouble(edit->text()));
    }

    void everyFormDescribesOnePlace_data()
    {
        QTest::addColumn<QStringList>("place");
        QTest::addColumn<QString>("form");
        const QList<QStringList> places = readPlaces();
        QVERIFY(places.size() > 10);
        for (const QStringList& place : places)
            for (const char* form : {"gdc", "dms", "gcc", "local", "utm", "mgrs"})
                // UPS positions have zone 0, which the UTM form does not take.
                if (place[3] != "0" || QByteArray(form) != "utm")
                    QTest::addRow("%s from %s", qPrintable(place[0]), form) << place << QString(form);
    }

    void everyFormDescribesOnePlace()
    {
        QFETCH(QStringList, place);
        QFETCH(QString, form);
        // A place far away first, so that every form really changes; a grid edit keeps the height shown, and
        // the reference values lie on the ellipsoid.
        plugin->enter({{"gdcLatitudeTextBox", "-45"}, {"gdcLongitudeTextBox", "-100"}, {"gdcElevationTextBox", "0"}});

        const double latitude = place[1].toDouble(), longitude = place[2].toDouble();
        auto mm = [&](int column) { return QString::number(place[column].toDouble(), 'f', 3); };
        auto xyz = [&](const QString& prefix, int column) {
            return Texts{{prefix + "XTextBox", mm(column)}, {prefix + "YTextBox", mm(column + 1)},
                         {prefix + "ZTextBox", mm(column + 2)}};
        };
        const QStringList lat = dmsTexts(latitude), lon = dmsTexts(longitude);
        const QMap<QString, Texts> forms = {
            {"gdc",
             {{"gdcLatitudeTextBox", place[1]}, {"gdcLongitudeTextBox", place[2]}, {"gdcElevationTextBox", "0"}}},
            {"dms", {{"latDegText", lat[0]}, {"latMinText", lat[1]}, {"latSecText", lat[2]}, {"lonDegText", lon[0]},
                     {"lonMinText", lon[1]}, {"lonSecText", lon[2]}, {"elevDmsText", "0"}}},
            {"gcc", xyz("gcc", 8)},
            {"local", xyz("local", 11)},
            // A lower-case band is the same band.
            {"utm", {{"utmZoneTextBox", place[3]}, {"utmBandTextBox", place[4].toLower()},
                     {"utmEastingTextBox", mm(5)}, {"utmNorthingTextBox", mm(6)}}},
            {"mgrs", {{"mgrsTextBox", place[7]}}}};
        const Texts typed = forms[form];
        plugin->enter(typed);

        const Texts shown = plugin->texts();
        // The edited form keeps what the user typed, the band upper case.
        for (auto it = typed.cbegin(); it != typed.cend(); ++it)
            QCOMPARE(shown[it.key()].toUpper(), it.value().toUpper());
        for (const char* status : {"locationStatus", "utmStatus", "mgrsStatus"})
            QCOMPARE(plugin->find<QLabel>(status)->text(), QString());
        QCOMPARE(velmora::testing::sixFormsDisagreement(shown), QString());

        // Against the reference, so that a wrong host conversion shows.
        auto off = [&](const char* field, double expected) { return std::fabs(shown[field].toDouble() - expected); };
        const double degrees = metres / 111320.0, longitudeOff = off("gdcLongitudeTextBox", longitude);
        QVERIFY(off("gdcLatitudeTextBox", latitude) < degrees && off("gdcElevationTextBox", 0.0) < metres);
        QVERIFY(std::fabs(std::remainder(longitudeOff, 360.0)) < degrees / std::cos(latitude * M_PI / 180.0));
        QVERIFY(off("utmEastingTextBox", place[5].toDouble()) < metres);
        QVERIFY(off("utmNorthingTextBox", place[6].toDouble()) < metres);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(off(qPrintable(QString("gcc%1TextBox").arg("XYZ"[i])), place[8 + i].toDouble()) < metres);
            QVERIFY(off(qPrintable(QString("local%1TextBox").arg("XYZ"[i])), place[11 + i].toDouble()) < metres);
        }
        // Exactly on a band edge, input rounded to the millimetre may land on either side.
        if (std::remainder(latitude, 8.0) != 0.0)
            QCOMPARE(shown["utmZoneTextBox"] + shown["utmBandTextBox"].toUpper(), place[3] + place[4]);
    }

    void refusedEditsChangeNothing_data()
    {
        QTest::addColumn<Texts>("typed");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("marked"); // the field marked until corrected, if any

        const QString blank = "There is a blank field", zone = "The zone number must be from 1 to 60";
        const QString utm = "utmStatus";
        auto with = [](Texts changes) {
            Texts t = {{"utmZoneTextBox", "10"}, {"utmBandTextBox", "T"}, {"utmEastingTextBox", "594507"},
                       {"utmNorthingTextBox", "5189496"}};
            t.insert(changes);
            return t;
        };
        QTest::newRow("utm blank reported before zone")
            << with({{"utmNorthingTextBox", ""}, {"utmZoneTextBox", "0"}}) << utm << blank << "utmNorthingTextBox";
        QTest::newRow("utm zone 0") << with({{"utmZoneTextBox", "0"}}) << utm << zone << "utmZoneTextBox";
        QTest::newRow("utm band I, lower case") << with({{"utmBandTextBox", "i"}}) << utm
                                                << "UTM Band cannot be an I or an O" << "utmBandTextBox";
        // Far outside any zone: no place, and no nan in the other forms.
        QTest::newRow("utm easting outside the zone")
            << with({{"utmEastingTextBox", "90000000"}}) << utm << "No place in zone 10T has this easting and northing"
            << "";
        QTest::newRow("mgrs square not in zone") << Texts{{"mgrsTextBox", "33TAA1234512345"}} << "mgrsStatus"
                                                 << "The 100 km square AA is not in grid zone 33T" << "";
        // Read as grid zone A's square BC, which named a fault in a reference nobody typed.
        for (const char* text : {"abc", "12345"})
            QTest::addRow("mgrs %s is no reference", text) << Texts{{"mgrsTextBox", text}} << "mgrsStatus"
                                                           << "This is not an MGRS reference such as 10TES9450789496"
                                                           << "";
        QTest::newRow("latitude 200") << Texts{{"gdcLatitudeTextBox", "200"}} << "locationStatus"
                                      << "Latitude must be from -90 to 90 degrees" << "";
        // Return in the seconds field read 5 degrees 60 minutes as 6 degrees, without a word.
        QTest::newRow("minutes 60 beside the finished seconds")
            << Texts{{"latMinText", "60"}, {"latSecText", "1"}} << "locationStatus"
            << "Minutes must be whole, from 0 to 59" << "latMinText";
        // An unfinished number beside the finished field was read as far as it went.
        QTest::newRow("unfinished exponent beside the finished field")
            << Texts{{"gdcLatitudeTextBox", "12e"}, {"gdcLongitudeTextBox", "5"}} << "locationStatus"
            << "Latitude must be a number, such as -12.5 or 1.5e6" << "gdcLatitudeTextBox";
        // Far beyond the earth, long before converting the digits shown could overflow.
        QTest::newRow("geocentric far beyond the earth") << Texts{{"gccXTextBox", "1e11"}} << "locationStatus"
                                                         << "No place on the earth has these coordinates" << "";
        // Far beyond the earth, the local frame overflows to infinity.
        QTest::newRow("local beyond range") << Texts{{"localXTextBox", "1.7e308"}, {"localYTextBox", "1.7e308"}}
                                            << "locationStatus" << "No place on the earth has these coordinates"
                                            << "";
    }

    void refusedEditsChangeNothing()
    {
        QFETCH(Texts, typed);
        QFETCH(QString, status);
        const Texts before = plugin->texts();
        forgetEvents();
        plugin->enter(typed);
        auto* label = plugin->find<QLabel>(status);
        QTEST(label->text(), "message");
        QVERIFY(announced(label));
        QVERIFY(label->isVisibleTo(plugin->panel()));
        QFETCH(QString, marked);
        for (const QString& name : typed.keys())
            QCOMPARE(plugin->field(name)->property("refused").toBool(), name == marked);
        Texts after = plugin->texts();
        for (auto it = typed.cbegin(); it != typed.cend(); ++it)
            after[it.key()] = before[it.key()];
        QCOMPARE(after, before);

        // A good edit anywhere shows a new place in every form: the complaint no longer applies.
        plugin->enter({{"gdcLatitudeTextBox", "45"}});
        QCOMPARE(label->text(), QString());
        QVERIFY(marked.isEmpty() || !plugin->field(marked)->property("refused").toBool());
    }

    void tabReadsEveryControlInOrder_data()
    {
        QTest::addColumn<bool>("dms");
        // Either page of the geodetic form: the form file's Tab chain put the seven deg:min:sec fields last.
        QTest::newRow("decimal degrees shown") << false;
        QTest::newRow("deg:min:sec shown") << true;
    }

    void tabReadsEveryControlInOrder()
    {
        QFETCH(bool, dms);
        QWidget* panel = plugin->panel();
        plugin->find<QCheckBox>("dmsCheckBox")->setChecked(dms);
        panel->show();
        QApplication::setActiveWindow(panel);
        QVERIFY(QTest::qWaitForWindowActive(panel));
        QWidget* const start = plugin->field("mgrsTextBox");
        start->setFocus();
        // Once round the chain, reading order (down, or right within a row) breaks only where it wraps.
        int breaks = 0;
        for (QPoint last = start->mapTo(panel, start->rect().center()); breaks < 5;) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focused = QApplication::focusWidget();
            const QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(focused);
            QVERIFY2(!accessible->text(QAccessible::Name).isEmpty() &&
                         !accessible->text(QAccessible::Description).isEmpty(), qPrintable(focused->objectName()));
            const QPoint at = focused->mapTo(panel, focused->rect().center());
            breaks += at.y() < last.y() - 8 || (std::abs(at.y() - last.y()) <= 8 && at.x() <= last.x());
            last = at;
            if (focused == start)
                break;
        }
        QCOMPARE(breaks, 1);
    }

    void escapePutsBackTheShownText_data()
    {
        QTest::addColumn<Texts>("finished"); // typed and finished with Return first
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed"); // over the selected text, then Escape
        QTest::addColumn<bool>("synced");   // the panel filled from the camera before the Escape
        const Texts latitude{{"gdcLatitudeTextBox", "45"}};
        QTest::newRow("after Return, the finished edit") << latitude << "gdcLatitudeTextBox" << "6" << false;
        QTest::newRow("after another form's edit, its text") << latitude << "gccXTextBox" << "6" << false;
        // Upper-casing sets the text anew while it is typed: still the user's edit.
        QTest::newRow("a band upper-cased as typed") << Texts{} << "utmBandTextBox" << "u" << false;
        // The fill ends the edit: Escape put 45 back beside forms showing the camera's place.
        QTest::newRow("filled anew mid-edit, the new text") << latitude << "gdcLatitudeTextBox" << "6" << true;
    }

    void escapePutsBackTheShownText()
    {
        QFETCH(Texts, finished);
        QFETCH(QString, field);
        for (auto it = finished.cbegin(); it != finished.cend(); ++it) {
            plugin->field(it.key())->selectAll();
            QTest::keyClicks(plugin->field(it.key()), it.value());
            QTest::keyClick(plugin->field(it.key()), Qt::Key_Return);
        }
        Texts shown = plugin->texts();
        QLineEdit* edit = plugin->field(field);
        edit->selectAll();
        QFETCH(QString, typed);
        QTest::keyClicks(edit, typed);
        QVERIFY(edit->text() != shown[field]);
        QFETCH(bool, synced);
        if (synced) {
            plugin->button("syncButton")->click();
            shown = plugin->texts();
        }
        QTest::keyClick(edit, Qt::Key_Escape);
        // Every form as before: the field's text is back, and no edit finished.
        QCOMPARE(plugin->texts(), shown);
    }

    void mgrsReferences_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("zoneAndBand");
        QTest::addColumn<double>("latitude");

        QTest::newRow("spaces and lower case") << "46.85" << "10t es 94507 89496" << "10T" << 46.8523;
        // Only the 100 km square: completed with the zone and band shown before.
        QTest::newRow("square only") << "46.85" << "ES9450789496" << "10T" << 46.8523;
        // The south-west corner of the 10 km square, as written.
        QTest::newRow("one digit pair") << "46.85" << "10TES98" << "10T" << 46.7719;
        // References typed after a polar place have a position (references in another band, hemisphere or
        // polar are typed after a far place in everyFormDescribesOnePlace).
        QTest::newRow("after a polar place") << "89" << "10TES9450789496" << "10T" << 46.8523;
    }

    void mgrsReferences()
    {
        QFETCH(QString, before);
        QFETCH(QString, reference);
        QFETCH(double, latitude);
        plugin->enter({{"gdcLatitudeTextBox", before}, {"gdcLongitudeTextBox", before == "89" ? "10" : "-121.76"}});
        // The reference's band is remembered for the next one without a zone.
        for (const QString& typed : {reference, reference.mid(reference.indexOf(QRegularExpression("[A-Za-z]{2}[0-9 ]*$")))}) {
            plugin->enter({{"mgrsTextBox", typed}});
            QCOMPARE(plugin->find<QLabel>("mgrsStatus")->text(), QString());
            QTEST(plugin->field("utmZoneTextBox")->text() + plugin->field("utmBandTextBox")->text(), "zoneAndBand");
            QVERIFY(std::fabs(plugin->field("gdcLatitudeTextBox")->text().toDouble() - latitude) < 0.01);
        }
    }

    void gridEdits_data()
    {
        QTest::addColumn<Texts>("edit");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("zoneAndBand");
        QTest::addColumn<QString>("bare"); // a reference without zone and band typed next, if any
        // Zones six apart share their square letters: the bare reference was read in zone 10 without a word.
        QTest::newRow("zone edit, then a bare reference")
            << Texts{{"utmZoneTextBox", "16"}} << "utmStatus" << "" << "16T" << "ES9450789496";
        // A row runs past its band's edge; the typed band T was shown and remembered.
        QTest::newRow("reference beyond its band") << Texts{{"mgrsTextBox", "10TDU0000099999"}} << "mgrsStatus"
                                                   << "This place lies in band U, not T" << "10U" << "DU0000099999";
        QTest::newRow("northing in the next band") << Texts{{"utmNorthingTextBox", "5500000"}} << "utmStatus"
                                                   << "This place lies in band U, not T" << "10U" << "";
    }

    void gridEdits()
    {
        QFETCH(Texts, edit);
        QFETCH(QString, status);
        auto zoneAndBand = [&] { return plugin->texts()["utmZoneTextBox"] + plugin->texts()["utmBandTextBox"]; };
        plugin->enter(
            {{"gdcLatitudeTextBox", "46.85"}, {"gdcLongitudeTextBox", "-121.76"}, {"gdcElevationTextBox", "1500"}});
        plugin->enter(edit);
        QTEST(plugin->find<QLabel>(status)->text(), "note");
        QTEST(zoneAndBand(), "zoneAndBand");
        // A grid form has no height; the one shown was set to 0.
        QCOMPARE(plugin->field("gdcElevationTextBox")->text(), QString("1500"));

        QFETCH(QString, bare);
        if (bare.isEmpty())
            return;
        plugin->enter({{"mgrsTextBox", bare}});
        QCOMPARE(plugin->find<QLabel>("mgrsStatus")->text(), QString());
        QTEST(zoneAndBand(), "zoneAndBand");
    }

    // Qt finishes an edit on every focus loss: leaving fields nobody typed in changes nothing. The MGRS form read
    // again moved the place to the corner of its 1 m square, the others shifted it by their last digit.
    void leavingUntouchedFieldsChangesNothing()
    {
        plugin->enter({{"gdcLatitudeTextBox", "46.85291234"},
                       {"gdcLongitudeTextBox", "-121.76041234"},
                       {"gdcElevationTextBox", "1500"}});
        const Texts shown = plugin->texts();
        for (const QString& name : shown.keys())
            emit plugin->field(name)->editingFinished();
        QCOMPARE(plugin->texts(), shown);
        // A band letter upper-cased as it is typed is still the user's edit.
        plugin->field("utmBandTextBox")->setText("");
        QTest::keyClicks(plugin->field("utmBandTextBox"), "u");
        QTest::keyClick(plugin->field("utmBandTextBox"), Qt::Key_Return);
        QCOMPARE(plugin->find<QLabel>("utmStatus")->text(), QString("This place lies in band T, not U"));
    }

    // A place pasted, typed with Ctrl+V into a field or dropped, as a user does it: every form shows it with a
    // note on how it was read, or nothing changes but the reason.
    void pasteAPlace_data()
    {
        QTest::addColumn<QString>("how"); // "shortcut", "drop" or the field that gets Ctrl+V
        QTest::addColumn<QString>("text");
        QTest::addColumn<Texts>("shown"); // what these fields show after
        QTest::addColumn<QString>("message");
        const QString dms = "Read as degrees-minutes-seconds, latitude first (by the hemisphere letters)";
        // A latitude and longitude keep the elevation shown, 7.
        QTest::newRow("Ctrl+Shift+V in a field")
            << "shortcut"
            << "46°51'10.4\"N 121°45'37.4\"W"
            << Texts{{"gdcLatitudeTextBox", "46.852889"}, {"gdcElevationTextBox", "7"}} << dms;
        // Typed into the one field, its validator would drop the whole paste.
        QTest::newRow("Ctrl+V of a whole pair into one field")
            << "latDegText"
            << "46.8529, -121.7604" << Texts{{"gdcLongitudeTextBox", "-121.7604"}}
            << "Read as decimal degrees, latitude first";
        QTest::newRow("Ctrl+V of one number stays the field's")
            << "gdcLatitudeTextBox"
            << "12.5" << Texts{{"gdcLatitudeTextBox", "12.5"}} << "";
        QTest::newRow("Ctrl+V of a reference into the MGRS field stays the field's")
            << "mgrsTextBox"
            << "10TES98" << Texts{{"mgrsTextBox", "10TES98"}} << "";
        // Through latitude and longitude the corner comes back as 589999.99999, in the cell to the west.
        QTest::newRow("dropped MGRS shows its own cell, elevation kept")
            << "drop"
            << "10TES98" << Texts{{"mgrsTextBox", "10TES9000080000"}, {"gdcElevationTextBox", "7"}}
            << "Read as MGRS 10TES98: the south-west corner of its 10 km square";
        QTest::newRow("UTM with a hemisphere letter")
            << "utmZoneTextBox"
            << "56S 334368 6250948" << Texts{{"utmZoneTextBox", "56"}, {"utmBandTextBox", "H"}}
            << "Read as UTM zone 56, southern hemisphere";
        // Read in the place's own band without changing its false northing, the northing would name no place.
        QTest::newRow("UTM northing continued across the equator")
            << "utmEastingTextBox"
            << "31N 500000 -100" << Texts{{"utmBandTextBox", "M"}, {"utmNorthingTextBox", "9999900"}}
            << "Read as UTM zone 31, northern hemisphere";
        QTest::newRow("no place: nothing changes")
            << "drop"
            << "46, 200" << Texts{} << "Longitude must be from -180 to 180 degrees";
    }

    void pasteAPlace()
    {
        QFETCH(QString, how);
        QFETCH(Texts, shown);
        QFETCH(QString, message);
        plugin->enter({{"gdcLatitudeTextBox", "10"}, {"gdcLongitudeTextBox", "20"}, {"gdcElevationTextBox", "7"}});
        plugin->panel()->show();
        plugin->panel()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(plugin->panel()));
        // A drop lands while the panel follows the camera, which would overwrite the place at the next frame.
        if (how == "drop" && message.startsWith("Read as"))
            plugin->button("toggleSyncButton")->click();
        Texts expected = plugin->texts();
        QFETCH(QString, text);
        QApplication::clipboard()->setText(text);
        QMimeData dropped;
        dropped.setText(text);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        // Qt gives the drop to the widget that accepted the drag's entry.
        if (how == "drop") {
            QApplication::sendEvent(plugin->panel(), &enter);
            QApplication::sendEvent(plugin->panel(), &drop);
        } else if (how == "shortcut") {
            QTest::keyClick(plugin->field("mgrsTextBox"), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        } else {
            plugin->field(how)->selectAll(); // the paste replaces the field's text, as a user's would
            QTest::keyClick(plugin->field(how), Qt::Key_V, Qt::ControlModifier);
        }
        plugin->frame();

        QCOMPARE(plugin->find<QLabel>("locationStatus")->text(), message);
        if (!message.startsWith("Read as")) {
            expected.insert(shown);
            QCOMPARE(plugin->texts(), expected);
            return;
        }
        QVERIFY(!plugin->button("toggleSyncButton")->isChecked());
        const Texts after = plugin->texts();
        for (auto it = shown.cbegin(); it != shown.cend(); ++it)
            QCOMPARE(after[it.key()], it.value());
        QCOMPARE(velmora::testing::sixFormsDisagreement(after), QString());
    }

    // Each copy action's text, pasted again after a move elsewhere, brings the place back; GeoJSON and KML go
    // to a GIS or globe under their own MIME types too.
    void copiedPlacesPasteBack_data()
    {
        QTest::addColumn<QString>("elevation"); // after the paste, the place elsewhere having 3
        for (const char* action : {"copyDecimalDegreesAction", "copyDmsAction", "copyUtmAction", "copyMgrsAction"})
            QTest::newRow(action) << "3";
        for (const char* action : {"copyGeoUriAction", "copyGeoJsonAction", "copyKmlAction", "copyWktAction"})
            QTest::newRow(action) << "-12.5";
    }

    void copiedPlacesPasteBack()
    {
        plugin->enter({{"gdcLatitudeTextBox", "-33.8688"},
                       {"gdcLongitudeTextBox", "151.2093"},
                       {"gdcElevationTextBox", "-12.5"}});
        plugin->find<QAction>(QTest::currentDataTag())->trigger();
        const QMimeData* copied = QApplication::clipboard()->mimeData();
        const bool typed = QByteArray(QTest::currentDataTag()).contains("GeoJson") ||
                           QByteArray(QTest::currentDataTag()).contains("Kml");
        QCOMPARE(copied->formats().size(), typed ? 2 : 1);
        for (const QString& format : copied->formats())
            QCOMPARE(copied->data(format), copied->text().toUtf8());

        plugin->enter({{"gdcLatitudeTextBox", "10"}, {"gdcLongitudeTextBox", "20"}, {"gdcElevationTextBox", "3"}});
        plugin->find<QAction>("pasteLocationAction")->trigger();
        const Texts shown = plugin->texts();
        // 1.5 m: UTM and MGRS name the metre the place lies in.
        QVERIFY2(std::abs(shown["gdcLatitudeTextBox"].toDouble() + 33.8688) < 1.5 / 111320 &&
                     std::abs(shown["gdcLongitudeTextBox"].toDouble() - 151.2093) < 1.5 / 92500,
                 qPrintable(copied->text()));
        QTEST(shown["gdcElevationTextBox"], "elevation");
    }

private:
    // QTestAccessibility keeps copies of the events it hears, and clearing its list does not delete them.
    static void forgetEvents()
    {
        qDeleteAll(QTestAccessibility::events());
        QTestAccessibility::clearEvents();
    }

    // A screen reader hears label's new text: its name is that text (not a fixed one), described, change sent.
    static bool announced(QLabel* label)
    {
        QAccessibleEvent changed(label, QAccessible::NameChanged);
        const QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(label);
        return QTestAccessibility::containsEvent(&changed) && accessible->text(QAccessible::Name) == label->text() &&
               !accessible->text(QAccessible::Description).isEmpty();
    }

    // What a user cannot see whole: a widget sticking out of its parent, a field whose text scrolls out of
    // view, a button whose text runs into its edges (less than an 'M' of room on each side).
    QStringList wronglyShown() const
    {
        QStringList wrong;
        for (QWidget* widget : plugin->panel()->findChildren<QWidget*>()) {
            if (!widget->isVisible() || widget->objectName().startsWith("qt_"))
                continue;
            const QFontMetrics metrics = widget->fontMetrics();
            if (!widget->parentWidget()->rect().contains(widget->geometry()))
                wrong << widget->objectName() + " sticks out";
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                QStyleOptionFrame option;
                option.initFrom(edit);
                option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
                // QLineEdit keeps 2 pixels on each side of the text.
                const int room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit).width() - 4;
                if (metrics.horizontalAdvance(edit->text()) >= room)
                    wrong << edit->objectName() + " cuts " + edit->text();
            }
            if (auto* button = qobject_cast<QPushButton*>(widget))
                if (metrics.horizontalAdvance(button->text()) + 2 * metrics.horizontalAdvance('M') > button->width())
                    wrong << button->objectName() + " is tight";
        }
        return wrong;
    }

    // Where each visible widget of the panel is.
    QList<QRect> widgetPlaces() const
    {
        QList<QRect> places;
        for (QWidget* widget : plugin->panel()->findChildren<QWidget*>())
            if (widget->isVisible())
                places << QRect(widget->mapTo(plugin->panel(), QPoint()), widget->size());
        return places;
    }

    void look(const osg::Vec3d& direction)
    {
        host->application().setStartView(osg::Vec3d(), direction, osg::Vec3d(0, 0, 1));
    }

    std::unique_ptr<TestHost> host;
    std::unique_ptr<LoadedCompassPlugin> plugin;
    QLabel* status = nullptr;
    QComboBox* combo = nullptr;
    double ratio = 1.0;
};

QTEST_MAIN(TestCompassPanel)
#include "tst_compasspanel.moc"
