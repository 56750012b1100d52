#include "Overlay/WindowCard.h"

#include "Brand/Symbols.h"
#include "Brand/TesselBrand.h"
#include "Brand/TesselTile.h"
#include "Brand/Typography.h"
#include "Overlay/VisualEffectBackground.h"
#include "Overlay/WindowCardRules.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

constexpr double cardPadding = 10;
constexpr double captionGap = 6;
constexpr double captionLineSpacing = 1;
constexpr double cardRadius = 14;
constexpr double wellRadius = 10;
constexpr double snapshotRadius = 8;
constexpr double tileInset = 4;
constexpr double pillInset = 6;

QFont titleFont()
{
    return Typography::font(TextStyle::callout, QFont::Medium);
}
QFont locationFont()
{
    return Typography::font(TextStyle::caption);
}

QColor white(double opacity)
{
    return QColor::fromRgbF(1, 1, 1, float(opacity));
}

QPainterPath roundedRect(const QRectF& rect, double radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// One line of text, elided to the width and centred in the rectangle.
void drawLine(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
              const QColor& color)
{
    const QFontMetricsF metrics(font);
    const QString line =
        metrics.elidedText(WindowCardRules::singleLine(text), Qt::ElideRight, rect.width());
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, line);
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
        QColor fill = content.profileColor;
        fill.setAlphaF(fill.alphaF() * 0.92f);
        return {Typography::font(TextStyle::caption2, QFont::DemiBold), white(1), fill};
    }
    case PillKind::app: {
        QColor fill = content.window.browser.badgeColor();
        fill.setAlphaF(0.92f);
        return {Typography::font(TextStyle::caption2, QFont::DemiBold), white(1), fill};
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
              const QRectF& thumbnail, Qt::Corner corner, double maxWidth)
{
    const QFontMetricsF metrics(style.font);
    const QString text =
        metrics.elidedText(WindowCardRules::singleLine(pill.text), Qt::ElideRight, maxWidth - 14);
    const QSizeF size(std::min(metrics.horizontalAdvance(text) + 14, maxWidth),
                      metrics.height() + 6);
    const QRectF inner = thumbnail.adjusted(pillInset, pillInset, -pillInset, -pillInset);
    QPointF origin = inner.topLeft();
    if (corner == Qt::TopRightCorner || corner == Qt::BottomRightCorner)
        origin.setX(inner.right() - size.width());
    if (corner == Qt::BottomRightCorner || corner == Qt::BottomLeftCorner)
        origin.setY(inner.bottom() - size.height());
    const QRectF capsule(origin, size);
    painter.fillPath(roundedRect(capsule, size.height() / 2), style.fill);
    painter.setFont(style.font);
    painter.setPen(style.text);
    painter.drawText(capsule, Qt::AlignCenter | Qt::TextSingleLine, text);
}

void drawPills(QPainter& painter, const WindowCardContent& content, const ColorScheme& scheme,
               const QRectF& thumbnail)
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
                 pill.kind == PillKind::minimized ? fullWidth : topWidth);
    }
}

void drawMonogram(QPainter& painter, const WindowCardContent& content, const QRectF& tile)
{
    const QString name = WindowCardRules::monogramName(content.window);
    const QColor color = TesselTile::color(name);
    QLinearGradient gradient(tile.topLeft(), tile.bottomRight());
    QColor from = color, to = color;
    from.setAlphaF(0.9f);
    to.setAlphaF(0.55f);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    painter.fillPath(roundedRect(tile, wellRadius), gradient);

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
        Symbols::paint(painter, glyphRect, QStringLiteral("macwindow"), white(0.9));
    else
        drawLine(painter, glyphRect, letter, letterFont, white(0.95));
    if (domain) {
        const double width = std::min(tile.width() - 8, content.thumbWidth - 40);
        drawLine(painter,
                 QRectF(tile.center().x() - width / 2, glyphRect.bottom() + 4, width, domainHeight),
                 *domain, locationFont(), white(0.75));
    }
}

} // namespace

WindowCard::WindowCard(WindowCardContent content, ColorScheme scheme, QWidget* parent)
    : QWidget(parent), m_content(std::move(content)), m_scheme(std::move(scheme))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(sizeHint());
}

void WindowCard::setContent(WindowCardContent content)
{
    m_content = std::move(content);
    m_scaled = {};
    m_scaledKey = 0;
    setFixedSize(sizeHint());
    update();
}

