// The whole compass panel in the display-free test host, shown as a dialog
// over the 3D view and driven by user actions: typing into a field and
// finishing with Return or a focus change, the six buttons, frames, camera
// turns, mouse moves and presses (over terrain, sky and dialog), Escape, the
// DMS check box and the status bar's coordinate-system choice. After every
// action no field or status text shows "nan" or "inf" (unless typed there),
// and while the panel claims one place (after an accepted edit, a sync, a
// pick, a follow-mode frame) its six forms describe that place within the
// precision they show, and an edited form still holds what was typed.
// Input: action bytes, each followed by its arguments (see runAction).

#include "FuzzCheck.h"
#include "GridTerrain.h"
#include "LoadedCompassPlugin.h"
#include "TestHost.h"

#include "DegreeSplit.h"
#include "NumberText.h"

#include <velmora/application/plugin/FrameUpdatePlugin.h>
#include <velmora/application/plugin/MouseHandlerPlugin.h>
#include <velmora/terrain/TerrainManager.h>
#include <velmora/utility/CoordConverter.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

using velmora::application::plugin::FrameUpdatePlugin;
using velmora::application::plugin::MouseHandlerPlugin;
using velmora::plugin::compass_widget::textToDouble;
using velmora::plugin::compass_widget::textToUnsigned;
using velmora::terrain::TerrainManager;
using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;
using velmora::utility::CoordConverter;

namespace {

// A length byte, then that many keys: printable ASCII as it is, backspace,
// and any other byte folded onto printable ASCII (the keys QTest can type).
QString typedKeys(FuzzInput& in, int maxLength)
{
    const int length = in.byte() % (maxLength + 1);
    QString result;
    for (int i = 0; i < length; ++i) {
        const std::uint8_t b = in.byte();
        result += QLatin1Char(b == '\b' || (b >= 0x20 && b < 0x7f) ? char(b) : char(0x20 + b % 0x5f));
    }
    return result;
}

enum class Form { Gdc, Dms, Gcc, Local, Mgrs, Utm };

struct Field
{
    const char* name;
    Form form;
};

const std::array<Field, 21> fields = {{
    {"gdcLatitudeTextBox", Form::Gdc}, {"gdcLongitudeTextBox", Form::Gdc}, {"gdcElevationTextBox", Form::Gdc},
    {"latDegText", Form::Dms},         {"latMinText", Form::Dms},          {"latSecText", Form::Dms},
    {"lonDegText", Form::Dms},         {"lonMinText", Form::Dms},          {"lonSecText", Form::Dms},
    {"elevDmsText", Form::Dms},        {"gccXTextBox", Form::Gcc},         {"gccYTextBox", Form::Gcc},
    {"gccZTextBox", Form::Gcc},        {"localXTextBox", Form::Local},     {"localYTextBox", Form::Local},
    {"localZTextBox", Form::Local},    {"mgrsTextBox", Form::Mgrs},        {"utmZoneTextBox", Form::Utm},
    {"utmBandTextBox", Form::Utm},     {"utmEastingTextBox", Form::Utm},   {"utmNorthingTextBox", Form::Utm},
}};

const std::array<const char*, 6> buttons = {"warpButton",      "warpToStartButton", "syncButton",
                                            "toggleSyncButton", "pickCoordButton",   "copyToClipboardButton"};

osg::Vec3d gccOf(double latitude, double longitude, double elevation)
{
    gmtl::Vec<double, 3> local;
    gmtl::Vec<double, 3> gcc;
    TerrainManager::instance()->convertGdcToTerrainLocal({latitude, longitude, elevation}, local);
    TerrainManager::instance()->convertTerrainLocalToGcc(local, gcc);
    return {gcc[0], gcc[1], gcc[2]};
}

double largest(const osg::Vec3d& v)
{
    return std::max({std::fabs(v.x()), std::fabs(v.y()), std::fabs(v.z())});
}

class Panel
{
public:
    Panel()
    {
        // Hills with a KdTree below the start position, so cursor moves find points.
        host.application().getSceneData()->addChild(velmora::testing::makeGridTerrain(65, 100.0f, true));
        host.showAsDialog(plugin.panel(), 40, 60);
        frame = static_cast<FrameUpdatePlugin*>(
            plugin.object()->qt_metacast("velmora::application::plugin::FrameUpdatePlugin"));
        mouse = static_cast<MouseHandlerPlugin*>(
            plugin.object()->qt_metacast("velmora::application::plugin::MouseHandlerPlugin"));
        combo = host.mainWindow().statusBar()->findChild<QComboBox*>();
        statusText = host.mainWindow().statusBar()->findChild<QLabel*>();
        FUZZ_CHECK(frame && mouse && combo && statusText, "the plugin is incomplete");
        for (const Field& f : fields) {
            auto* edit = plugin.find<QLineEdit>(QLatin1String(f.name));
            FUZZ_CHECK(edit, "no field %s", f.name);
            edits.push_back(edit);
            QObject::connect(edit, &QLineEdit::editingFinished, [this] { finished = true; });
        }
    }

