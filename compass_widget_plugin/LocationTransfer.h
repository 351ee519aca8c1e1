#pragma once

#include "PlaceFormats.h"

#include <QObject>

#include <gmtl/Vec.h>

#include <array>
#include <functional>

class QAction;
class QLineEdit;
class QMenu;
class QPoint;
class QWidget;

namespace velmora::plugin::compass_widget {

struct Location;

// Places in and out of the Compass panel as text. Owns the panel's "Paste
// location" action (Ctrl+Shift+V anywhere in the panel), one copy action per
// copy format (object-named after it, e.g. "copyGeoJsonAction"), the panel's
// context menu offering them (also below each field's own menu), the drop of a text onto the panel and the
// Ctrl+V into a field of a text that names a whole place the field alone
// could not hold. A Ctrl+V the field can take stays an ordinary paste.
//
// A text read as a place goes to the panel through showPlace with the note
// saying how it was read; a text that names none changes nothing but the
// message line, through showProblem. Lives on the GUI thread, a child of the
// panel.
class LocationTransfer : public QObject
{
    Q_OBJECT

public:
    // The panel's side: showPlace shows a place in every form with the note
    // under the forms and returns false (having shown the reason) when the
    // place has no value in some form; showProblem shows why a text names no
    // place.
    struct PanelCalls
    {
        std::function<bool(const Location&, const QString&)> showPlace;
        std::function<void(const QString&)> showProblem;
    };

    // Adds the actions to panel, takes over its context menu and drops, and
    // watches the panel's line edits (not Qt's own, such as a spin box's).
    // The copy actions stay disabled until setShownPlace.
    LocationTransfer(QWidget* panel, PanelCalls calls);

    // The place the panel shows, which the copy actions copy.
    void setShownPlace(const Location& location);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Reads text as a place and shows it as a finished edit does, a text
    // without a height at the shown elevation; or shows why it names no
    // place. True when shown.
    bool pasteText(const QString& text);
    // Puts the shown place on the clipboard as text in format, and under the
    // format's own MIME type where it has one.
    void copy(CopyFormat format) const;
    void showMenu(const QPoint& position);
    // Whether a Ctrl+V or a drop of text into field is the field's own
    // business: its validator takes the text, or it is the MGRS field and the
    // text an MGRS reference.
    bool fieldTakes(const QLineEdit* field, const QString& text) const;
    bool handleDrop(QObject* watched, QEvent* event);

    QWidget* panel = nullptr;
    PanelCalls calls;
    QAction* pasteAction = nullptr;
    QMenu* placeMenu = nullptr; // the panel's context menu; a child of the panel
    std::array<QAction*, copyFormatChoices.size()> copyActions{};
    gmtl::Vec<double, 3> shownGdc{0.0, 0.0, 0.0}; // latitude, longitude (degrees), elevation (metres)
};

} // namespace velmora::plugin::compass_widget
