#include "EscapeRestore.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace velmora::plugin::compass_widget {

EscapeRestore::EscapeRestore(QObject* parent)
    : QObject(parent)
{
}

void EscapeRestore::watch(QLineEdit* field)
{
    edits.insert(field, {field->text(), false});
    // A user's change is signalled as edited, and marks the field modified before its textChanged.
    connect(field, &QLineEdit::textEdited, this, [this, field] { edits[field].underway = true; });
    // A text the program sets (not modified) is the one shown now; it also ends
    // an edit under way, which Escape must not bring back over the new place.
    connect(field, &QLineEdit::textChanged, this, [this, field](const QString& text) {
        if (!field->isModified())
            edits[field] = {text, false};
    });
    connect(field, &QLineEdit::editingFinished, this, [this, field] { end(field); });
    connect(field, &QObject::destroyed, this, [this](QObject* gone) { edits.remove(gone); });
    field->installEventFilter(this);
}

void EscapeRestore::end(QLineEdit* field)
{
    // The field's modified flag is the panel's: it tells a finished edit from leaving an untouched field.
    edits[field] = {field->text(), false};
}

bool EscapeRestore::eventFilter(QObject* watched, QEvent* event)
{
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (field && event->type() == QEvent::FocusOut) {
        // Another window or a menu taking the focus for a moment leaves the edit open.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            end(field);
    }
    if (field && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        edits.value(field).underway) {
        field->setText(edits.value(field).shownBefore);
        end(field);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace velmora::plugin::compass_widget
