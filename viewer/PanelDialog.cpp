#include "PanelDialog.h"

#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTitleBar>

namespace velmora::viewer {

PanelDialog::PanelDialog(QWidget* content, const QSizeF& panelSize)
    : QGraphicsProxyWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                        Qt::WindowCloseButtonHint | Qt::WindowShadeButtonHint),
      wantedSize(panelSize)
{
    setWidget(content);
    // Rolled up, the dialog is its frame alone; the content's own least height would keep some of it.
    setMinimumHeight(0.0);
}

void PanelDialog::setRolledUp(bool rollUp)
{
    if (rollUp == rolledUp)
        return;
    rolledUp = rollUp;
    // A field rolled out of sight must not keep the keyboard.
    if (rolledUp && widget() && widget()->focusWidget())
        widget()->focusWidget()->clearFocus();
    update();
    emit rolledUpChanged(rolledUp);
}

QStyleOptionTitleBar PanelDialog::titleBarOption() const
{
    // Laid out as QGraphicsWidget lays out the title bar it draws, so the
    // button sits in line with its close button.
    QStyleOptionTitleBar bar;
    initStyleOption(&bar);
    bar.text = windowTitle();
    bar.titleBarFlags = windowFlags();
    // The style offers its roll-down button on a minimized title bar.
    bar.titleBarState = rolledUp ? Qt::WindowMinimized : Qt::WindowNoState;
    bar.rect = QRect(QPoint(), windowFrameRect().size().toSize());
    bar.rect.setHeight(style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar));
    if (!style()->styleHint(QStyle::SH_TitleBar_NoBorder, &bar)) {
        const int frameWidth = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, &bar);
        bar.rect.adjust(frameWidth, frameWidth, -frameWidth, 0);
    }
    bar.subControls = rolledUp ? QStyle::SC_TitleBarUnshadeButton : QStyle::SC_TitleBarShadeButton;
    return bar;
}

QRectF PanelDialog::rollButtonRect() const
{
    const QStyleOptionTitleBar bar = titleBarOption();
    const QRect button = style()->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SubControl(int(bar.subControls)));
    return QRectF(button).translated(windowFrameRect().topLeft());
}

bool PanelDialog::onTitle(const QPointF& pos) const
{
    return windowFrameRect().contains(pos) && pos.y() < 0.0;
}

void PanelDialog::paintWindowFrame(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    // QGraphicsWidget leaves the painter moved to the frame's corner.
    painter->save();
    QGraphicsProxyWidget::paintWindowFrame(painter, option, widget);
    painter->restore();
    // It draws the title and the close button only; the roll button goes beside them, drawn by the style.
    QStyleOptionTitleBar bar = titleBarOption();
    if (buttonHeld) {
        bar.activeSubControls = bar.subControls;
        bar.state |= QStyle::State_Sunken;
    }
    painter->save();
    painter->translate(windowFrameRect().topLeft());
    style()->drawComplexControl(QStyle::CC_TitleBar, &bar, painter, widget);
    painter->restore();
}

bool PanelDialog::event(QEvent* event)
{
    const auto type = event->type();
    if (type != QEvent::GraphicsSceneMousePress && type != QEvent::GraphicsSceneMouseRelease &&
        type != QEvent::GraphicsSceneMouseDoubleClick)
        return QGraphicsProxyWidget::event(event);
    auto* mouse = static_cast<QGraphicsSceneMouseEvent*>(event);
    const bool onButton = rollButtonRect().contains(mouse->pos());
    if (mouse->button() != Qt::LeftButton || (!onButton && !buttonHeld && !onTitle(mouse->pos())))
        return QGraphicsProxyWidget::event(event);
    if (type == QEvent::GraphicsSceneMouseRelease && buttonHeld) {
        // Like any button: it acts when released over it.
        buttonHeld = false;
        update();
        if (onButton)
            setRolledUp(!rolledUp);
        return true;
    }
    if (onButton) {
        buttonHeld = true;
        update();
        event->accept();
        return true;
    }
    if (type == QEvent::GraphicsSceneMouseDoubleClick) {
        setRolledUp(!rolledUp);
        event->accept();
        return true;
    }
    // A press elsewhere on the title starts moving the dialog, which QGraphicsWidget does.
    return QGraphicsProxyWidget::event(event);
}

} // namespace velmora::viewer
