#include "StatusBarFit.h"

#include <QChildEvent>
#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QTextDocument>

namespace velmora::viewer {

namespace {
// A readout keeps room for this many characters, enough for "…Heading (deg): 359.99".
constexpr int readoutMinimumCharacters = 24;
} // namespace

StatusBarFit::StatusBarFit(QStatusBar* statusBar, QLabel* terrainLabel)
    : QObject(statusBar), statusBar(statusBar), terrainLabel(terrainLabel)
{
    // The name's own width is ignored, so it gets only the room left over; the title names the terrain too.
    terrainLabel->setSizePolicy(QSizePolicy::Ignored, terrainLabel->sizePolicy().verticalPolicy());
    terrainLabel->installEventFilter(this);
    // Labels are polished before they are first shown, when they are whole: a label made
    // with the status bar as its parent is not one yet when it is added.
    statusBar->installEventFilter(this);
}

bool StatusBarFit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == statusBar) {
        if (event->type() == QEvent::ChildPolished)
            if (auto* label = qobject_cast<QLabel*>(static_cast<QChildEvent*>(event)->child());
                label && label != terrainLabel)
                adoptReadout(label);
        return false;
    }
    if (event->type() == QEvent::Paint)
        if (auto* label = qobject_cast<QLabel*>(watched))
            return paintElided(label);
    return false;
}

void StatusBarFit::adoptReadout(QLabel* label)
{
    // A label polished again (a style change) is adopted again, which changes nothing.
    label->setMinimumWidth(label->fontMetrics().averageCharWidth() * readoutMinimumCharacters);
    // The end stays put at the right edge, whole or elided, as the room changes.
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->installEventFilter(this);
}

bool StatusBarFit::paintElided(QLabel* label) const
{
    const QRect area = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                      -label->margin());
    const QString text = label->text();
    if (label->frameShape() != QFrame::NoFrame || label->indent() > 0 || Qt::mightBeRichText(text) ||
        label->fontMetrics().horizontalAdvance(text) <= area.width())
        return false;
    const Qt::TextElideMode mode = label == terrainLabel ? Qt::ElideRight : Qt::ElideLeft;
    QPainter painter(label);
    const int alignment = int(QStyle::visualAlignment(label->layoutDirection(), label->alignment()));
    label->style()->drawItemText(&painter, area, alignment, label->palette(), label->isEnabled(),
                                 label->fontMetrics().elidedText(text, mode, area.width()), label->foregroundRole());
    return true;
}

} // namespace velmora::viewer