    // Back to the start location in a quiet panel, so each input starts alike.
    void reset()
    {
        if (button("toggleSyncButton")->isChecked())
            button("toggleSyncButton")->click();
        if (!button("pickCoordButton")->isEnabled())
            QTest::keyClick(plugin.panel(), Qt::Key_Escape);
        checkBox()->setChecked(false);
        combo->setCurrentIndex(0);
        mouse->handleMouseLeave();
        button("warpToStartButton")->click();
        frame->frameUpdate();
        typed.clear();
        onePlace = true;
        check();
    }

    void runAction(FuzzInput& in)
    {
        switch (in.byte() % 11) {
        case 0: typeInto(in); break;
        case 1: clickButton(in.byte()); break;
        case 2:
            for (int n = in.byte() % 4; n >= 0; --n) {
                frame->frameUpdate();
                placeShownIf(button("toggleSyncButton")->isChecked());
            }
            break;
        case 3: turnCamera(in); break;
        case 4: moveMouse(in.word(), in.word()); break;
        case 5: pressMouse(in); break;
        case 6:
            QTest::keyClick(in.byte() % 2 ? static_cast<QWidget*>(plugin.panel()) : host.view().viewport(),
                            Qt::Key_Escape);
            break;
        case 7: checkBox()->click(); break;
        case 8: combo->setCurrentIndex(in.byte() % combo->count()); break;
        case 9: mouse->handleMouseLeave(); break;
        default: mouse->handleMouseEnter(); break;
        }
        check();
    }

    void processEvents() { QCoreApplication::processEvents(); }

private:
    QPushButton* button(const char* name) const { return plugin.find<QPushButton>(QLatin1String(name)); }
    QCheckBox* checkBox() const { return plugin.find<QCheckBox>(QStringLiteral("dmsCheckBox")); }
    QLabel* label(const char* name) const { return plugin.find<QLabel>(QLatin1String(name)); }
    QLineEdit* edit(const char* name) const { return plugin.find<QLineEdit>(QLatin1String(name)); }
    QString text(const char* name) const { return edit(name)->text(); }
    double number(const char* name) const { return textToDouble(text(name)); }

    // Sync, warp to start, a pick and a follow-mode frame rewrite every form, unless the place has none.
    void placeShownIf(bool rewritten)
    {
        if (rewritten && label("locationStatus")->text().isEmpty())
            onePlace = true;
    }

    // Field: a byte; how to finish: a byte (Return, focus change, not at
    // all); then the text. Typed keys pass the field's validator like a
    // user's; a hidden field (the other GDC page) cannot be typed into.
    void typeInto(FuzzInput& in)
    {
        const std::size_t index = in.byte() % fields.size();
        const int finish = in.byte() % 3;
        const QString keys = typedKeys(in, 20);
        QLineEdit* field = edits[index];
        if (!field->isVisible())
            return;
        const QString before = field->text();
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, keys);
        if (field->text() != before)
            typed[field] = field->text();

        const Form form = fields[index].form;
        std::map<QLineEdit*, QString> formTexts;
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fields[i].form == form)
                formTexts[edits[i]] = edits[i]->text();

