#include "Platform/ScreenCoordinates.h"

namespace ScreenCoordinates {

QRectF toBottomLeft(const QRectF& rect, const QRectF& primary)
{
    return QRectF(rect.x() - primary.x(), primary.y() + primary.height() - rect.y() - rect.height(),
                  rect.width(), rect.height());
}

QPointF toBottomLeft(const QPointF& point, const QRectF& primary)
{
    return QPointF(point.x() - primary.x(), primary.y() + primary.height() - point.y());
}

QRectF toTopLeft(const QRectF& rect, const QRectF& primary)
{
    return QRectF(rect.x() + primary.x(), primary.y() + primary.height() - rect.y() - rect.height(),
                  rect.width(), rect.height());
}

} // namespace ScreenCoordinates
