#include "LoadedCompassPlugin.h"
#include "NumberText.h"
#include "SixForms.h"
#include "TestHost.h"

#include <velmora/qtapplication/QtApplication.h>
#include <velmora/qtapplication/QtApplicationController.h>
#include <velmora/terrain/TerrainManager.h>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleValidator>
#include <QFile>
#include <QGraphicsProxyWidget>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>

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

namespace {
enum class Press { Terrain, Sky, OverDialog, EscapeInView, EscapeInField };

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
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { plugin.reset(), host.reset(), QLocale::setDefault(QLocale::c()); }

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
        // in eight significant digits; zone and band joined, easting first.
        const QString expected = QString::fromUtf8("Orientation (deg): 0\n"
                                                   "    Latitude (deg): 33.5 (33 30' 1\")\n"
                                                   "    Longitude(deg): -117.25 (-117 15' 2\")\n"
                                                   "    Elevation (m): 12\n"
                                                   "GCC:\n    X: -2437543.1\n    Y: -4650203.3\n    Z: 3503916.6\n"
                                                   "Local:\n    X: 1234.5679\n    Y: -98765.432\n    Z: 1.2345e-05\n"
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
        // The eye has more than eight significant digits; the panel shows eight.
        host->application().Application::warpToPosition(osg::Vec3d(100.123456789, 0, 50));
        plugin->button("syncButton")->click();
        QCOMPARE(plugin->localTexts(), (QStringList{"100.12346", "0", "50"}));

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
        QCOMPARE(plugin->localTexts(), (QStringList{"100.12346", "0", "50"}));
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
    }

