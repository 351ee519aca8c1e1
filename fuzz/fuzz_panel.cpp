// The whole compass panel in the display-free test host, shown as a dialog
// over the 3D view and driven by user actions (typing finished by Return or a
// focus change, buttons, frames, camera turns, mouse moves and presses over
// terrain, sky and dialog, Escape, the DMS box, the status system). After
// every action no text shows "nan" or "inf" (unless typed there); while the
// panel claims one place (after an accepted edit, a sync, a pick, a
// follow-mode frame) its six forms name it, and an edited form keeps what
// was typed. Input: action bytes, each followed by its arguments (runAction).
#include "FuzzCheck.h"
#include "GridTerrain.h"
#include "LoadedCompassPlugin.h"
#include "SixForms.h"
#include "TestHost.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>

#include <cmath>

using velmora::testing::LoadedCompassPlugin;
using velmora::testing::TestHost;
using velmora::testing::Texts;

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

// In the order the input's field bytes count them.
const char* const fields[] = {"gdcLatitudeTextBox", "gdcLongitudeTextBox", "gdcElevationTextBox", "latDegText",
                              "latMinText",         "latSecText",          "lonDegText",          "lonMinText",
                              "lonSecText",         "elevDmsText",         "gccXTextBox",         "gccYTextBox",
                              "gccZTextBox",        "localXTextBox",       "localYTextBox",       "localZTextBox",
                              "mgrsTextBox",        "utmZoneTextBox",      "utmBandTextBox",      "utmEastingTextBox",
                              "utmNorthingTextBox"};
const char* const buttons[] = {"warpButton",       "warpToStartButton", "syncButton",
                               "toggleSyncButton", "pickCoordButton",   "copyToClipboardButton"};

// A field's form by the start of its name; the rest are the deg:min:sec fields.
QString formOf(const QString& field)
{
    for (const char* form : {"gdc", "gcc", "local", "mgrs", "utm"})
        if (field.startsWith(QLatin1String(form)))
            return form;
    return "dms";
}

class Panel
{
public:
    Panel()
    {
        // Hills with a KdTree below the start position, so cursor moves find points.
        host.application().getSceneData()->addChild(velmora::testing::makeGridTerrain(65, 100.0f, true));
        host.showAsDialog(plugin.panel(), 40, 60);
        combo = host.mainWindow().statusBar()->findChild<QComboBox*>();
        statusText = host.mainWindow().statusBar()->findChild<QLabel*>();
        FUZZ_CHECK(plugin.mouse() && combo && statusText, "the plugin is incomplete");
        for (const char* name : fields)
            QObject::connect(plugin.field(name), &QLineEdit::editingFinished, [this] { finished = true; });
    }

    // Back to the start location in a quiet panel, so each input starts alike.
    void reset()
    {
        if (plugin.button("toggleSyncButton")->isChecked())
            plugin.button("toggleSyncButton")->click();
        if (!plugin.button("pickCoordButton")->isEnabled())
            QTest::keyClick(plugin.panel(), Qt::Key_Escape);
        plugin.button("dmsCheckBox")->setChecked(false);
        combo->setCurrentIndex(0);
        plugin.mouse()->handleMouseLeave();
        plugin.button("warpToStartButton")->click();
        plugin.frame();
        typed.clear();
        onePlace = true;
        check();
    }

    void runAction(FuzzInput& in)
    {
        switch (in.byte() % 11) {
        case 0: typeInto(in); break;
        case 1: {
            const std::size_t index = in.byte() % std::size(buttons);
            plugin.button(buttons[index])->click();
            placeShownIf(index == 1 || index == 2); // warp to start, sync
            break;
        }
        case 2:
            for (int n = in.byte() % 4; n >= 0; --n) {
                plugin.frame();
                placeShownIf(plugin.button("toggleSyncButton")->isChecked());
            }
            break;
        case 3: turnCamera(in); break;
        case 4: {
            QMouseEvent move = mouseEvent(QEvent::MouseMove, in.word(), in.word());
            plugin.mouse()->handleMouseMove(&move, &host.scene());
            break;
        }
        case 5: pressMouse(in); break;
        case 6: QTest::keyClick(in.byte() % 2 ? plugin.panel() : host.view().viewport(), Qt::Key_Escape); break;
        case 7: plugin.button("dmsCheckBox")->click(); break;
        case 8: combo->setCurrentIndex(in.byte() % combo->count()); break;
        case 9: plugin.mouse()->handleMouseLeave(); break;
        default: plugin.mouse()->handleMouseEnter(); break;
        }
        check();
    }

private:
    // Sync, warp to start, a pick and a follow-mode frame rewrite every form, unless the place has none.
    void placeShownIf(bool rewritten)
    {
        if (rewritten && plugin.find<QLabel>("locationStatus")->text().isEmpty())
            onePlace = true;
    }

    // Field: a byte; how to finish: a byte (Return, focus change, not at
    // all); then the text. Typed keys pass the field's validator like a
    // user's; a hidden field (the other GDC page) cannot be typed into.
    void typeInto(FuzzInput& in)
    {
        const char* name = fields[in.byte() % std::size(fields)];
        const int finish = in.byte() % 3;
        const QString keys = typedKeys(in, 20);
        QLineEdit* field = plugin.field(name);
        if (!field->isVisible())
            return;
        const QString before = field->text();
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, keys);
        if (field->text() != before)
            typed[name] = field->text();
        const Texts edited = plugin.texts();

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
        const QString form = formOf(name);
        const char* status = form == "mgrs" ? "mgrsStatus" : form == "utm" ? "utmStatus" : "locationStatus";
        onePlace = plugin.find<QLabel>(status)->text().isEmpty();
        if (!onePlace)
            return;
        const Texts after = plugin.texts();
        for (auto it = edited.cbegin(); it != edited.cend(); ++it)
            FUZZ_CHECK(formOf(it.key()) != form || after[it.key()] == it.value(),
                       "accepted edit changed %s from '%s' to '%s'", qPrintable(it.key()), qPrintable(it.value()),
                       qPrintable(after[it.key()]));
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
        const bool armed = !plugin.button("pickCoordButton")->isEnabled();
        QMouseEvent press = mouseEvent(QEvent::MouseButtonPress, in.word(), in.word());
        plugin.mouse()->handleMouseClick(&press, &host.scene());
        placeShownIf(armed && plugin.button("pickCoordButton")->isEnabled());
    }

    void check()
    {
        Texts shown = plugin.texts();
        shown["statusText"] = statusText->text();
        shown["orientationLabel"] = plugin.find<QLabel>("orientationLabel")->text();
        // Band N and square AN spell "NAN" in a sound reference, which is read whole below instead.
        for (auto it = shown.cbegin(); it != shown.cend(); ++it)
            FUZZ_CHECK(it.key() == "mgrsTextBox" || typed.value(it.key(), "\n") == it.value() ||
                           !(it.value().contains("nan", Qt::CaseInsensitive) ||
                             it.value().contains("inf", Qt::CaseInsensitive)),
                       "%s shows '%s'", qPrintable(it.key()), qPrintable(it.value()));
        if (onePlace) {
            const QString problem = velmora::testing::sixFormsDisagreement(shown);
            FUZZ_CHECK(problem.isEmpty(), "%s\n  panel: %s", qPrintable(problem),
                       qPrintable(QStringList(shown.values()).join(' ')));
        }
    }

    TestHost host;
    LoadedCompassPlugin plugin;
    QComboBox* combo = nullptr;
    QLabel* statusText = nullptr;
    // What the user's keys left in a field; it may say anything.
    Texts typed;
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
    QCoreApplication::processEvents();
    return 0;
}