        finished = false;
        if (finish == 0) {
            QTest::keyClick(field, Qt::Key_Return);
        } else if (finish == 1 && field->isEnabled()) {
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(field, &out);
        }
        if (!finished) {
            onePlace = onePlace && field->text() == before;
            return;
        }
        // Accepted when the form's status stays empty: the panel shows one place, and the edited form keeps what
        // was typed.
        const char* status = form == Form::Mgrs ? "mgrsStatus" : form == Form::Utm ? "utmStatus" : "locationStatus";
        onePlace = label(status)->text().isEmpty();
        if (!onePlace)
            return;
        for (const auto& [f, t] : formTexts)
            FUZZ_CHECK(f->text() == t, "accepted edit changed %s from '%s' to '%s'", qPrintable(f->objectName()),
                       qPrintable(t), qPrintable(f->text()));
    }

    void clickButton(int which)
    {
        const std::size_t index = which % buttons.size();
        button(buttons[index])->click();
        placeShownIf(index == 1 || index == 2); // warp to start, sync
    }

    // Heading and pitch bytes, and a step along the new view direction.
    void turnCamera(FuzzInput& in)
    {
        const double heading = in.byte() * (2.0 * M_PI / 256.0);
        const double pitch = (in.byte() - 128) * (0.5 * M_PI / 128.0);
        const double step = (in.byte() - 128) * 20.0;
        osg::Camera* camera = host.application().getViewer()->getCamera();
        const osg::Vec3d direction(std::sin(heading) * std::cos(pitch), std::cos(heading) * std::cos(pitch),
                                   std::sin(pitch));
        const osg::Vec3d up(-std::sin(heading) * std::sin(pitch), -std::cos(heading) * std::sin(pitch),
                            std::cos(pitch));
        const osg::Vec3d eye = camera->getInverseViewMatrix().getTrans() + direction * step;
        camera->setViewMatrixAsLookAt(eye, eye + direction, up);
    }

    // Anywhere over the view and a little beyond it, dialog included.
    static QMouseEvent mouseEvent(QEvent::Type type, int x, int y)
    {
        const QPointF at(x % (TestHost::windowWidth + 100) - 50, y % (TestHost::windowHeight + 100) - 50);
        const Qt::MouseButton pressed = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        return QMouseEvent(type, at, pressed, pressed, Qt::NoModifier);
    }

    void moveMouse(int x, int y)
    {
        QMouseEvent move = mouseEvent(QEvent::MouseMove, x, y);
        mouse->handleMouseMove(&move, &host.scene());
    }

    // What the host found under the press: the sky, a point near the
    // terrain, or any three numbers; then the press position.
    void pressMouse(FuzzInput& in)
    {
        const int kind = in.byte() % 3;
        if (kind == 0) {
            host.application().clearTerrainPointUnderMouse();
        } else if (kind == 1) {
            const double x = (in.word() - 32768) * 4.0;
            const double y = (in.word() - 32768) * 4.0;
            host.setTerrainPointUnderMouse(osg::Vec3d(x, y, (in.byte() - 128) * 10.0));
        } else {
            const double x = in.number();
            const double y = in.number();
            host.setTerrainPointUnderMouse(osg::Vec3d(x, y, in.number()));
        }
        const bool armed = !button("pickCoordButton")->isEnabled();
        QMouseEvent press = mouseEvent(QEvent::MouseButtonPress, in.word(), in.word());
        mouse->handleMouseClick(&press, &host.scene());
        placeShownIf(armed && button("pickCoordButton")->isEnabled());
    }

    void check()
    {
        for (QLineEdit* field : edits) {
            const QString shown = field->text();
            const auto own = typed.find(field);
            if (own != typed.end() && own->second == shown)
                continue;
            // Band N and square AN spell "NAN" in a sound reference: the MGRS text must read instead.
            if (field->objectName() == QLatin1String("mgrsTextBox"))
                mgrsPlace(0, '\0');
            else
                checkNoNonNumber(field->objectName(), shown);
        }
        for (const QLabel* l : {statusText, label("orientationLabel")})
            checkNoNonNumber(l->objectName(), l->text());
        if (onePlace)
            checkOnePlace();
    }

    static void checkNoNonNumber(const QString& name, const QString& shown)
    {
        FUZZ_CHECK(!shown.contains(QLatin1String("nan"), Qt::CaseInsensitive) &&
                       !shown.contains(QLatin1String("inf"), Qt::CaseInsensitive),
                   "%s shows '%s'", qPrintable(name), qPrintable(shown));
    }

    // Every form against the GDC fields, compared as geocentric points.
    void checkOnePlace()
    {
        const double latitude = number("gdcLatitudeTextBox");
        const double longitude = number("gdcLongitudeTextBox");
        const osg::Vec3d reference = gccOf(latitude, longitude, number("gdcElevationTextBox"));
        const osg::Vec3d dms = gccOf(dmsAngle("lat"), dmsAngle("lon"), number("elevDmsText"));

        double gdc[3];
        CoordConverter::convertGccToGdc(number("gccXTextBox"), number("gccYTextBox"), number("gccZTextBox"), gdc[0],
                                        gdc[1], gdc[2]);
        const osg::Vec3d gcc = gccOf(gdc[0], gdc[1], gdc[2]);

        const gmtl::Vec<double, 3> localTexts{number("localXTextBox"), number("localYTextBox"), number("localZTextBox")};
        gmtl::Vec<double, 3> localGcc;
        TerrainManager::instance()->convertTerrainLocalToGcc(localTexts, localGcc);
        const osg::Vec3d local(localGcc[0], localGcc[1], localGcc[2]);

        // Eight significant digits of the largest coordinate, angles at that
        // distance from the earth's centre, and the grid's metre.
        const double scale = std::max({largest(reference), largest(dms), largest(gcc), largest(local),
                                       std::fabs(localTexts[0]), std::fabs(localTexts[1]), std::fabs(localTexts[2])});
        const double tolerance = 3.0 + 3e-7 * scale;
        compare(reference, dms, tolerance, "deg:min:sec");
        compare(reference, gcc, tolerance, "geocentric");
        compare(reference, local, tolerance, "terrain-local");

        // The grid forms name a place on the ellipsoid.
        const osg::Vec3d ground = gccOf(latitude, longitude, 0.0);
        const unsigned int zone = textToUnsigned(text("utmZoneTextBox"));
        const QString bandText = text("utmBandTextBox");
        const char band = bandText.isEmpty() ? '\0' : bandText.at(0).toUpper().toLatin1();
        compare(ground, gridPlace(zone, band, number("utmEastingTextBox"), number("utmNorthingTextBox")), 3.0, "UTM");
        compare(ground, mgrsPlace(zone, band), 3.0, "MGRS");
    }

    // A grid position on the ellipsoid, as a geocentric point.
    static osg::Vec3d gridPlace(unsigned int zone, char band, double easting, double northing)
    {
        double latitude = 0.0;
        double longitude = 0.0;
        CoordConverter::convertUtmToGdc(zone, band, easting, northing, latitude, longitude);
        return gccOf(latitude, longitude, 0.0);
    }

    // The MGRS text read with the panel's zone and band; it must read.
    osg::Vec3d mgrsPlace(unsigned int zone, char band) const
    {
        unsigned int mgrsZone = 0;
        double easting = 0.0;
        double northing = 0.0;
        std::string error;
        const std::string mgrs = text("mgrsTextBox").toStdString();
        FUZZ_CHECK(CoordConverter::convertMgrsToUtm(zone, band, mgrs, mgrsZone, easting, northing, error),
                   "MGRS '%s' does not read: %s (panel: %s)", mgrs.c_str(), error.c_str(), qPrintable(allTexts()));
        return gridPlace(mgrsZone, band, easting, northing);
    }

    // The sign is the degrees field's, "-0" included.
    double dmsAngle(const char* prefix) const
    {
        const QString p = QLatin1String(prefix);
        const QString degrees = edit(qPrintable(p + "DegText"))->text().trimmed();
        const double magnitude = std::fabs(textToDouble(degrees)) +
                                 textToDouble(edit(qPrintable(p + "MinText"))->text()) / 60.0 +
                                 textToDouble(edit(qPrintable(p + "SecText"))->text()) / 3600.0;
        return degrees.startsWith(QLatin1Char('-')) ? -magnitude : magnitude;
    }

    void compare(const osg::Vec3d& expected, const osg::Vec3d& actual, double tolerance, const char* form) const
    {
        const osg::Vec3d d = actual - expected;
        FUZZ_CHECK(std::fabs(d.x()) <= tolerance && std::fabs(d.y()) <= tolerance && std::fabs(d.z()) <= tolerance,
                   "the %s form is %g %g %g m from the GDC form (tolerance %g m)\n  panel: %s", form, d.x(), d.y(),
                   d.z(), tolerance, qPrintable(allTexts()));
    }

    QString allTexts() const
    {
        QString all;
        for (const QLineEdit* field : edits)
            all += field->objectName() + QLatin1Char('=') + field->text() + QLatin1Char(' ');
        return all;
    }

    TestHost host;
    LoadedCompassPlugin plugin;
    FrameUpdatePlugin* frame = nullptr;
    MouseHandlerPlugin* mouse = nullptr;
    QComboBox* combo = nullptr;
    QLabel* statusText = nullptr;
    std::vector<QLineEdit*> edits; // in the order of fields
    // What the user's keys left in a field; it may say anything.
    std::map<QLineEdit*, QString> typed;
    // Whether the panel claims one place in all six forms.
    bool onePlace = true;
    bool finished = false;
};

Panel* panel = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale::c());
    // Both live for the whole run; the fuzzer ends the process.
    new QApplication(*argc, *argv);
    panel = new Panel;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    panel->reset();
    FuzzInput in(data, size);
    // Long inputs add little but time.
    for (int actions = 0; actions < 64 && !in.atEnd(); ++actions)
        panel->runAction(in);
    panel->processEvents();
    return 0;
}