void WindowCard::setScheme(const ColorScheme& scheme)
{
    m_scheme = scheme;
    update();
}

QSize WindowCard::sizeHint() const
{
    const QSizeF size = cardSize(m_content.thumbWidth);
    return {int(std::ceil(size.width())), int(std::ceil(size.height()))};
}

QSizeF WindowCard::cardSize(double thumbWidth)
{
    const double caption = QFontMetricsF(titleFont()).height() + captionLineSpacing +
                           QFontMetricsF(locationFont()).height();
    return {thumbWidth + 2 * cardPadding, 2 * cardPadding +
                                              WindowCardRules::thumbnailSize(thumbWidth).height() +
                                              captionGap + caption};
}

QRectF WindowCard::thumbnailRect(double thumbWidth)
{
    return {QPointF(cardPadding, cardPadding), WindowCardRules::thumbnailSize(thumbWidth)};
}

QImage WindowCard::scaledSnapshot(const QImage& image, double thumbWidth, double devicePixelRatio)
{
    const QSizeF target =
        WindowCardRules::snapshotRect(image.size(), thumbnailRect(thumbWidth)).size() *
        devicePixelRatio;
    if (target.isEmpty() || (image.width() <= target.width() && image.height() <= target.height()))
        return image;
    return image.scaled(target.toSize().expandedTo(QSize(1, 1)), Qt::IgnoreAspectRatio,
                        Qt::SmoothTransformation);
}

void WindowCard::paint(QPainter& painter, const WindowCardContent& content,
                       const ColorScheme& scheme)
{
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    const QSizeF size = cardSize(content.thumbWidth);
    const QRectF card(QPointF(0, 0), size);
    const QPainterPath cardShape = roundedRect(card, cardRadius);
    if (content.isSelected)
        painter.fillPath(cardShape,
                         content.isTesselTheme ? TesselBrand::hoverFill() : scheme.primaryAt(0.16));

    const QRectF thumbnail = thumbnailRect(content.thumbWidth);
    painter.fillPath(roundedRect(thumbnail, wellRadius), scheme.primaryAt(0.06));
    if (!content.image.isNull()) {
        const QRectF target = WindowCardRules::snapshotRect(content.image.size(), thumbnail);
        painter.save();
        painter.setClipPath(roundedRect(target, snapshotRadius), Qt::IntersectClip);
        painter.drawImage(target, content.image);
        painter.restore();
    } else {
        drawMonogram(painter, content,
                     thumbnail.adjusted(tileInset, tileInset, -tileInset, -tileInset));
    }
    drawPills(painter, content, scheme, thumbnail);

    const QColor titleColor = content.isTesselTheme ? TesselBrand::ink() : scheme.primary;
    QColor locationColor = scheme.secondary;
    if (content.isTesselTheme) {
        locationColor = TesselBrand::ink();
        locationColor.setAlphaF(0.55f);
    }
    const double titleHeight = QFontMetricsF(titleFont()).height();
    const QRectF titleRect(thumbnail.left(), thumbnail.bottom() + captionGap, thumbnail.width(),
                           titleHeight);
    drawLine(painter, titleRect,
             WindowCardRules::displayTitle(content.window, content.showProfileBadge), titleFont(),
             titleColor);
    const QRectF locationRect(thumbnail.left(), titleRect.bottom() + captionLineSpacing,
                              thumbnail.width(), QFontMetricsF(locationFont()).height());
    drawLine(painter, locationRect, content.window.domain().value_or(QStringLiteral(" ")),
             locationFont(), locationColor);

    if (content.isSelected && content.isTesselTheme) {
        QColor border = TesselBrand::forest();
        border.setAlphaF(0.9f);
        // Stroked inside the card: the pen's centre runs one point in.
        painter.setPen(QPen(border, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(card.adjusted(1, 1, -1, -1), cardRadius - 1, cardRadius - 1);
    }
    painter.restore();
}

void WindowCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    WindowCardContent shown = m_content;
    if (!shown.image.isNull()) {
        if (m_scaledKey != shown.image.cacheKey() || m_scaled.isNull()) {
            m_scaled = scaledSnapshot(shown.image, shown.thumbWidth, devicePixelRatioF());
            m_scaledKey = shown.image.cacheKey();
        }
        shown.image = m_scaled;
    }
    paint(painter, shown, m_scheme);
}

void WindowCard::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    emit entered();
}

void WindowCard::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void WindowCard::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}
