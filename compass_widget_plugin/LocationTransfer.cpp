#include "LocationTransfer.h"

#include "Location.h"
#include "PastedPlace.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QValidator>
#include <QWidget>

#include <cmath>

namespace velmora::plugin::compass_widget {

LocationTransfer::LocationTransfer(QWidget* panel, PanelCalls calls)
    : QObject(panel), panel(panel), calls(std::move(calls))
{
    setObjectName(QStringLiteral("locationTransfer"));
    pasteAction = new QAction(QStringLiteral("Paste location"), this);
    pasteAction->setObjectName(QStringLiteral("pasteLocationAction"));
    pasteAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    // Anywhere in the panel's window, its fields included. The host shows the panel in a dialog of its
    // graphics scene, where Qt matches window shortcuts against the scene's active dialog but never sees
    // the panel's widgets as holding the focus, so a widget-with-children shortcut would never fire.
    pasteAction->setShortcutContext(Qt::WindowShortcut);
    connect(pasteAction, &QAction::triggered, this, [this] { pasteText(QApplication::clipboard()->text()); });
    panel->addAction(pasteAction);

    placeMenu = new QMenu(panel);
    placeMenu->setObjectName(QStringLiteral("locationMenu"));
    placeMenu->addAction(pasteAction);
    QMenu* copyMenu = placeMenu->addMenu(QStringLiteral("Copy location as"));
    for (std::size_t i = 0; i < copyFormatChoices.size(); ++i) {
        const CopyFormatChoice& choice = copyFormatChoices[i];
        QAction* action = new QAction(QString::fromLatin1(choice.menuText), this);
        action->setObjectName(QString::fromLatin1(choice.objectName));
        // Nothing to copy until the panel shows a place.
        action->setEnabled(false);
        connect(action, &QAction::triggered, this, [this, format = choice.format] { copy(format); });
        panel->addAction(action);
        copyMenu->addAction(action);
        copyActions[i] = action;
    }
    // Right-clicks on labels, buttons and frames reach the panel; a field shows its own menu with these below.
    panel->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(panel, &QWidget::customContextMenuRequested, this, &LocationTransfer::showMenu);

    panel->setAcceptDrops(true);
    panel->installEventFilter(this);
    for (QLineEdit* field : panel->findChildren<QLineEdit*>()) {
        if (!field->objectName().startsWith(QLatin1String("qt_")))
            field->installEventFilter(this);
    }
}

void LocationTransfer::setShownPlace(const Location& location)
{
    shownGdc = location.gdc;
    for (QAction* action : copyActions)
        action->setEnabled(true);
}

bool LocationTransfer::pasteText(const QString& text)
{
    const PastedPlace place = readPastedPlace(text);
    if (place.form == PlaceTextForm::None) {
        calls.showProblem(place.note);
        return false;
    }
    // A grid position is shown from its own digits, as an edit of the UTM or
    // MGRS form is: through latitude and longitude a corner such as 590000
    // could come back as 589999.99999 and name the cell to the west. A text
    // without a height keeps the elevation shown, as an edit of a form without
    // one does.
    const double height = std::isnan(place.height) ? shownGdc[2] : place.height;
    if (place.grid.band != '\0')
        return calls.showPlace(locationFromUtm(place.grid, height), place.note);
    return calls.showPlace(locationFromGdc({place.latitude, place.longitude, height}), place.note);
}

bool LocationTransfer::eventFilter(QObject* watched, QEvent* event)
{
    auto* field = qobject_cast<QLineEdit*>(watched);
    switch (event->type()) {
    case QEvent::KeyPress: {
        if (!field || !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste))
            return false;
        const QString text = QApplication::clipboard()->text();
        if (fieldTakes(field, text))
            return false;
        pasteText(text);
        return true;
    }
    case QEvent::ContextMenu: {
        if (!field)
            return false;
        // The field's own menu, then the panel's.
        QMenu* menu = field->createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addSeparator();
        menu->addActions(placeMenu->actions());
        menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return handleDrop(watched, event);
    default:
        return false;
    }
}

bool LocationTransfer::handleDrop(QObject* watched, QEvent* event)
{
    auto* drop = static_cast<QDropEvent*>(event);
    const auto* field = qobject_cast<const QLineEdit*>(watched);
    if (!drop->mimeData()->hasText())
        return false;
    // A field takes its own drags in; the panel takes those dropped around them.
    if (event->type() != QEvent::Drop) {
        if (field)
            return false;
        drop->acceptProposedAction();
        return true;
    }
    const QString text = drop->mimeData()->text();
    if (field && fieldTakes(field, text))
        return false;
    pasteText(text);
    drop->acceptProposedAction();
    return true;
}

bool LocationTransfer::fieldTakes(const QLineEdit* field, const QString& text) const
{
    const QValidator* validator = field->validator();
    // The MGRS field has no validator: it takes any text but another form's whole place.
    if (!validator) {
        const PlaceTextForm form = readPastedPlace(text).form;
        return form == PlaceTextForm::None || form == PlaceTextForm::Mgrs;
    }
    // What an ordinary paste would leave in the field, which the field refuses when its validator does.
    QString result = field->text();
    const int start = field->hasSelectedText() ? field->selectionStart() : field->cursorPosition();
    result.replace(start, field->selectedText().size(), text);
    int position = start + text.size();
    return validator->validate(result, position) != QValidator::Invalid;
}

void LocationTransfer::copy(CopyFormat format) const
{
    const QString text = placeText(format, shownGdc[0], shownGdc[1], shownGdc[2]);
    if (text.isEmpty())
        return;
    auto* data = new QMimeData;
    data->setText(text);
    for (const CopyFormatChoice& choice : copyFormatChoices) {
        if (choice.format == format && choice.mimeType)
            data->setData(QString::fromLatin1(choice.mimeType), text.toUtf8());
    }
    QApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
}

void LocationTransfer::showMenu(const QPoint& position)
{
    placeMenu->popup(panel->mapToGlobal(position));
}

} // namespace velmora::plugin::compass_widget
