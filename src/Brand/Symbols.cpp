#include "Brand/Symbols.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

namespace Symbols {

QString resourcePath(const QString& name)
{
    return QStringLiteral(":/symbols/%1.svg").arg(name);
}

bool exists(const QString& name)
{
    return !name.isEmpty() && QFile::exists(resourcePath(name));
}

namespace {

// The symbol's alpha in the colour asked for: the SVG's own colours only
// shape the coverage.
QImage tinted(QSvgRenderer& renderer, const QSize& pixels, const QColor& color)
{
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), color);
    }
    return image;
}

QRectF fitted(const QSizeF& content, const QRectF& box)
{
    if (content.isEmpty())
        return box;
    const QSizeF size = content.scaled(box.size(), Qt::KeepAspectRatio);
    return QRectF(box.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

} // namespace

bool paint(QPainter& painter, const QRectF& rect, const QString& name, const QColor& color)
{
    if (!exists(name) || rect.isEmpty())
        return false;
    // The device pixels the rectangle covers: the painter's transform carries
    // the device's pixel ratio and any scaling of its own (a scaled preview,
    // a widget rendered into a denser image).
    const QTransform transform = painter.deviceTransform();
    const double ratio = std::max(std::hypot(transform.m11(), transform.m12()),
                                  std::hypot(transform.m21(), transform.m22()));
    // Parsing and drawing a symbol costs more than the rest of a small view's
    // paint, and the same few symbols come back at every repaint.
    const QString key = QStringLiteral("tessel-symbol:%1:%2x%3:%4")
                            .arg(name)
                            .arg(rect.width() * ratio)
                            .arg(rect.height() * ratio)
                            .arg(color.rgba(), 8, 16, QLatin1Char('0'));
    QPixmap drawn;
    if (!QPixmapCache::find(key, &drawn)) {
        QSvgRenderer renderer(resourcePath(name));
        if (!renderer.isValid())
            return false;
        const QSizeF fittedSize = fitted(renderer.viewBoxF().size(), rect).size();
        const QSize pixels = (fittedSize * ratio).toSize().expandedTo(QSize(1, 1));
        drawn = QPixmap::fromImage(tinted(renderer, pixels, color));
        QPixmapCache::insert(key, drawn);
    }
    const QSizeF size = QSizeF(drawn.size()) / ratio;
    const QRectF target(rect.center() - QPointF(size.width() / 2, size.height() / 2), size);
    painter.drawPixmap(target, drawn, QRectF(drawn.rect()));
    return true;
}

QPixmap pixmap(const QString& name, double side, const QColor& color, double devicePixelRatio)
{
    if (!exists(name) || side <= 0)
        return {};
    const QSize pixels = QSizeF(side * devicePixelRatio, side * devicePixelRatio).toSize();
    QPixmap result(pixels.expandedTo(QSize(1, 1)));
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    paint(painter, QRectF(0, 0, side, side), name, color);
    return result;
}

} // namespace Symbols
