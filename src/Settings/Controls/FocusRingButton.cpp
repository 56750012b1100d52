#include "Settings/Controls/FocusRingButton.h"

#include "Brand/TesselBrand.h"

#include <QKeyEvent>
#include <QPainter>

FocusRingButton::FocusRingButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

bool FocusRingButton::showsFocusRing() const
{
    return hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

void FocusRingButton::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !event->isAutoRepeat())
        click();
    else
        QAbstractButton::keyPressEvent(event);
}

void FocusRingButton::paintFocusRing(QPainter& painter, double radius) const
{
    if (!showsFocusRing())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(TesselBrand::withOpacity(TesselBrand::forest(), 0.45), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), radius, radius);
    painter.restore();
}
