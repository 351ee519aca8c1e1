#include "FieldRefusals.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QValidator>

namespace velmora::plugin::compass_widget {

namespace {

const char refusedProperty[] = "refused";

} // namespace

FieldRefusals::FieldRefusals(QObject* parent) : QObject(parent) {}

void FieldRefusals::watch(QLineEdit* field, QLabel* status, const QString& message)
{
    refusals.insert(field, {status, message});
    field->installEventFilter(this);
    // Corrected, by the user or by another form's rewrite: no longer marked.
    connect(field, &QLineEdit::textChanged, this, [field] {
        if (isMarked(field) && isTaken(field))
            mark(field, false);
    });
}

bool FieldRefusals::allTaken(std::initializer_list<QLineEdit*> fields)
{
    for (QLineEdit* field : fields) {
        if (refusals.contains(field) && !isTaken(field)) {
            refuse(field, refusals.value(field).message);
            return false;
        }
    }
    return true;
}

void FieldRefusals::refuse(QLineEdit* field, const QString& message)
{
    const auto it = refusals.constFind(field);
    if (it == refusals.constEnd() || !it->status)
        return;
    it->status->setText(message);
    it->status->show();
    mark(field, true);
}

bool FieldRefusals::isMarked(const QLineEdit* field)
{
    return field->property(refusedProperty).toBool();
}

bool FieldRefusals::eventFilter(QObject* watched, QEvent* event)
{
    // Null while a field is being destroyed: it is a line edit no longer.
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field)
        return false;
    bool finishing = false;
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        finishing = key == Qt::Key_Return || key == Qt::Key_Enter;
    } else if (event->type() == QEvent::FocusOut) {
        // A menu or popup opening over the field finishes no edit.
        finishing = static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason;
    }
    if (finishing && field->isEnabled() && !field->isReadOnly() && !isTaken(field))
        refuse(field, refusals.value(field).message);
    // The field still gets the event: it keeps its text and its own handling.
    return false;
}

bool FieldRefusals::isTaken(const QLineEdit* field)
{
    const QValidator* validator = field->validator();
    if (!validator)
        return true;
    QString text = field->text();
    int pos = 0;
    if (validator->validate(text, pos) == QValidator::Acceptable)
        return true;
    validator->fixup(text);
    return validator->validate(text, pos) == QValidator::Acceptable;
}

void FieldRefusals::mark(QLineEdit* field, bool refused)
{
    field->setProperty(refusedProperty, refused);
    // An empty palette inherits every colour again.
    QPalette palette;
    if (refused) {
        palette = field->palette();
        palette.setColor(QPalette::Base, QColor(255, 214, 214));
    }
    field->setPalette(palette);
}

} // namespace velmora::plugin::compass_widget
