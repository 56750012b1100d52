#include "Settings/Controls/TabButton.h"

#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"
#include "Models/ContinuousCorners.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {

constexpr double horizontalInset = 14;
constexpr double verticalInset = 6;

} // namespace

TabButton::TabButton(const QString& label, QWidget* parent) : QAbstractButton(parent)
{
    setText(label);
    setCheckable(true);
    setAutoExclusive(true);
    setFont(Typography::font(12.5, QFont::Medium));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize TabButton::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return QSizeF(metrics.horizontalAdvance(text()) + 2 * horizontalInset,
                  metrics.height() + 2 * verticalInset)
        .toSize();
}

void TabButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    if (isChecked())
        painter.fillPath(capsule(), TesselBrand::hoverFill());
    painter.setPen(isChecked() ? TesselBrand::ink()
                               : TesselBrand::withOpacity(TesselBrand::ink(), 0.48));
    painter.setFont(font());
    painter.drawText(QRectF(rect()), Qt::AlignCenter, text());
}

QPainterPath TabButton::capsule() const
{
    return continuousRoundedRect(QRectF(rect()), height() / 2.0);
}

bool TabButton::hitButton(const QPoint& position) const
{
    return capsule().contains(QPointF(position) + QPointF(0.5, 0.5));
}
