#include "Settings/Controls/MiniSwitch.h"

#include "Brand/TesselBrand.h"

#include <QPainter>

MiniSwitch::MiniSwitch(QWidget* parent) : QAbstractButton(parent)
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize MiniSwitch::sizeHint() const
{
    return {26, 15};
}

void MiniSwitch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.45);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = track.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? TesselBrand::forest()
                                 : TesselBrand::withOpacity(TesselBrand::ink(), 0.16));
    painter.drawRoundedRect(track, radius, radius);

    const double side = track.height() - 3;
    const double x = isChecked() ? track.right() - 1.5 - side : track.left() + 1.5;
    const QRectF knob(x, track.top() + 1.5, side, side);
    painter.setBrush(TesselBrand::withOpacity(TesselBrand::ink(), 0.18));
    painter.drawEllipse(knob.translated(0, 0.5));
    painter.setBrush(isDown() ? TesselBrand::hoverFill() : QColor(Qt::white));
    painter.drawEllipse(knob);
}
