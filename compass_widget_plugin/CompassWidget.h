#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QWidget>

class QPainter;
class QPoint;

namespace velmora::plugin::compass_widget {

// A painted compass: the host's north-up rose picture "compass.png" with a
// red needle turned to the camera heading on top. The picture keeps its
// aspect ratio, as large as the widget allows, centred horizontally and
// aligned to the top. The widget never gets smaller than half the picture's
// shorter side in either direction. A left click on it asks for the view to
// turn north, and its tooltip says so.
class CompassWidget : public QWidget
{
    Q_OBJECT

public:
    // Loads "compass.png" from the host's image directory. A missing or
    // unreadable picture is not reported: the minimum size is then 0 x 0 and
    // only a needle of length 0 is drawn.
    explicit CompassWidget(QWidget* parent = nullptr);
    ~CompassWidget() override;

    // Heading in degrees, clockwise from north (any value; 0 points the needle
    // up). Does not repaint: the caller repaints.
    void setHeading(double degrees);

signals:
    // A left button was pressed and released over the widget.
    void turnToNorthRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The needle around centre (widget pixels): a long arm of length pixels
    // towards the heading and a tail of length / 8 pixels.
    void drawNeedle(QPainter& painter, const QPoint& centre, int length) const;

    QImage image;
    double heading = 0.0;
    // The picture scaled for the current widget size: the widget repaints
    // every frame, and scaling costs far more than drawing.
    QPixmap scaled;
    QSize scaledFor;
};

} // namespace velmora::plugin::compass_widget
