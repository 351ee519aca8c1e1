#pragma once

class QWidget;

namespace velmora::plugin::compass_widget {

// Gives the Compass panel's fields, buttons and controls, found by object
// name below panel, an accessible description of what each accepts or does,
// and the fields and check boxes an accessible name (buttons keep their
// visible text as theirs). Tab then goes through them in reading order: top
// to bottom, left to right within a row. The message lines keep their text as
// their name, so a screen reader reads out what they say; Qt announces each
// new text with a name-changed event. Widgets missing from panel are skipped.
void describePanel(QWidget* panel);

// The same for the widgets the panel puts into the host's status bar: the
// status text (named by its own text, like the message lines) and the choice
// of its coordinate system. Either may be null.
void describeStatusWidgets(QWidget* statusText, QWidget* systemChoice);

} // namespace velmora::plugin::compass_widget
