#include "Settings/Preview/PreviewMiniature.h"

#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"
#include "Models/ContinuousCorners.h"
#include "Overlay/Cards/WindowCard.h"
#include "Overlay/OverlayMetrics.h"
#include "Overlay/OverlayRules.h"
#include "Overlay/Panel/VisualEffectBackground.h"
#include "Platform/Screens.h"
#include "Services/PreferencesService.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

using namespace OverlayMetrics;

namespace {

constexpr double fallbackDotSide = 18;
constexpr double markOpacity = 0.55;

} // namespace

PreviewMiniature::PreviewMiniature(PreferencesService& preferences, BrowserIconCache& icons,
                                   const Screens& screens, int hover, QWidget* parent)
    : QWidget(parent), m_preferences(preferences), m_icons(icons), m_screens(screens),
      m_hover(hover)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    rebuild();
    // The miniature follows every setting it draws.
    using PS = PreferencesService;
    for (auto changed :
         {&PS::cardWidthChanged, &PS::windowSpacingChanged, &PS::containerPaddingChanged,
          &PS::cornerRadiusChanged, &PS::tintOpacityChanged})
        connect(&preferences, changed, this, &PreviewMiniature::rebuild);
    connect(&preferences, &PS::panelPositionChanged, this, &PreviewMiniature::rebuild);
    connect(&preferences, &PS::layoutModeChanged, this, &PreviewMiniature::rebuild);
    connect(&preferences, &PS::appearanceModeChanged, this, &PreviewMiniature::rebuild);
    connect(&preferences, &PS::surfaceStyleChanged, this, &PreviewMiniature::rebuild);
    connect(&preferences, &PS::glassTintChanged, this, &PreviewMiniature::rebuild);
    connect(&preferences, &PS::enabledBrowsersChanged, this, &PreviewMiniature::rebuild);
}

PreviewMiniature::~PreviewMiniature() = default;

ColorScheme PreviewMiniature::scheme() const
{
    return ColorScheme::forAppearance(m_preferences.appearanceMode());
}

void PreviewMiniature::rebuild()
{
    m_browsers = LivePreviewModel::previewBrowsers(m_preferences.enabledBrowsersOrdered());
    m_windows = LivePreviewModel::previewWindows(m_browsers);
    std::optional<QSizeF> screen;
    if (const std::optional<ScreenInfo> main = m_screens.mainScreen())
        screen = main->visibleFrame.size();
    m_geometry = LivePreviewModel::geometry(
        {m_preferences.cardWidth(), m_preferences.windowSpacing(), m_preferences.containerPadding(),
         m_preferences.panelPosition(), m_preferences.layoutMode(), screen},
        int(m_browsers.size()));
    setFixedSize(sizeHint());
    update();
}

QSize PreviewMiniature::sizeHint() const
{
    // A panel too large for finite arithmetic (a card width near the largest
    // double, edited into the settings file) frames at no size at all.
    const auto points = [](double length) {
        return std::isfinite(length) ? int(std::ceil(length)) : 0;
    };
    const QSizeF framed = m_geometry.framedSize();
    return {points(framed.width()), points(framed.height())};
}

void PreviewMiniature::setHover(int index)
{
    if (index == m_hover)
        return;
    m_hover = index;
    update();
}

QRectF PreviewMiniature::unscaledCardRect(int index) const
{
    const LivePreviewModel::Geometry& g = m_geometry;
    const double p = m_preferences.containerPadding();
    const double s = m_preferences.windowSpacing();
    const int row = index / g.cols;
    const int column = index % g.cols;
    return {p + column * (g.cellWidth + s), g.chipHeight + p + row * (g.rowHeight + s), g.cellWidth,
            g.rowHeight};
}

QRectF PreviewMiniature::cardRect(int index) const
{
    const QRectF unscaled = unscaledCardRect(index);
    return {unscaled.topLeft() * m_geometry.scale, unscaled.size() * m_geometry.scale};
}

// Entering a card selects it; leaving changes nothing, so the last card
// hovered stays selected.
void PreviewMiniature::mouseMoveEvent(QMouseEvent* event)
{
    for (int i = 0; i < m_windows.size(); ++i) {
        if (cardRect(i).contains(event->position())) {
            if (i != m_hover) {
                setHover(i);
                emit hovered(i);
            }
            return;
        }
    }
}

