#pragma once

#include <QObject>
#include <QPointer>

class QAbstractButton;
class QGraphicsRectItem;
class QGraphicsScene;
class QGraphicsView;
class QWidget;

namespace velmora::plugin::compass_widget {

// The one-shot terrain pick behind the "Pick Location" button. The pick is
// armed exactly while the button is disabled. While armed, the host's 3D view
// shows a cross-hair cursor over the terrain (dialogs keep their own cursors),
// and Escape pressed in that view or in the panel cancels the pick. GUI
// thread only.
class TerrainPick : public QObject
{
    Q_OBJECT

public:
    // The pick lives as a child of pickButton, so it never outlives it;
    // panel is the widget whose keys may cancel the pick. Gives the button a
    // tooltip that tells how to pick and how to cancel.
    TerrainPick(QAbstractButton* pickButton, QWidget* panel);
    // Takes the cross-hair out of the 3D view if a pick is still armed.
    ~TerrainPick() override;

    bool isArmed() const;
    // Disables the button, shows the cross-hair over the host's 3D view (when
    // the host has one) and listens for Escape. Does nothing when armed.
    void arm();
    // Ends the pick, completed or cancelled: enables the button, takes the
    // cross-hair away and stops listening. Does nothing when not armed.
    void disarm();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showCrossHair(QGraphicsScene* scene);
    void removeCrossHair();
    void listen(bool on);

    QAbstractButton* button;
    QWidget* panel;
    // The host's 3D view and its scene as they were when the pick was armed;
    // the host may delete either first.
    QPointer<QGraphicsView> view;
    QPointer<QGraphicsScene> crossHairScene;
    // Owned by crossHairScene while that lives.
    QGraphicsRectItem* crossHair = nullptr;
};

} // namespace velmora::plugin::compass_widget
