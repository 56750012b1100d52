#include "Overlay/Cards/WindowCard.h"

#include "Brand/Symbols.h"
#include "Brand/TesselBrand.h"
#include "Brand/TesselTile.h"
#include "Brand/Typography.h"
#include "Models/ContinuousCorners.h"
#include "Overlay/Cards/CardDrawingCache.h"
#include "Overlay/Cards/WindowCardRules.h"
#include "Overlay/Drawing/RoundedFill.h"
#include "Overlay/OverlayMetrics.h"
#include "Overlay/Panel/VisualEffectBackground.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

using namespace OverlayMetrics;

namespace {

constexpr double cardRadius = 14;
constexpr double wellRadius = 10;
constexpr double snapshotRadius = 8;
constexpr double pillInset = 6;
constexpr double pillPaddingX = 7;
constexpr double pillPaddingY = 3;

QFont titleFont()
{
    return Typography::font(TextStyle::callout, QFont::Medium);
}
QFont locationFont()
{
    return Typography::font(TextStyle::caption);
}

// One line of text, elided to the width and centred in the rectangle.
void drawLine(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
              const QColor& color, CardDrawingCache* cache)
{
    const TextLine line =
        cache ? cache->line(text, font, rect.width()) : TextLine(text, font, rect.width());
    painter.setPen(color);
    line.drawCentred(painter, rect.center());
}

struct PillStyle {
    QFont font;
    QColor text;
    QColor fill;
};

PillStyle pillStyle(const WindowCardRules::Pill& pill, const WindowCardContent& content,
                    const ColorScheme& scheme)
{
    using WindowCardRules::PillKind;
    switch (pill.kind) {
    case PillKind::profile: {
        const QColor& fill = content.profileColor;
        return {Typography::font(TextStyle::caption2, QFont::DemiBold), Qt::white,
                TesselBrand::withOpacity(fill, fill.alphaF() * 0.92f)};
    }
    case PillKind::app: {
        const QColor fill = content.window.browser.badgeColor();
        return {Typography::font(TextStyle::caption2, QFont::DemiBold), Qt::white,
                TesselBrand::withOpacity(fill, fill.alphaF() * 0.92f)};
    }
    case PillKind::minimized:
        break;
    }
    return {Typography::font(TextStyle::caption2, QFont::Medium), scheme.primary,
            VisualEffectBackground::fill(VisualEffectMaterial::thin, scheme)};
}

// The pill's capsule in the given corner of the thumbnail, no wider than
// maxWidth, and the text it holds.
void drawPill(QPainter& painter, const WindowCardRules::Pill& pill, const PillStyle& style,
              const QRectF& thumbnail, Qt::Corner corner, double maxWidth, CardDrawingCache* cache)
{
    const double textWidth = maxWidth - 2 * pillPaddingX;
    const TextLine text = cache ? cache->line(pill.text, style.font, textWidth)
                                : TextLine(pill.text, style.font, textWidth);
    const QSizeF size(std::min(text.size().width() + 2 * pillPaddingX, maxWidth),
                      QFontMetricsF(style.font).height() + 2 * pillPaddingY);
    const QRectF inner = thumbnail.adjusted(pillInset, pillInset, -pillInset, -pillInset);
    QPointF origin = inner.topLeft();
    if (corner == Qt::TopRightCorner || corner == Qt::BottomRightCorner)
        origin.setX(inner.right() - size.width());
    if (corner == Qt::BottomRightCorner || corner == Qt::BottomLeftCorner)
        origin.setY(inner.bottom() - size.height());
    const QRectF capsule(origin, size);
    RoundedFill::paint(painter, capsule, size.height() / 2, style.fill);
    painter.setPen(style.text);
    text.drawCentred(painter, capsule.center());
}

void drawPills(QPainter& painter, const WindowCardContent& content, const ColorScheme& scheme,
               const QRectF& thumbnail, CardDrawingCache* cache)
{
    using WindowCardRules::PillKind;
    const QList<WindowCardRules::Pill> pills =
        WindowCardRules::pills(content.window, content.showProfileBadge, content.showBrowserBadge);
    const double fullWidth = thumbnail.width() - 2 * pillInset;
    int topPills = 0;
    for (const auto& pill : pills)
        topPills += pill.kind != PillKind::minimized ? 1 : 0;
    // Two pills share the top edge: each keeps to its half.
    const double topWidth = topPills > 1 ? (fullWidth - pillInset) / 2 : fullWidth;
    for (const auto& pill : pills) {
        const Qt::Corner corner = pill.kind == PillKind::profile ? Qt::TopLeftCorner
                                  : pill.kind == PillKind::app   ? Qt::TopRightCorner
                                                                 : Qt::BottomRightCorner;
        drawPill(painter, pill, pillStyle(pill, content, scheme), thumbnail, corner,
                 pill.kind == PillKind::minimized ? fullWidth : topWidth, cache);
    }
}

void drawMonogram(QPainter& painter, const WindowCardContent& content, const QRectF& tile,
                  CardDrawingCache* cache)
{
    const QString name = WindowCardRules::monogramName(content.window);
    const QColor color = TesselTile::color(name);
    QLinearGradient gradient(tile.topLeft(), tile.bottomRight());
    gradient.setColorAt(0, TesselBrand::withOpacity(color, 0.9));
    gradient.setColorAt(1, TesselBrand::withOpacity(color, 0.55));
    painter.fillPath(continuousRoundedRect(tile, wellRadius), gradient);

    const QString letter = WindowCardRules::monogramLetter(name);
    const bool symbol = WindowCardRules::monogramShowsSymbol(letter);
    const QFont letterFont =
        Typography::font(WindowCardRules::monogramLetterSize(content.thumbWidth), QFont::DemiBold,
                         FontDesign::rounded);
    const QSizeF glyphBox =
        symbol ? QSizeF(40, 34) : QSizeF(tile.width() - 16, QFontMetricsF(letterFont).height());
    const std::optional<QString> domain = content.window.domain();
    const double domainHeight = QFontMetricsF(locationFont()).height();
    const double stackHeight = glyphBox.height() + (domain ? 4 + domainHeight : 0);
    const double top = tile.center().y() - stackHeight / 2;
    const QRectF glyphRect(tile.center().x() - glyphBox.width() / 2, top, glyphBox.width(),
                           glyphBox.height());
    if (symbol)
        Symbols::paint(painter, glyphRect, QStringLiteral("macwindow"),
                       TesselBrand::withOpacity(Qt::white, 0.9));
    else
        drawLine(painter, glyphRect, letter, letterFont, TesselBrand::withOpacity(Qt::white, 0.95),
                 cache);
    if (domain) {
        const double width = std::min(tile.width() - 8, content.thumbWidth - 40);
        drawLine(painter,
                 QRectF(tile.center().x() - width / 2, glyphRect.bottom() + 4, width, domainHeight),
                 *domain, locationFont(), TesselBrand::withOpacity(Qt::white, 0.75), cache);
    }
}

// The thumbnail's parts in device pixels: the well where the card puts it,
// the snapshot letter-boxed in it on whole pixels, inside an image of whole
// pixels. A rotated or sheared painter gets the same parts at its scale.
struct PlacedThumbnail {
    QRectF target; // where the image goes, in the painter's points
    CardDrawingCache::ThumbnailLayout layout;
};

PlacedThumbnail placeThumbnail(const QPainter& painter, const WindowCardContent& content,
                               const QRectF& thumbnail, const QColor& wellColor)
{
    const QTransform transform = painter.deviceTransform();
    const bool upright = transform.type() <= QTransform::TxScale;
    const double scale =
        upright ? std::abs(transform.m11()) : std::hypot(transform.m11(), transform.m12());
    const QTransform toDevice = upright ? transform : QTransform::fromScale(scale, scale);
    // Worked out from the well's corner alone, so that the same card lays
    // its thumbnail out alike wherever it is scrolled to: only the part of a
    // pixel the corner falls on counts, rounded to 1/64 of a pixel.
    const QPointF corner = toDevice.map(thumbnail.topLeft());
    const QPoint origin(int(std::floor(corner.x())), int(std::floor(corner.y())));
    const QPointF offset(std::round((corner.x() - origin.x()) * 64) / 64,
                         std::round((corner.y() - origin.y()) * 64) / 64);
    const QRectF well(offset, thumbnail.size() * scale);
    const QRectF fitted = WindowCardRules::snapshotRect(QSizeF(content.image.size()), thumbnail);
    const QRectF snapshot((fitted.topLeft() - thumbnail.topLeft()) * scale + offset,
                          fitted.size() * scale);
    const double left = std::round(snapshot.left());
    const double top = std::round(snapshot.top());
    const QRect snapshotPixels(int(left), int(top),
                               std::max(1, int(std::round(snapshot.right()) - left)),
                               std::max(1, int(std::round(snapshot.bottom()) - top)));
    const QSize pixels(int(std::ceil(well.right())), int(std::ceil(well.bottom())));

    PlacedThumbnail placed;
    placed.target = upright ? toDevice.inverted().mapRect(QRectF(origin, QSizeF(pixels)))
                            : QRectF(thumbnail.topLeft(), QSizeF(pixels) / scale);
    placed.layout.pixels = pixels;
    placed.layout.well = well;
    placed.layout.snapshot = snapshotPixels;
    placed.layout.wellRadius = wellRadius * scale;
    placed.layout.snapshotRadius = snapshotRadius * scale;
    placed.layout.wellColor = wellColor;
    return placed;
}

void drawSnapshot(QPainter& painter, const WindowCardContent& content, const QRectF& thumbnail,
                  const QColor& wellColor, CardDrawingCache* cache)
{
    const PlacedThumbnail placed = placeThumbnail(painter, content, thumbnail, wellColor);
    const QImage image = cache ? cache->thumbnail(content.window.id(), content.image, placed.layout)
                               : CardDrawingCache::renderThumbnail(content.image, placed.layout);
    // Pixel for pixel: nothing to smooth, and the plain copy is the fast one.
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(placed.target, image);
    painter.restore();
}

} // namespace

