#include "CompassWidget.h"

#include <velmora/utility/CoreConfiguration.h>

#include <QMouseEvent>
#include <QPainter>
#include <QPoint>
#include <QPolygon>

#include <algorithm>

namespace velmora::plugin::compass_widget {

CompassWidget::CompassWidget(QWidget* parent)
    : QWidget(parent)
{
    // The configured image directory ends with its own separator.
    image.load(QString::fromStdString(utility::CoreConfiguration::getImagePath()) + QStringLiteral("compass.png"));
    const int minimum = std::min(image.width(), image.height()) / 2;
    setMinimumWidth(minimum);
    setMinimumHeight(minimum);
    setToolTip(tr("Click to turn the view to face north about its centre (N in the 3D view)"));
    setCursor(Qt::PointingHandCursor);
}

CompassWidget::~CompassWidget() = default;

void CompassWidget::setHeading(double degrees)
{
    heading = degrees;
}

void CompassWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (scaledFor != size()) {
        scaled = image.isNull() ? QPixmap()
                                : QPixmap::fromImage(image.scaled(size(), Qt::KeepAspectRatio, Qt::FastTransformation));
        scaledFor = size();
    }
    painter.drawPixmap(QPointF(width() / 2 - scaled.width() / 2, 0.0), scaled);
    // The needle turns about the middle of the drawn picture.
    drawNeedle(painter, QPoint(width() / 2, scaled.height() / 2), static_cast<int>(scaled.height() / 2.6));
}

void CompassWidget::mousePressEvent(QMouseEvent* event)
{
    // Taken, so the release comes here too.
    event->setAccepted(event->button() == Qt::LeftButton);
}

void CompassWidget::mouseReleaseEvent(QMouseEvent* event)
{
    // Released elsewhere, the press was not a click.
    if (event->button() == Qt::LeftButton && rect().contains(event->pos()))
        emit turnToNorthRequested();
}

void CompassWidget::drawNeedle(QPainter& painter, const QPoint& centre, int length) const
{
    const int tail = length / 8;
    // Qt's y axis points down, so the long arm starts out pointing up, to north on the picture.
    const QPolygon needle({QPoint(tail, 0), QPoint(0, tail), QPoint(-tail, 0), QPoint(0, -length)});
    painter.translate(centre);
    // With y down, a positive angle turns clockwise on screen, as headings do.
    painter.rotate(heading);
    const QColor red(255, 0, 0, 255);
    painter.setBrush(QBrush(red, Qt::SolidPattern));
    painter.setPen(red);
    painter.drawConvexPolygon(needle);
}

} // namespace velmora::plugin::compass_widget