    void pick()
    {
        QFETCH(bool, arm);
        QFETCH(Press, press);
        QFETCH(bool, stillArmed);
        host->showAsDialog(plugin->panel(), 700, 20);
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
        const QPointF at = press == Press::OverDialog ? QPoint(710, 30) : QPoint(300, 400);
        QMouseEvent event(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        plugin->mouse()->handleMouseClick(&event, &host->scene());

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
        // in from the left and bottom edges, at depth -1.
        auto* checkBox = plugin->find<QCheckBox>("displayOn3DCheckBox");
        checkBox->setCheckState(Qt::Unchecked);
        QCOMPARE(position->getNodeMask(), 0u);
        plugin->find<QSpinBox>("sizeOn3DSpinBox")->setValue(100);
        checkBox->setCheckState(Qt::Checked);
        QCOMPARE(position->getNodeMask(), ~0u);
        QVERIFY((osg::Vec3d(0, 0, 0) * position->getMatrix() - osg::Vec3d(220, 220, -1)).length() < 1e-9);

        // Facing east after a window resize (how the rose turns is seen in the real window): the
        // orientation follows, and the HUD counts the new window's logical pixels.
        look(osg::Vec3d(1, 0, -0.2));
        host->application().resize(qRound(640 * ratio), qRound(480 * ratio));
        plugin->frame();
        QCOMPARE(plugin->find<QLabel>("orientationLabel")->text(), QString("Orientation (deg): 90"));
        QVERIFY(projection->getMatrix() == osg::Matrixd::ortho2D(0, 640, 0, 480));
    }

    void shownWhole()
    {
        // The painted compass beside the orientation text, where a user sees it turn, and not cut off.
        plugin->panel()->show();
        QVERIFY(QTest::qWaitForWindowExposed(plugin->panel()));
        QWidget* area = plugin->find("compassWidget");
        int shownWhole = 0;
        for (QWidget* compass : area->findChildren<QWidget*>("", Qt::FindDirectChildrenOnly))
            shownWhole += compass->inherits("velmora::plugin::compass_widget::CompassWidget") &&
                          area->rect().contains(compass->geometry());
        QCOMPARE(shownWhole, 1);
    }

    void statusText_data()
    {
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("camera");
        QTest::newRow("GDC deg:min:sec") << "GDC deg:min:sec" << "  45º 7'24.44\",  -75º39'15.56\",   123.45";
        QTest::newRow("GCC") << "GCC" << "1116945.41, -4367400.88, 4497126.96";
        QTest::newRow("UTM: easting and northing truncated") << "UTM" << "18T 448540 4996873";
        QTest::newRow("MGRS") << "MGRS" << "18TVQ4854096873";
        QTest::newRow("Terrain Local") << "Terrain Local" << "     0.00,      0.00,      0.00";
    }

    void statusText()
    {
        QFETCH(QString, camera);
        const QString heading = ", Heading (deg):   0.00";
        // The worked example's place, with the camera at the terrain origin.
        velmora::terrain::TerrainManager::instance()->setOrigin(45.123456, -75.654321, 123.45);
        plugin->frame();
        QCOMPARE(status->text(), "Camera: (  45.123456,  -75.654321,   123.45)" + heading);
        QFETCH(QString, system);
        combo->setCurrentIndex(combo->findText(system));
        plugin->frame();
        QCOMPARE(status->text(), "Camera: (" + camera + ")" + heading);
    }

    void cursorPart_data()
    {
        QTest::addColumn<osg::Vec3d>("direction");
        QTest::addColumn<QPoint>("cursor"); // logical pixels; null: no mouse move
        QTest::addColumn<bool>("dialog");   // a host dialog opens over the cursor after the move
        QTest::addColumn<bool>("onTerrain");
        const osg::Vec3d north(0, 1, 0);
        // Looking down, every pixel shows ground; still, no cursor means no cursor part.
        QTest::newRow("no mouse move yet") << osg::Vec3d(0, 1, -2) << QPoint() << false << false;
        QTest::newRow("over the terrain") << north << QPoint(640, 600) << false << true;
        QTest::newRow("over the sky") << north << QPoint(640, 100) << false << false;
        QTest::newRow("over a host dialog") << north << QPoint(640, 600) << true << false;
    }

    void cursorPart()
    {
        QFETCH(osg::Vec3d, direction);
        QFETCH(QPoint, cursor);
        QFETCH(bool, onTerrain);
        osg::ref_ptr<osg::Geode> ground = new osg::Geode; // its top at z = -100
        ground->addDrawable(new osg::ShapeDrawable(new osg::Box(osg::Vec3(0, 0, -101), 1e5f, 1e5f, 2)));
        host->application().getSceneData()->addChild(ground);
        look(direction);
        combo->setCurrentIndex(combo->findText("Terrain Local"));
        QMouseEvent move(QEvent::MouseMove, cursor, cursor, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        if (!cursor.isNull())
            plugin->mouse()->handleMouseMove(&move, &host->scene());
        QFETCH(bool, dialog);
        if (dialog)
            host->showAsDialog(new QLabel("over the cursor"), cursor.x() - 50, cursor.y() - 50)->resize(100, 100);
        plugin->frame();

        const QRegularExpressionMatch match =
            QRegularExpression(R"(Cursor: \( *(\S+), +(\S+), +(\S+)\))").match(status->text());
        QCOMPARE(match.hasMatch(), onTerrain);
        if (!onTerrain)
            return;
        // The point named lies on the ground and, projected back, under the cursor.
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
            // German grouping would mean 1000.5; the field keeps only what reads back.
            row("german grouping refused", "gccXTextBox", "1.000,5", "1.0005", true);
            // Intermediate input finishes no edit and so starts no recomputation.
            row("lone minus", "localYTextBox", "-", "-", false);
            // Out of range but as long as the limit: shown, yet no edit finishes.
            row("zone above 60", "utmZoneTextBox", "61", "61", false);
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
            row("minutes unsigned", "latMinText", "-5", "5", true);
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
        // A place far away first, so that every form really changes; a grid reference has no height.
        plugin->enter({{"gdcLatitudeTextBox", "-45"}, {"gdcLongitudeTextBox", "-100"}, {"gdcElevationTextBox", "9"}});

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
        // The edited form keeps what the user typed.
        for (auto it = typed.cbegin(); it != typed.cend(); ++it)
            QCOMPARE(shown[it.key()], it.value());
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

        const QString blank = "There is a blank field", zone = "Zone needs to from 1 to 60", utm = "utmStatus";
        auto with = [](Texts changes) {
            Texts t = {{"utmZoneTextBox", "10"}, {"utmBandTextBox", "T"}, {"utmEastingTextBox", "594507"},
                       {"utmNorthingTextBox", "5189496"}};
            t.insert(changes);
            return t;
        };
        QTest::newRow("utm blank reported before zone")
            << with({{"utmNorthingTextBox", ""}, {"utmZoneTextBox", "0"}}) << utm << blank;
        QTest::newRow("utm zone 0") << with({{"utmZoneTextBox", "0"}}) << utm << zone;
        QTest::newRow("utm band I, lower case") << with({{"utmBandTextBox", "i"}}) << utm
                                                << "UTM Band cannot be an I or an O";
        // Far outside any zone: no place, and no nan in the other forms.
        QTest::newRow("utm easting outside the zone")
            << with({{"utmEastingTextBox", "90000000"}}) << utm << "No place in zone 10T has this easting and northing";
        QTest::newRow("mgrs square not in zone") << Texts{{"mgrsTextBox", "33TAA1234512345"}} << "mgrsStatus"
                                                 << "The 100 km square AA is not in grid zone 33T";
        QTest::newRow("latitude 200") << Texts{{"gdcLatitudeTextBox", "200"}} << "locationStatus"
                                      << "Latitude must be from -90 to 90 degrees";
        // Far beyond the earth, long before converting the digits shown could overflow.
        QTest::newRow("geocentric far beyond the earth") << Texts{{"gccXTextBox", "1e11"}} << "locationStatus"
                                                         << "No place on the earth has these coordinates";
        // Far beyond the earth, the local frame overflows to infinity.
        QTest::newRow("local beyond range") << Texts{{"localXTextBox", "1.7e308"}, {"localYTextBox", "1.7e308"}}
                                            << "locationStatus" << "No place on the earth has these coordinates";
    }

    void refusedEditsChangeNothing()
    {
        QFETCH(Texts, typed);
        QFETCH(QString, status);
        const Texts before = plugin->texts();
        plugin->enter(typed);
        auto* label = plugin->find<QLabel>(status);
        QTEST(label->text(), "message");
        QVERIFY(label->isVisibleTo(plugin->panel()));
        Texts after = plugin->texts();
        for (auto it = typed.cbegin(); it != typed.cend(); ++it)
            after[it.key()] = before[it.key()];
        QCOMPARE(after, before);

        // A good edit anywhere shows a new place in every form: the complaint no longer applies.
        plugin->enter({{"gdcLatitudeTextBox", "45"}});
        QCOMPARE(label->text(), QString());
        QVERIFY(status != "locationStatus" || !label->isVisibleTo(plugin->panel()));
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

private:
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
