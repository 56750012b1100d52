#include "Overlay/Panel/PanelSurface.h"

#include "Models/ContinuousCorners.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

void PanelSurface::paint(QPainter& painter, const QSize& size, const Look& look)
{
    const QTransform transform = painter.deviceTransform();
    // Only a copy onto whole pixels is a plain copy; anything else draws.
    const bool copyable = transform.type() <= QTransform::TxScale && transform.m11() > 0 &&
                          transform.m11() == transform.m22();
    const double ratio = transform.m11();
    const QSize pixels = (QSizeF(size) * ratio).toSize();
    if (!copyable || pixels.isEmpty() || QSizeF(pixels) != QSizeF(size) * ratio) {
        draw(painter, QRectF(QPointF(0, 0), QSizeF(size)), look);
        return;
    }
    if (m_image.size() != pixels || m_size != size || !(m_look == look)) {
        m_image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_image.setDevicePixelRatio(ratio);
        m_image.fill(Qt::transparent);
        QPainter canvas(&m_image);
        draw(canvas, QRectF(QPointF(0, 0), QSizeF(size)), look);
        m_look = look;
        m_size = size;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QPointF(0, 0), m_image);
    painter.restore();
}

void PanelSurface::draw(QPainter& painter, const QRectF& rect, const Look& look)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double radius = look.cornerRadius;
    const QPainterPath shape = continuousRoundedRect(rect, radius);
    painter.fillPath(shape, look.surface);
    if (look.tint.alpha() > 0)
        painter.fillPath(shape, look.tint);
    // A one-point line just inside the outline.
    painter.setPen(QPen(look.border, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(continuousRoundedBorder(rect, radius, 1));
    painter.restore();
}