namespace WindowCard {

QSizeF cardSize(double thumbWidth)
{
    const double caption = QFontMetricsF(titleFont()).height() + captionLineSpacing +
                           QFontMetricsF(locationFont()).height();
    return {cellWidth(thumbWidth),
            2 * cardPadding + thumbnailHeight(thumbWidth) + captionGap + caption};
}

QRectF thumbnailRect(double thumbWidth)
{
    return {QPointF(cardPadding, cardPadding), WindowCardRules::thumbnailSize(thumbWidth)};
}

void paint(QPainter& painter, const WindowCardContent& content, const ColorScheme& scheme,
           CardDrawingCache* cache)
{
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QSizeF size = cardSize(content.thumbWidth);
    const QRectF card(QPointF(0, 0), size);
    // Whatever a title is made of, nothing leaves the card: a cluster of
    // thousands of combining marks stacks far above its line.
    painter.setClipRect(card, Qt::IntersectClip);
    if (content.isSelected)
        RoundedFill::paint(painter, card, cardRadius,
                           content.isTesselTheme ? TesselBrand::hoverFill()
                                                 : scheme.primaryAt(0.16));

    const QRectF thumbnail = thumbnailRect(content.thumbWidth);
    const QColor wellColor = scheme.primaryAt(0.06);
    if (!content.image.isNull()) {
        drawSnapshot(painter, content, thumbnail, wellColor, cache);
    } else {
        painter.fillPath(continuousRoundedRect(thumbnail, wellRadius), wellColor);
        drawMonogram(
            painter, content,
            thumbnail.adjusted(thumbnailInset, thumbnailInset, -thumbnailInset, -thumbnailInset),
            cache);
    }
    drawPills(painter, content, scheme, thumbnail, cache);

    const QColor titleColor = content.isTesselTheme ? TesselBrand::ink() : scheme.primary;
    const QColor locationColor = content.isTesselTheme
                                     ? TesselBrand::withOpacity(TesselBrand::ink(), 0.55)
                                     : scheme.secondary;
    const double titleHeight = QFontMetricsF(titleFont()).height();
    const QRectF titleRect(thumbnail.left(), thumbnail.bottom() + captionGap, thumbnail.width(),
                           titleHeight);
    drawLine(painter, titleRect,
             WindowCardRules::displayTitle(content.window, content.showProfileBadge), titleFont(),
             titleColor, cache);
    const QRectF locationRect(thumbnail.left(), titleRect.bottom() + captionLineSpacing,
                              thumbnail.width(), QFontMetricsF(locationFont()).height());
    drawLine(painter, locationRect, content.window.domain().value_or(QStringLiteral(" ")),
             locationFont(), locationColor, cache);

    if (content.isSelected && content.isTesselTheme) {
        painter.setPen(QPen(TesselBrand::withOpacity(TesselBrand::forest(), 0.9), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(continuousRoundedBorder(card, cardRadius, 2));
    }
    painter.restore();
}

} // namespace WindowCard
