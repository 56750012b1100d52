#include "Settings/PreviewMiniature.h"

#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"
#include "Services/PreferencesService.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include <cmath>

namespace {

constexpr double chipSpacing = 10;
constexpr double iconSide = 24;
constexpr double fallbackDotSide = 18;
constexpr double markOpacity = 0.55;

// The desktop's own look, for the "system" theme: dark when its window
// colour is dark.
bool systemIsDark()
{
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

} // namespace

PreviewMiniature::PreviewMiniature(PreferencesService& preferences, BrowserIconCache& icons,
                                   int hover, QWidget* parent)
    : QWidget(parent), m_preferences(preferences), m_icons(icons), m_hover(hover)
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

LivePreviewModel::Scheme PreviewMiniature::scheme() const
{
    return LivePreviewModel::scheme(m_preferences.appearanceMode(), systemIsDark());
}

void PreviewMiniature::rebuild()
{
    m_browsers = LivePreviewModel::previewBrowsers(m_preferences.enabledBrowsersOrdered());
    m_windows = LivePreviewModel::previewWindows(m_browsers);
    m_geometry = LivePreviewModel::geometry(
        {m_preferences.cardWidth(), m_preferences.windowSpacing(), m_preferences.containerPadding(),
         m_preferences.panelPosition(), m_preferences.layoutMode()},
        int(m_browsers.size()));
    setFixedSize(sizeHint());
    update();
}

QSize PreviewMiniature::sizeHint() const
{
    const QSizeF framed = m_geometry.framedSize();
    return {int(std::ceil(framed.width())), int(std::ceil(framed.height()))};
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

void PreviewMiniature::paintSurface(QPainter& painter, const QRectF& panel) const
{
    const AppearanceMode mode = m_preferences.appearanceMode();
    if (mode == AppearanceMode::tessel) {
        painter.fillRect(panel, TesselBrand::cream());
        return;
    }
    const bool dark = scheme() == LivePreviewModel::Scheme::dark;
    painter.fillRect(panel, dark ? QColor(0x2b, 0x2b, 0x2d) : QColor(0xec, 0xec, 0xec));
    if (const std::optional<QColor> tint =
            LivePreviewModel::tintColor(mode, m_preferences.glassTint())) {
        QColor layer = *tint;
        layer.setAlphaF(float(LivePreviewModel::tintStrength(m_preferences.tintOpacity())));
        painter.fillRect(panel, layer);
    }
}

void PreviewMiniature::paintChipRow(QPainter& painter) const
{
    const double p = m_preferences.containerPadding();
    const double midY = LivePreviewModel::chipRowHeight / 2;
    const QFont font = Typography::font(12, QFont::Bold);
    const QFontMetricsF metrics(font);
    const QString all = tr("All");
    const QRectF chip(p, midY - (metrics.height() + 14) / 2, metrics.horizontalAdvance(all) + 26,
                      metrics.height() + 14);
    QColor accent = TesselBrand::forest();
    accent.setAlphaF(0.9f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(accent);
    painter.drawRoundedRect(chip, chip.height() / 2, chip.height() / 2);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(chip, Qt::AlignCenter, all);

    double x = chip.right() + chipSpacing;
    painter.save();
    painter.setOpacity(markOpacity);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (Browser browser : m_browsers) {
        const QImage icon = m_icons.icon(browser);
        if (!icon.isNull()) {
            painter.drawImage(QRectF(x, midY - iconSide / 2, iconSide, iconSide), icon);
            x += iconSide + chipSpacing;
        } else {
            painter.setBrush(browser.badgeColor());
            painter.drawEllipse(
                QRectF(x, midY - fallbackDotSide / 2, fallbackDotSide, fallbackDotSide));
            x += fallbackDotSide + chipSpacing;
        }
    }
    painter.restore();
}

void PreviewMiniature::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    painter.scale(m_geometry.scale, m_geometry.scale);
    const QRectF panel(0, 0, m_geometry.width, m_geometry.height);
    const double radius = m_preferences.cornerRadius();
    QPainterPath shape;
    shape.addRoundedRect(panel, radius, radius);

    painter.save();
    painter.setClipPath(shape);
    paintSurface(painter, panel);
    if (m_geometry.showsChips())
        paintChipRow(painter);
    painter.restore();

    const bool dark = scheme() == LivePreviewModel::Scheme::dark;
    QColor border = dark ? QColor(Qt::white) : QColor(Qt::black);
    border.setAlphaF(0.1f);
    // Stroked on the inside: the 1-point line lies within the panel's edge.
    QPainterPath inner;
    inner.addRoundedRect(panel.adjusted(0.5, 0.5, -0.5, -0.5), std::max(0.0, radius - 0.5),
                         std::max(0.0, radius - 0.5));
    painter.setPen(QPen(border, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(inner);
}

#include "moc_PreviewMiniature.cpp"
