#pragma once

#include <QGraphicsProxyWidget>
#include <QSizeF>

class QStyleOptionTitleBar;

namespace velmora::viewer {

// A plugin's panel as a dialog floating over the 3D view: a window item of
// the graphics scene with a title bar, whose roll-up button (beside the close
// button) or a double-click on the title rolls the dialog up to its title bar,
// freeing the view under it, and back down again. Rolled up, the panel keeps
// everything in it; only its shown height is none.
class PanelDialog : public QGraphicsProxyWidget
{
    Q_OBJECT

public:
    // content: the widget the dialog shows; panelSize: the size it wants to be shown at.
    PanelDialog(QWidget* content, const QSizeF& panelSize);

    QSizeF panelSize() const { return wantedSize; }
    bool isRolledUp() const { return rolledUp; }
    // Rolls the dialog up to its title bar or back; rolledUpChanged tells the view to give it its new size.
    void setRolledUp(bool rollUp);
    // The roll-up (or roll-down) button, in the dialog's own coordinates.
    QRectF rollButtonRect() const;

signals:
    void rolledUpChanged(bool rolledUp);

protected:
    void paintWindowFrame(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    // Presses on the title bar reach a window item here, where QGraphicsWidget handles its frame.
    bool event(QEvent* event) override;

private:
    // The title bar as the window frame draws it, in frame coordinates (origin at the frame's top left).
    QStyleOptionTitleBar titleBarOption() const;
    bool onTitle(const QPointF& pos) const;

    QSizeF wantedSize;
    bool rolledUp = false;
    bool buttonHeld = false;
};

} // namespace velmora::viewer
