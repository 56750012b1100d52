#include "Overlay/Drawing/RoundedFill.h"

#include "Models/ContinuousCorners.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

#include <cmath>

namespace RoundedFill {

namespace {

// Eighths of a pixel: finer than antialiasing can show.
double quantized(double value)
{
    return std::round(value * 8) / 8;
}

} // namespace

void paint(QPainter& painter, const QRectF& rect, double radius, const QColor& color)
{
    if (rect.isEmpty() || color.alpha() == 0)
        return;
    const QTransform transform = painter.deviceTransform();
    // Only an upright, unmirrored scale copies onto whole pixels.
    if (transform.type() > QTransform::TxScale || transform.m11() <= 0 || transform.m22() <= 0 ||
        transform.m11() != transform.m22()) {
        painter.fillPath(continuousRoundedRect(rect, radius), color);
        return;
    }
    const double scale = transform.m11();
    const QRectF device = transform.mapRect(rect);
    const QPoint origin(int(std::floor(device.x())), int(std::floor(device.y())));
    // Where the shape falls inside its first pixel, and its size, both in
    // device pixels: the same shape at the same sub-pixel place draws alike.
    const QRectF local(quantized(device.x() - origin.x()), quantized(device.y() - origin.y()),
                       quantized(device.width()), quantized(device.height()));
    const double deviceRadius = quantized(radius * scale);
    const QString key = QStringLiteral("tessel-rounded:%1,%2,%3x%4:%5:%6")
                            .arg(local.x())
                            .arg(local.y())
                            .arg(local.width())
                            .arg(local.height())
                            .arg(deviceRadius)
                            .arg(color.rgba(), 8, 16, QLatin1Char('0'));
    QPixmap drawn;
    if (!QPixmapCache::find(key, &drawn)) {
        QImage image(int(std::ceil(local.right())), int(std::ceil(local.bottom())),
                     QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter canvas(&image);
            canvas.setRenderHint(QPainter::Antialiasing);
            canvas.fillPath(continuousRoundedRect(local, deviceRadius), color);
        }
        drawn = QPixmap::fromImage(std::move(image));
        QPixmapCache::insert(key, drawn);
    }
    const QRectF target =
        transform.inverted().mapRect(QRectF(QPointF(origin), QSizeF(drawn.size())));
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawPixmap(target, drawn, QRectF(drawn.rect()));
    painter.restore();
}

} // namespace RoundedFill
