#pragma once

#include <QPointF>
#include <QRectF>

// Between the host's bottom-left-origin points (y up, the primary screen's
// bottom-left corner at (0, 0)) and Qt's top-left-origin coordinates (y down),
// given the primary screen's geometry in Qt's coordinates.
namespace ScreenCoordinates {

QRectF toBottomLeft(const QRectF& rect, const QRectF& primary);
QPointF toBottomLeft(const QPointF& point, const QRectF& primary);
QRectF toTopLeft(const QRectF& rect, const QRectF& primary);

} // namespace ScreenCoordinates
