#include "Overlay/Cards/CardDrawingCache.h"

#include "Models/ContinuousCorners.h"

#include <QPainter>
#include <QPainterPath>

QImage CardDrawingCache::thumbnail(const QString& windowId, const QImage& snapshot,
                                   const ThumbnailLayout& layout)
{
    const auto found = m_thumbnails.constFind(windowId);
    if (found != m_thumbnails.cend() && found->snapshotKey == snapshot.cacheKey() &&
        found->layout == layout)
        return found->image;
    QImage image = renderThumbnail(snapshot, layout);
    m_thumbnails.insert(windowId, Thumbnail{snapshot.cacheKey(), layout, image});
    return image;
}

QImage CardDrawingCache::renderThumbnail(const QImage& snapshot, const ThumbnailLayout& layout)
{
    if (layout.pixels.isEmpty())
        return {};
    QImage result(layout.pixels, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(continuousRoundedRect(layout.well, layout.wellRadius), layout.wellColor);
    if (snapshot.isNull() || layout.snapshot.isEmpty())
        return result;
    // Averaged over every source pixel, so that fine text and lines stay
    // legible where sampling would alias them.
    const QSize size = layout.snapshot.size();
    const QImage scaled = snapshot.size() == size ? snapshot
                                                  : snapshot.scaled(size, Qt::IgnoreAspectRatio,
                                                                    Qt::SmoothTransformation);
    const QPainterPath shape =
        continuousRoundedRect(QRectF(layout.snapshot), layout.snapshotRadius);
    // A brush cuts the corners with antialiased edges, which a clip would not.
    QBrush brush(scaled);
    brush.setTransform(QTransform::fromTranslate(layout.snapshot.x(), layout.snapshot.y()));
    painter.fillPath(shape, brush);
    return result;
}

TextLine CardDrawingCache::line(const QString& text, const QFont& font, double width)
{
    const LineKey key{text, font, width};
    if (const TextLine* found = m_lines.object(key))
        return *found;
    const TextLine laidOut(text, font, width);
    m_lines.insert(key, new TextLine(laidOut));
    return laidOut;
}

qint64 CardDrawingCache::thumbnailBytes() const
{
    qint64 bytes = 0;
    for (const Thumbnail& thumbnail : m_thumbnails)
        bytes += thumbnail.image.sizeInBytes();
    return bytes;
}
