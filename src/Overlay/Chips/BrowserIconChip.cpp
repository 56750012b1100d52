#include "Overlay/Chips/BrowserIconChip.h"

#include "Brand/TesselBrand.h"
#include "Models/ContinuousCorners.h"
#include "Overlay/Drawing/RoundedFill.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double chipRadius = 9;

} // namespace

BrowserIconChip::BrowserIconChip(Browser browser, QImage icon, bool isActive, bool isTesselTheme,
                                 const ColorScheme& scheme, QWidget* parent)
    : QAbstractButton(parent), m_browser(browser), m_icon(std::move(icon)), m_isActive(isActive),
      m_isTesselTheme(isTesselTheme), m_scheme(scheme)
{
    setText(browser.displayName());
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(side, side);
}

BrowserIconChip::Style BrowserIconChip::style(bool isActive, bool isTesselTheme,
                                              const ColorScheme& scheme)
{
    if (!isActive)
        return {Qt::transparent, Qt::transparent, 0.55};
    if (isTesselTheme)
        return {TesselBrand::hoverFill(), TesselBrand::forest(), 1};
    return {scheme.primaryAt(0.12), TesselBrand::withOpacity(scheme.accent, 0.9), 1};
}

void BrowserIconChip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const Style colors = style(m_isActive, m_isTesselTheme, m_scheme);
    painter.setOpacity(colors.opacity);
    const QRectF square(rect());
    RoundedFill::paint(painter, square, chipRadius, colors.fill);

    const QPointF centre = square.center();
    if (!m_icon.isNull()) {
        constexpr double icon = OverlayMetrics::appIconSide;
        painter.drawImage(QRectF(centre - QPointF(icon, icon) / 2, QSizeF(icon, icon)), m_icon);
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_browser.badgeColor());
        painter.drawEllipse(centre, 8, 8);
    }

    if (colors.border.alpha() > 0) {
        painter.setPen(QPen(colors.border, 2));
        painter.setBrush(Qt::NoBrush);
        // Stroked inside the chip: the pen's centre runs one point in, on a
        // curve one point tighter, so that it hugs the fill's corners.
        painter.drawPath(continuousRoundedBorder(square, chipRadius, 2));
    }
}

bool BrowserIconChip::hitButton(const QPoint& position) const
{
    return continuousRoundedRect(QRectF(rect()), chipRadius)
        .contains(QPointF(position) + QPointF(0.5, 0.5));
}