void PreviewMiniature::paintSurface(QPainter& painter, const QPainterPath& shape,
                                    const ColorScheme& scheme) const
{
    const AppearanceMode mode = m_preferences.appearanceMode();
    if (mode == AppearanceMode::tessel) {
        painter.fillPath(shape, TesselBrand::cream());
        return;
    }
    switch (m_preferences.surfaceStyle()) {
    case SurfaceStyle::frosted:
        VisualEffectBackground::paint(painter, shape, VisualEffectMaterial::popover, scheme);
        break;
    case SurfaceStyle::nativeHUD:
        VisualEffectBackground::paint(painter, shape, VisualEffectMaterial::hudWindow, scheme);
        break;
    case SurfaceStyle::solid:
        painter.fillPath(shape, scheme.windowBackground);
        break;
    }
    if (const std::optional<QColor> tint =
            LivePreviewModel::tintColor(mode, m_preferences.glassTint())) {
        painter.fillPath(shape, TesselBrand::withOpacity(*tint, OverlayRules::tintStrength(
                                                                    m_preferences.tintOpacity())));
    }
}

void PreviewMiniature::paintCards(QPainter& painter, const ColorScheme& scheme) const
{
    WindowCardContent content;
    content.thumbWidth = m_geometry.cardWidth;
    content.showProfileBadge = false;
    content.showBrowserBadge = m_browsers.size() > 1;
    content.isTesselTheme = m_preferences.appearanceMode() == AppearanceMode::tessel;
    content.profileColor = Qt::transparent;
    // A card is a little lower than the height its row budgets: centred in it.
    const double inset =
        (m_geometry.rowHeight - WindowCard::cardSize(content.thumbWidth).height()) / 2;
    for (int i = 0; i < m_windows.size(); ++i) {
        content.window = m_windows.at(i);
        content.isSelected = i == m_hover;
        painter.save();
        painter.translate(unscaledCardRect(i).topLeft() + QPointF(0, inset));
        WindowCard::paint(painter, content, scheme);
        painter.restore();
    }
}

void PreviewMiniature::paintChipRow(QPainter& painter, const ColorScheme& scheme) const
{
    const double p = m_preferences.containerPadding();
    const double midY = chipRowHeight / 2;
    const QFont font = Typography::font(12, QFont::Bold);
    const QFontMetricsF metrics(font);
    const QString all = OverlayRules::allChipText();
    const QSizeF size(metrics.horizontalAdvance(all) + 2 * allChipPaddingX,
                      metrics.height() + 2 * allChipPaddingY);
    const QRectF chip(QPointF(p, midY - size.height() / 2), size);
    // The system accent in every theme: unlike the switcher's own chip, the
    // brand theme does not turn it green.
    painter.setPen(Qt::NoPen);
    painter.setBrush(TesselBrand::withOpacity(scheme.accent, 0.9));
    painter.drawPath(continuousRoundedRect(chip, chip.height() / 2));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(chip, Qt::AlignCenter, all);

    double x = chip.right() + chipRowSpacing;
    painter.save();
    painter.setOpacity(markOpacity);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (Browser browser : m_browsers) {
        const QImage icon = m_icons.icon(browser);
        if (!icon.isNull()) {
            painter.drawImage(QRectF(x, midY - appIconSide / 2, appIconSide, appIconSide), icon);
            x += appIconSide + chipRowSpacing;
        } else {
            painter.setBrush(browser.badgeColor());
            painter.drawEllipse(
                QRectF(x, midY - fallbackDotSide / 2, fallbackDotSide, fallbackDotSide));
            x += fallbackDotSide + chipRowSpacing;
        }
    }
    painter.restore();
}

void PreviewMiniature::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    // Laid out unscaled, W by H, and drawn at the scale.
    painter.scale(m_geometry.scale, m_geometry.scale);
    const QRectF panel(0, 0, m_geometry.width, m_geometry.height);
    const double radius = m_preferences.cornerRadius();
    const QPainterPath shape = continuousRoundedRect(panel, radius);
    const ColorScheme colors = scheme();

    painter.save();
    painter.setClipPath(shape);
    paintSurface(painter, shape, colors);
    if (m_geometry.showsChips())
        paintChipRow(painter, colors);
    paintCards(painter, colors);
    painter.restore();

    // A one-point border inside the edge, in the scheme's primary colour.
    painter.setPen(QPen(TesselBrand::withOpacity(colors.primary, 0.1), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(continuousRoundedBorder(panel, radius, 1));
}
