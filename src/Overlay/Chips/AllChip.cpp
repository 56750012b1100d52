#include "Overlay/Chips/AllChip.h"

#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"
#include "Models/ContinuousCorners.h"
#include "Overlay/Drawing/RoundedFill.h"
#include "Overlay/OverlayMetrics.h"
#include "Overlay/OverlayRules.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

QFont chipFont()
{
    return Typography::font(TextStyle::caption, QFont::Bold);
}

} // namespace

AllChip::AllChip(bool isActive, bool isTesselTheme, const ColorScheme& scheme, QWidget* parent)
    : QAbstractButton(parent), m_isActive(isActive), m_isTesselTheme(isTesselTheme),
      m_scheme(scheme), m_label(OverlayRules::allChipText(), chipFont(), QWIDGETSIZE_MAX)
{
    setText(OverlayRules::allChipText());
    setToolTip(OverlayRules::allChipToolTip());
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
}

AllChip::Style AllChip::style(bool isActive, bool isTesselTheme, const ColorScheme& scheme)
{
    if (isActive) {
        if (isTesselTheme)
            return {Qt::white, TesselBrand::forest()};
        return {Qt::white, TesselBrand::withOpacity(scheme.accent, 0.9)};
    }
    if (isTesselTheme) {
        return {TesselBrand::ink(), TesselBrand::withOpacity(TesselBrand::hoverFill(), 0.8)};
    }
    return {scheme.primary, scheme.primaryAt(0.09)};
}

QSize AllChip::sizeHint() const
{
    return {
        int(std::ceil(m_label.size().width() + 2 * OverlayMetrics::allChipPaddingX)),
        int(std::ceil(QFontMetricsF(chipFont()).height() + 2 * OverlayMetrics::allChipPaddingY))};
}

void AllChip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const Style colors = style(m_isActive, m_isTesselTheme, m_scheme);
    const QRectF capsule(rect());
    RoundedFill::paint(painter, capsule, capsule.height() / 2, colors.fill);
    painter.setPen(colors.text);
    m_label.drawCentred(painter, capsule.center());
}

bool AllChip::hitButton(const QPoint& position) const
{
    return continuousRoundedRect(QRectF(rect()), height() / 2.0)
        .contains(QPointF(position) + QPointF(0.5, 0.5));
}
